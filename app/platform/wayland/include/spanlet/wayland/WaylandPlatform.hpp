#pragma once

#include <functional>
#include <memory>

#include <spanlet/platform/ConfiguredHotkeys.hpp>
#include <spanlet/platform/Platform.hpp>
#include <spanlet/wayland/CursorCheck.hpp>
#include <spanlet/wayland/HoleCapture.hpp>
#include <spanlet/wayland/WaylandCapture.hpp>
#include <spanlet/wayland/WaylandClipboard.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandDisplayPort.hpp>
#include <spanlet/wayland/WaylandEventPump.hpp>
#include <spanlet/wayland/WaylandOverlayHost.hpp>
#include <spanlet/wayland/WaylandPermission.hpp>
#include <spanlet/wayland/WaylandSurfaces.hpp>

namespace spanlet::wayland {

/// The back end for layer-shell compositors: a connection of its own next to Qt's (which runs
/// the tool windows on Qt's wayland platform), dispatched from Qt's event loop. What copies the
/// screen differs between compositors (wlroots screencopy here, KWin's screenshot interface on
/// Plasma); the overlay, displays, pointer and clipboard are the same.
class WaylandPlatform final : public Platform {
public:
    /// What the compositor $WAYLAND_DISPLAY names offers this back end.
    enum class Offer {
        /// Everything it needs.
        everything,
        /// Not enough, or nothing listens there.
        notEnough,
        /// It did not answer within WaylandConnection::answerWait: stopped or hung.
        noAnswer,
    };
    /// Asked before the application is made, to pick Qt's platform; connects and disconnects.
    static Offer offer();
    /// Nothing unless Qt runs on wayland and the compositor offers what this back end needs.
    static std::unique_ptr<WaylandPlatform> make();

    /// Makes the capture of the screen as the compositor shows it, our overlay included.
    using MakeCapture = std::function<std::unique_ptr<CapturePort>(WaylandConnection&)>;
    /// wlroots screencopy (WaylandCapture).
    static std::unique_ptr<CapturePort> screencopy(WaylandConnection& connection);

    /// `permission` answers for the capture made; none means screencopy's, which asks nothing.
    /// `hotkeys` are the desktop's global shortcuts; none means ConfiguredHotkeys (the compositor's
    /// configuration binds keys).
    explicit WaylandPlatform(std::unique_ptr<WaylandConnection> connection,
                             const MakeCapture& makeCapture = screencopy,
                             std::unique_ptr<PermissionPort> permission = nullptr,
                             std::unique_ptr<PlatformHotkeys> hotkeys = nullptr);
    ~WaylandPlatform() override;
    WaylandPlatform(const WaylandPlatform&) = delete;
    WaylandPlatform& operator=(const WaylandPlatform&) = delete;

    [[nodiscard]] WaylandDisplayPort& displays() override { return displays_; }
    /// The capture with the overlay cleared where it copies, held back while the cursor check
    /// has the crosshair up (see CursorCheck).
    [[nodiscard]] CursorCheck& capture() override { return cursorCheck_; }
    [[nodiscard]] PermissionPort& permission() override { return *permission_; }
    [[nodiscard]] PlatformHotkeys& hotkeys() override { return *hotkeys_; }
    [[nodiscard]] Clipboard& clipboard() override { return clipboard_; }
    [[nodiscard]] WaylandOverlayHost& overlay() override { return overlay_; }
    [[nodiscard]] WindowSurfaces& surfaces() override { return surfaces_; }
    /// A layer surface: a toolkit window would be tiled like any other.
    [[nodiscard]] std::unique_ptr<PanelHost> makePanel() override;
    [[nodiscard]] WaylandConnection& connection() { return *connection_; }

private:
    std::unique_ptr<WaylandConnection> connection_;
    WaylandEventPump pump_;
    WaylandDisplayPort displays_;
    std::unique_ptr<CapturePort> capture_;
    HoleCapture holeCapture_;
    CursorCheck cursorCheck_;
    std::unique_ptr<PermissionPort> permission_;
    std::unique_ptr<PlatformHotkeys> hotkeys_;
    WaylandClipboard clipboard_;
    WaylandSurfaces surfaces_;
    WaylandOverlayHost overlay_;
};

} // namespace spanlet::wayland
