#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include <spanlet/Uuid.hpp>
#include <spanlet/model/Mensor.hpp>

class QLabel;
class QListWidget;
class QPushButton;

namespace spanlet::views {

/// The kept measurements, oldest first, numbered from 1: each with its size and distances, a
/// Copy menu (one item per copy style) and a remove button. Under the list "Clear All" and
/// "Copy <preferred style>" (Ctrl+C), which copies the selected measurement or the newest.
class MeasurementsView : public QWidget {
    Q_OBJECT
public:
    explicit MeasurementsView(Mensor& model, QWidget* parent = nullptr);

    /// The id of the selected measurement; it may name one that has been removed since.
    [[nodiscard]] const std::optional<Uuid>& selection() const noexcept { return selection_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void display();
    QWidget* row(const Pinned& pinned, int number, MeasureUnit unit);
    /// Copies, in the preferred style, the selected measurement or else the newest one.
    void copyPreferred();

    Mensor& model_;
    std::optional<Uuid> selection_;
    QWidget* empty_ = nullptr;
    QLabel* hint_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* clearAll_ = nullptr;
    QPushButton* copy_ = nullptr;
    Subscription pinnedSubscription_;
    Subscription prefsSubscription_;
    std::vector<Pinned> shownPinned_;
    MeasureUnit shownUnit_ = MeasureUnit::points;
    CopyStyle shownStyle_ = CopyStyle::plain;
};

} // namespace spanlet::views
