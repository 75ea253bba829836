#pragma once

#include <QImage>
#include <vector>

#include <spanlet/screen/ScreenInfo.hpp>
#include <spanlet/stillframe/FrameSource.hpp>

namespace spanlet::stillframe {

/// `image` at `display`'s size in device pixels (its frame in points times its scale), scaled
/// smoothly when it has another size.
QImage atDeviceSize(const QImage& image, const ScreenInfo& display);

/// Each of `displays` cut out of `desktop`, a picture of the whole desktop: the bounding box
/// of every display's frame (global points), at one common scale in each direction. A desktop
/// with displays of mixed scales is pictured at the largest (GNOME Shell renders its stage so),
/// so a display of a smaller scale is scaled down to its own device pixels. Empty when
/// `desktop` is null or the displays cover nothing.
std::vector<DisplayFrame> framesFromDesktop(const QImage& desktop,
                                            const std::vector<ScreenInfo>& displays);

} // namespace spanlet::stillframe
