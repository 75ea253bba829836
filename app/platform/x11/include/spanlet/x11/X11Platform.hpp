#pragma once

#include <memory>

#include <spanlet/platform/Platform.hpp>
#include <spanlet/x11/SideConnection.hpp>
#include <spanlet/x11/X11Capture.hpp>
#include <spanlet/x11/X11Clipboard.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>
#include <spanlet/x11/X11Hotkeys.hpp>
#include <spanlet/x11/X11OverlayHost.hpp>
#include <spanlet/x11/X11Permission.hpp>
#include <spanlet/x11/X11Surfaces.hpp>

namespace spanlet {

/// The X11 back end. Besides Qt's connection it holds two of its own: the capture's (with the
/// Composite redirection) and the side connection for everything else.
/// Made before any window of ours is shown, so the redirection is in place first.
class X11Platform final : public Platform {
public:
    /// Nothing when Qt does not run on xcb or no X connection can be made.
    static std::unique_ptr<X11Platform> make();

    X11Platform();
    ~X11Platform() override;
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    [[nodiscard]] X11DisplayPort& displays() override { return displays_; }
    [[nodiscard]] X11Capture& capture() override { return capture_; }
    [[nodiscard]] PermissionPort& permission() override { return permission_; }
    [[nodiscard]] X11Hotkeys& hotkeys() override { return hotkeys_; }
    [[nodiscard]] Clipboard& clipboard() override { return clipboard_; }
    [[nodiscard]] X11OverlayHost& overlay() override { return overlay_; }
    [[nodiscard]] X11Surfaces& surfaces() override { return surfaces_; }

private:
    x11::SideConnection side_;
    X11DisplayPort displays_;
    X11Capture capture_;
    X11Permission permission_;
    X11Hotkeys hotkeys_;
    X11Clipboard clipboard_;
    X11Surfaces surfaces_;
    X11OverlayHost overlay_;
};

} // namespace spanlet
