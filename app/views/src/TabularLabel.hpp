#pragma once

#include <QLabel>
#include <memory>

#include <spanlet/draw/qt/TabularText.hpp>

namespace spanlet::views {

/// A one-line label whose digits all take the widest digit's advance, so that numbers in
/// neighbouring rows line up and a row keeps its width as its digits change. Everything else
/// (text, palette, accessibility) is the QLabel's.
class TabularLabel : public QLabel {
    Q_OBJECT
public:
    explicit TabularLabel(const QString& text, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    draw::TabularText& tabular() const;
    [[nodiscard]] QSize textSize() const;

    /// Made on first use for the current font.
    mutable std::unique_ptr<draw::TabularText> tabular_;
};

} // namespace spanlet::views
