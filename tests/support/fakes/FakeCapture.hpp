#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include <spanlet/platform/CapturePort.hpp>

#include "fakes/VirtualClock.hpp"

namespace spanlet::fakes {

/// A synthetic display's content: the colour of device pixel (x, y), display-local.
using PixelFunction = std::function<RGBA(std::int64_t x, std::int64_t y)>;

/// Screen capture of synthetic displays. Every answer is delivered through the virtual clock,
/// `latency` after the request, so a test can see captures in flight. Pixels outside the
/// display's device area are clear.
class FakeCapture : public CapturePort {
public:
    struct Screen {
        std::int64_t deviceWidth = 0;
        std::int64_t deviceHeight = 0;
        double scale = 1;
        PixelFunction pixel;
    };
    struct Request {
        Rect rect;
        double scale = 1;
    };

    explicit FakeCapture(VirtualClock& clock) : clock_(clock) {}

    /// Serves display `id`: `points` is its size in points, `scale` its device pixels per point.
    void addScreen(std::uint32_t id, Size points, double scale, PixelFunction pixel);

    void filter(std::uint32_t displayId,
                std::function<void(CaptureResult<ScreenCapture::Filter>)> done) override;
    void pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                std::function<void(CaptureResult<PixelBuffer>)> done) override;
    bool watchChanges(std::function<void()> changed) override {
        changed_ = reportsChanges ? std::move(changed) : nullptr;
        return reportsChanges && changed_;
    }
    [[nodiscard]] bool watched() const { return bool(changed_); }
    /// Something changed under the captures: the watcher hears of it once.
    void change() {
        if (auto changed = std::exchange(changed_, nullptr)) {
            changed();
        }
    }

    Clock::Duration latency = Clock::Duration::zero();
    bool failFilter = false;
    bool failPixels = false;
    /// Fails only the requests whose rect this returns true for (row, column or loupe).
    std::function<bool(const Rect&)> failRect;
    /// Whether changes are reported, as on X11.
    bool reportsChanges = false;

    int filterRequests = 0;
    int pixelRequests = 0;
    int inFlight = 0;    // pixel requests not answered yet
    int maxInFlight = 0; // the most pixel requests ever in flight together
    std::vector<Request> requests;

private:
    VirtualClock& clock_;
    std::map<std::uint32_t, Screen> screens_;
    std::function<void()> changed_;
};

} // namespace spanlet::fakes
