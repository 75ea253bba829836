#pragma once

#include <functional>
#include <vector>

#include <spanlet/platform/DisplayPort.hpp>
#include <spanlet/screen/Desktop.hpp>

#include "fakes/CallLog.hpp"

namespace spanlet::fakes {

/// Displays and pointer that the test sets; it fires the screens-changed signal and pushes
/// pointer moves itself.
class FakeDisplays : public DisplayPort {
public:
    std::vector<ScreenInfo> screens;
    /// Where pointerLocation() says the pointer is; moveTo() also pushes it.
    Point pointer;
    /// What pointerKnown() says; moveTo() makes it true.
    bool known = true;
    /// Adds "pointer" to the log on every pointerLocation() call.
    CallLog* log = nullptr;
    mutable int pointerReads = 0;

    [[nodiscard]] std::vector<ScreenInfo> currentScreens() const override { return screens; }
    [[nodiscard]] Point pointerLocation() const override {
        ++pointerReads;
        note(log, "pointer");
        return pointer;
    }
    [[nodiscard]] bool pointerKnown() const override { return known; }
    void setScreensChangedHandler(std::function<void()> handler) override {
        handler_ = std::move(handler);
    }

    void setPointerHandler(std::function<void(Point)> handler) override {
        pointerHandler_ = std::move(handler);
    }
    [[nodiscard]] bool watchingPointer() const { return static_cast<bool>(pointerHandler_); }

    /// Calls the screens-changed handler as the window system would after a change.
    void fireScreensChanged() {
        if (handler_) {
            handler_();
        }
    }
    /// Moves the pointer as a person would: the pointer handler hears of it while watching.
    void moveTo(Point to) {
        pointer = to;
        known = true;
        if (pointerHandler_) {
            pointerHandler_(to);
        }
    }

private:
    std::function<void()> handler_;
    std::function<void(Point)> pointerHandler_;
};

/// A display at `frame` (global top-left points) with `scale`, built as the platform would.
inline ScreenInfo makeScreen(std::uint32_t id, Rect frame, double scale, double primaryHeight) {
    return Desktop::makeScreenInfo(id, frame, scale, primaryHeight);
}

} // namespace spanlet::fakes
