#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <spanlet/platform/DisplayPort.hpp>

class QObject;
class QScreen;
struct xcb_connection_t;

namespace spanlet {

namespace x11 {
class SideConnection;
}

/// Displays and pointer on X11, read through Qt's own XCB connection (the pointer through the
/// side connection). Main thread only; needs a QGuiApplication on the xcb platform.
///
/// Display ids are matched through QScreen::name() against the RandR monitors: a monitor's
/// first output XID, or its name atom when it has no output. A screen with no matching monitor
/// is left out. Frames are QScreen::geometry() (global top-left points); Qt keeps each
/// display's top-left corner at its device-pixel position, so mixed scales leave gaps.
class X11DisplayPort final : public DisplayPort {
public:
    /// Reads the pointer through `side`, which must outlive this.
    explicit X11DisplayPort(x11::SideConnection& side);
    /// Reads the pointer through a side connection of its own.
    X11DisplayPort();
    ~X11DisplayPort() override;
    X11DisplayPort(const X11DisplayPort&) = delete;
    X11DisplayPort& operator=(const X11DisplayPort&) = delete;

    /// One display and its rectangle in device pixels (root-window coordinates).
    struct Display {
        ScreenInfo info;
        Rect deviceFrame;
    };
    /// Every display, primary first. Cached until the screens change.
    [[nodiscard]] std::vector<Display> displays() const;

    [[nodiscard]] std::vector<ScreenInfo> currentScreens() const override;
    /// xcb_query_pointer (device pixels) through the display that holds it. QCursor::pos()
    /// gets this wrong on desktops that mix scales.
    [[nodiscard]] Point pointerLocation() const override;
    /// `handler` runs once per event-loop turn in which any screen was added, removed, made
    /// primary, moved, resized or changed its dots per inch.
    void setScreensChangedHandler(std::function<void()> handler) override;
    /// `hook` runs each time the pointer is read, once the query is on its way and before its
    /// answer is awaited.
    void setPointerQueryHook(std::function<void()> hook) { pointerQueryHook_ = std::move(hook); }

private:
    X11DisplayPort(std::unique_ptr<x11::SideConnection> owned, x11::SideConnection* side);
    [[nodiscard]] const std::vector<Display>& knownDisplays() const;
    void watch(QScreen* screen);
    void screensMayHaveChanged();

    std::unique_ptr<QObject> context_;
    std::function<void()> handler_;
    std::function<void()> pointerQueryHook_;
    bool notifyPending_ = false;
    mutable std::optional<std::vector<Display>> cache_;
    std::unique_ptr<x11::SideConnection> ownSide_;
    x11::SideConnection* side_;              ///< for pointer queries
    xcb_connection_t* connection_ = nullptr; ///< Qt's
    std::uint32_t root_ = 0;
};

} // namespace spanlet
