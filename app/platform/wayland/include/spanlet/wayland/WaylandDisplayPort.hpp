#pragma once

#include <functional>

#include <spanlet/platform/DisplayPort.hpp>

namespace spanlet::wayland {

class WaylandConnection;

/// Displays on a Wayland compositor, from the outputs of Spanlet's own connection. A client
/// cannot read the pointer anywhere on the desktop: the position is the last one that our
/// overlay surfaces saw, handed in through setPointerLocation(), which also tells the pointer
/// handler.
class WaylandDisplayPort final : public DisplayPort {
public:
    /// `connection` must outlive this object.
    explicit WaylandDisplayPort(WaylandConnection& connection);
    ~WaylandDisplayPort() override;
    WaylandDisplayPort(const WaylandDisplayPort&) = delete;
    WaylandDisplayPort& operator=(const WaylandDisplayPort&) = delete;

    [[nodiscard]] std::vector<ScreenInfo> currentScreens() const override;
    [[nodiscard]] Point pointerLocation() const override { return pointer_; }
    [[nodiscard]] bool pointerKnown() const override { return seen_; }
    /// `handler` runs once per dispatch of the connection in which outputs were added, removed,
    /// moved, resized or rescaled.
    void setScreensChangedHandler(std::function<void()> handler) override;
    void setPointerHandler(std::function<void(Point)> handler) override {
        pointerHandler_ = std::move(handler);
    }

    /// The pointer as an overlay surface last saw it, in global top-left points; handed on
    /// when it moved and is watched.
    void setPointerLocation(Point point) {
        if (seen_ && point == pointer_) {
            return;
        }
        seen_ = true;
        pointer_ = point;
        if (pointerHandler_) {
            pointerHandler_(point);
        }
    }

private:
    WaylandConnection& connection_;
    Point pointer_;
    bool seen_ = false;
    std::function<void(Point)> pointerHandler_;
};

} // namespace spanlet::wayland
