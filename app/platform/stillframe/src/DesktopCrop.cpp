#include <QRect>
#include <algorithm>
#include <cmath>
#include <limits>

#include <spanlet/stillframe/DesktopCrop.hpp>

namespace spanlet::stillframe {

namespace {

/// `image` scaled down to `display`'s device pixels where it is larger.
QImage atMostDeviceSize(const QImage& image, const ScreenInfo& display) {
    const QSize size(static_cast<int>(std::lround(display.frame.width * display.scale.factor())),
                     static_cast<int>(std::lround(display.frame.height * display.scale.factor())));
    if (size.isEmpty() || (image.width() <= size.width() && image.height() <= size.height())) {
        return image;
    }
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

std::vector<DisplayFrame> framesFromDesktop(const QImage& desktop,
                                            const std::vector<ScreenInfo>& displays) {
    double left = std::numeric_limits<double>::infinity();
    double top = left;
    double right = -left;
    double bottom = -left;
    for (const ScreenInfo& display : displays) {
        left = std::min(left, display.frame.minX());
        top = std::min(top, display.frame.minY());
        right = std::max(right, display.frame.maxX());
        bottom = std::max(bottom, display.frame.maxY());
    }
    if (desktop.isNull() || !(right > left) || !(bottom > top)) {
        return {};
    }
    // Device pixels of the picture per point of the desktop.
    const double xScale = desktop.width() / (right - left);
    const double yScale = desktop.height() / (bottom - top);
    std::vector<DisplayFrame> frames;
    frames.reserve(displays.size());
    for (const ScreenInfo& display : displays) {
        const auto x0 = std::lround((display.frame.minX() - left) * xScale);
        const auto y0 = std::lround((display.frame.minY() - top) * yScale);
        const auto x1 = std::lround((display.frame.maxX() - left) * xScale);
        const auto y1 = std::lround((display.frame.maxY() - top) * yScale);
        const QRect area(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                         static_cast<int>(y1 - y0));
        frames.push_back({display.id, atMostDeviceSize(desktop.copy(area), display)});
    }
    return frames;
}

} // namespace spanlet::stillframe
