#include "fakes/FakeCapture.hpp"

#include <algorithm>
#include <cmath>

namespace spanlet::fakes {

namespace {

/// A platform failure, as the window system would report it in its own words.
const ScreenCapture::Error kPlatformError{std::string("capture refused")};

} // namespace

void FakeCapture::addScreen(std::uint32_t id, Size points, double scale, PixelFunction pixel) {
    screens_[id] = Screen{static_cast<std::int64_t>(std::round(points.width * scale)),
                          static_cast<std::int64_t>(std::round(points.height * scale)), scale,
                          std::move(pixel)};
}

void FakeCapture::filter(std::uint32_t displayId,
                         std::function<void(CaptureResult<ScreenCapture::Filter>)> done) {
    ++filterRequests;
    CaptureResult<ScreenCapture::Filter> result = kPlatformError;
    if (!failFilter) {
        if (screens_.count(displayId) != 0) {
            result =
                ScreenCapture::Filter{displayId, std::make_shared<ScreenCapture::FilterHandle>()};
        } else {
            result = ScreenCapture::Error{ScreenCapture::Failure::noDisplay};
        }
    }
    clock_.schedule(latency, [done = std::move(done), result] { done(result); });
}

void FakeCapture::pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                         std::function<void(CaptureResult<PixelBuffer>)> done) {
    ++pixelRequests;
    ++inFlight;
    maxInFlight = std::max(maxInFlight, inFlight);
    const ScreenCapture::PixelSize size = ScreenCapture::outputSize(rect, scale);
    requests.push_back(Request{rect, scale});

    CaptureResult<PixelBuffer> result = kPlatformError;
    const auto screen = screens_.find(filter.displayId);
    if (screen == screens_.end()) {
        result = ScreenCapture::Error{ScreenCapture::Failure::noDisplay};
    } else if (!failPixels && !(failRect && failRect(rect))) {
        // Nearest-neighbour sampling of the display's device pixels at each output pixel's
        // centre, as a capture scaled to the output size would give.
        const Screen& s = screen->second;
        PixelBuffer buffer(size.width, size.height, RGBA::clear);
        for (std::int64_t j = 0; j < size.height; ++j) {
            const double y = rect.y + (static_cast<double>(j) + 0.5) * rect.height /
                                          static_cast<double>(size.height);
            const auto dy = static_cast<std::int64_t>(std::floor(y * s.scale));
            for (std::int64_t i = 0; i < size.width; ++i) {
                const double x = rect.x + (static_cast<double>(i) + 0.5) * rect.width /
                                              static_cast<double>(size.width);
                const auto dx = static_cast<std::int64_t>(std::floor(x * s.scale));
                if (dx >= 0 && dx < s.deviceWidth && dy >= 0 && dy < s.deviceHeight) {
                    buffer(i, j) = s.pixel(dx, dy);
                }
            }
        }
        result = std::move(buffer);
    }
    clock_.schedule(latency, [this, done = std::move(done), result = std::move(result)] {
        --inFlight;
        done(result);
    });
}

} // namespace spanlet::fakes
