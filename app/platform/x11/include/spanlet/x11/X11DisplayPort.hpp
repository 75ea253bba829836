#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <spanlet/platform/DisplayPort.hpp>
#include <spanlet/platform/qt/QtScreenChanges.hpp>

class QObject;
class QScreen;
class QTimer;
struct xcb_connection_t;

namespace spanlet {

namespace x11 {
class SideConnection;
}

/// Displays and pointer on X11, read through Qt's own XCB connection (the pointer through the
/// side connection, or through setPointerQuery's). Main thread only; needs a QGuiApplication on
/// the xcb platform.
///
/// A watched pointer is read when the server reports raw motion (XInput 2), once the events
/// read with it are handled and at most once per readGap, and handed on when it moved; a still
/// pointer costs nothing. A warp by some client moves no device, so it is handed on with the next
/// motion (pointerLocation() sees it at once). Without XInput 2 the pointer is read every
/// pollPeriod instead.
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
    /// The shortest time between two reads of a watched pointer: above any display's refresh
    /// rate, below the reports of a fast mouse.
    static constexpr std::chrono::milliseconds readGap{4};
    /// How often the pointer is read where the server cannot report motion.
    static constexpr std::chrono::milliseconds pollPeriod{16};

    /// xcb_query_pointer (device pixels) through the display that holds it; QCursor::pos()
    /// gets this wrong on desktops that mix scales. A round trip: for reads on request, where
    /// a warp must be seen too.
    [[nodiscard]] Point pointerLocation() const override;
    /// `handler` runs once per event-loop turn in which any screen was added, removed, made
    /// primary, moved, resized or changed its dots per inch.
    void setScreensChangedHandler(std::function<void()> handler) override;
    /// `query` reads the pointer (root coordinates, device pixels) where it is cheaper to, or
    /// gives nothing to have it read here. Used while motion is reported: the reports tell the
    /// overlay's presenters how far the server has got, which the side connection's own query
    /// would otherwise tell them.
    void setPointerQuery(std::function<std::optional<Point>()> query) {
        pointerQuery_ = std::move(query);
    }
    /// `dispatch` is given each hand-over of a pointer move to the pointer handler, and runs it.
    void setPointerDispatch(std::function<void(const std::function<void()>& handOver)> dispatch) {
        pointerDispatch_ = std::move(dispatch);
    }
    void setPointerHandler(std::function<void(Point)> handler) override;

private:
    X11DisplayPort(std::unique_ptr<x11::SideConnection> owned, x11::SideConnection* side);
    [[nodiscard]] const std::vector<Display>& knownDisplays() const;
    /// Motion was reported: a read is due.
    void motionSeen();
    void motionSettled();
    /// Reads the pointer and hands it on when it moved.
    void readPointer();
    /// The pointer in root coordinates (device pixels); nothing when the server did not answer.
    [[nodiscard]] std::optional<Point> readDevicePointer() const;

    std::unique_ptr<QObject> context_;
    std::function<void()> handler_;
    std::function<std::optional<Point>()> pointerQuery_;
    bool motionReported_ = false; ///< the side connection reports raw motion
    std::function<void(const std::function<void()>&)> pointerDispatch_;
    std::function<void(Point)> pointerHandler_;
    std::unique_ptr<QTimer> read_;
    std::chrono::steady_clock::time_point lastRead_;
    std::optional<Point> pushed_; ///< what the pointer handler was last given
    mutable std::optional<std::vector<Display>> cache_;
    std::unique_ptr<x11::SideConnection> ownSide_;
    x11::SideConnection* side_;              ///< for pointer queries
    xcb_connection_t* connection_ = nullptr; ///< Qt's
    std::uint32_t root_ = 0;
    QtScreenChanges screenChanges_; ///< last: it calls into the members above
};

} // namespace spanlet
