#pragma once

#include <QAbstractButton>
#include <QWidget>

#include <spanlet/Color.hpp>

namespace spanlet::views {

/// The colour as Qt paints it (sRGB, alpha included).
QColor toQColor(const SRGBColor& color);

/// A rounded square filled with a colour and outlined inside its edge by a 1-point line in the
/// text colour at 0.15 opacity.
class ColorSwatch : public QWidget {
    Q_OBJECT
public:
    /// `side` and `radius` in points.
    ColorSwatch(int side, double radius, QWidget* parent = nullptr);
    void setColor(const SRGBColor& color);
    [[nodiscard]] const SRGBColor& color() const noexcept { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double radius_;
    SRGBColor color_;
};

/// A recent colour as a plain button of the same look.
class SwatchButton : public QAbstractButton {
    Q_OBJECT
public:
    SwatchButton(const SRGBColor& color, int side, double radius, QWidget* parent = nullptr);
    [[nodiscard]] const SRGBColor& color() const noexcept { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double radius_;
    SRGBColor color_;
};

} // namespace spanlet::views
