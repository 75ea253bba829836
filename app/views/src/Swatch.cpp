#include "Swatch.hpp"

#include <QPainter>
#include <QPainterPath>

#include "ViewStyle.hpp"

namespace spanlet::views {

namespace {

void paintSwatch(QWidget& widget, const SRGBColor& color, double radius) {
    QPainter painter(&widget);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(widget.rect());
    QPainterPath shape;
    shape.addRoundedRect(box, radius, radius);
    painter.fillPath(shape, toQColor(color));
    // A 1-point line inside the edge: half a point in from the box.
    const QColor line = withAlpha(widget.palette().color(QPalette::WindowText), 0.15);
    painter.setPen(QPen(line, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    if (widget.hasFocus()) {
        painter.setPen(QPen(widget.palette().color(QPalette::Highlight), 2));
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
}

} // namespace

QColor toQColor(const SRGBColor& color) {
    const RGBA p = color.rgba();
    return QColor(p.r, p.g, p.b, p.a);
}

ColorSwatch::ColorSwatch(int side, double radius, QWidget* parent)
    : QWidget(parent), radius_(radius) {
    setFixedSize(side, side);
}

void ColorSwatch::setColor(const SRGBColor& color) {
    if (color != color_) {
        color_ = color;
        update();
    }
}

void ColorSwatch::paintEvent(QPaintEvent*) {
    paintSwatch(*this, color_, radius_);
}

SwatchButton::SwatchButton(const SRGBColor& color, int side, double radius, QWidget* parent)
    : QAbstractButton(parent), radius_(radius), color_(color) {
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
}

void SwatchButton::paintEvent(QPaintEvent*) {
    paintSwatch(*this, color_, radius_);
}

} // namespace spanlet::views
