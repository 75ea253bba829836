#pragma once

#include <QImage>
#include <vector>

#include <spanlet/screen/ScreenInfo.hpp>
#include <spanlet/stillframe/FrameSource.hpp>

namespace spanlet::stillframe {

/// Each of `displays` cut out of `desktop`, a picture of the whole desktop: the bounding box
/// of every display's frame (global points), at one common scale in each direction. A desktop
/// with displays of mixed scales is pictured at the largest (GNOME Shell renders its stage so),
/// so a display's part larger than its own device pixels (its frame times its scale) is scaled
/// down to them. A smaller part is kept as it is: it holds the display's own pixels (mutter
/// without fractional scaling lays the desktop out in device pixels, and Qt reports that space
/// as points), and scaling up would only invent pixels. Empty when `desktop` is null or the
/// displays cover nothing.
std::vector<DisplayFrame> framesFromDesktop(const QImage& desktop,
                                            const std::vector<ScreenInfo>& displays);

} // namespace spanlet::stillframe
