#include "TabularLabel.hpp"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <cmath>
#include <string>

namespace spanlet::views {

TabularLabel::TabularLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

draw::TabularText& TabularLabel::tabular() const {
    if (!tabular_) {
        tabular_ = std::make_unique<draw::TabularText>(font());
    }
    return *tabular_;
}

QSize TabularLabel::textSize() const {
    const double width = tabular().width(QLabel::text().toStdString());
    return {static_cast<int>(std::ceil(width)),
            static_cast<int>(std::ceil(QFontMetricsF(tabular().font()).height()))};
}

QSize TabularLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return textSize().grownBy(m);
}

QSize TabularLabel::minimumSizeHint() const {
    return sizeHint();
}

void TabularLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        tabular_.reset();
        updateGeometry();
    }
    QLabel::changeEvent(event);
}

void TabularLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QPalette::ColorGroup group = !isEnabled()       ? QPalette::Disabled
                                       : isActiveWindow() ? QPalette::Active
                                                          : QPalette::Inactive;
    painter.setPen(palette().color(group, foregroundRole()));
    const QSize size = textSize();
    const QRect box = QStyle::alignedRect(layoutDirection(), alignment(), size, contentsRect());
    const double ascent = QFontMetricsF(tabular().font()).ascent();
    tabular().draw(painter, QPointF(box.left(), box.top() + ascent), QLabel::text().toStdString());
}

} // namespace spanlet::views
