#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include <spanlet/Color.hpp>
#include <spanlet/model/Mensor.hpp>

class QGridLayout;
class QLabel;
class QPushButton;

namespace spanlet::views {

class ColorSwatch;

/// The picked colours: the newest in detail (swatch, hex text, contrast line, its text in
/// every colour style with a Copy button each) and every recent colour as a swatch that reuses
/// it when clicked. "Clear" empties the list; "Pick Color" picks a new one.
class ColorsView : public QWidget {
    Q_OBJECT
public:
    explicit ColorsView(Mensor& model, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void display(const std::vector<SRGBColor>& colors);
    /// The pickColor shortcut as the user has bound it, in the hint and on the button.
    void showShortcut(const ShortcutBindings& bindings);
    void rebuildGrid(const std::vector<SRGBColor>& colors);

    Mensor& model_;
    std::vector<SRGBColor> shown_;
    QWidget* empty_ = nullptr;
    QWidget* detail_ = nullptr;
    ColorSwatch* swatch_ = nullptr;
    QLabel* hex_ = nullptr;
    QLabel* contrast_ = nullptr;
    std::array<QLabel*, 4> styleTexts_{};
    QGridLayout* grid_ = nullptr;
    std::vector<QWidget*> gridSwatches_;
    QPushButton* clear_ = nullptr;
    QPushButton* pick_ = nullptr;
    QLabel* hint_ = nullptr;
    Subscription prefsSubscription_;
};

} // namespace spanlet::views
