#pragma once

#include <functional>
#include <memory>

#include <spanlet/gnome/GnomeShortcuts.hpp>
#include <spanlet/platform/ConfiguredHotkeys.hpp>
#include <spanlet/platform/Platform.hpp>
#include <spanlet/platform/qt/QtClipboard.hpp>
#include <spanlet/stillframe/FrameSource.hpp>
#include <spanlet/stillframe/ScreenDisplays.hpp>
#include <spanlet/stillframe/StillFrameCapture.hpp>
#include <spanlet/stillframe/StillFrameHost.hpp>
#include <spanlet/stillframe/StillFramePermission.hpp>
#include <spanlet/stillframe/StillFrames.hpp>
#include <spanlet/wayland/WaylandPlatform.hpp>

namespace spanlet::stillframe {

/// Our Qt windows on a Wayland desktop: it composites them, and nothing needs leaving out of
/// captures, which read the still frame.
class StillFrameSurfaces final : public WindowSurfaces {
public:
    [[nodiscard]] bool compositing() const override { return true; }
    void addOwnWindow(NativeWindow /*window*/) override {}
    void removeOwnWindow(NativeWindow /*window*/) override {}
};

/// The back end for Wayland desktops that keep no window of a client above the others (GNOME,
/// and any other that neither the wlroots nor the Plasma back end serves): Spanlet measures on
/// a still frame of every display (StillFrameHost), captures read that frame, and every window
/// is an ordinary Qt window on Qt's wayland platform. The ruler is one too.
class StillFramePlatform final : public Platform {
public:
    /// Whether a Wayland compositor answers at $WAYLAND_DISPLAY (any will do).
    static wayland::WaylandPlatform::Offer offer();
    /// Nothing unless Qt runs on wayland.
    static std::unique_ptr<StillFramePlatform> make();
    /// The first that works of the ways this desktop may offer to grab a frame.
    static std::unique_ptr<FrameSource> desktopFrameSource();

    /// `source` grabs the frames; `canCapture` says whether it can be tried at all.
    explicit StillFramePlatform(
        std::unique_ptr<FrameSource> source,
        std::function<bool()> canCapture = StillFramePermission::sessionOffersCapture,
        StillFrameHost::ShowRefusal showRefusal = StillFrameHost::refusalBox);

    [[nodiscard]] ScreenDisplays& displays() override { return displays_; }
    [[nodiscard]] StillFrameCapture& capture() override { return capture_; }
    [[nodiscard]] PermissionPort& permission() override { return permission_; }
    /// The desktop's configuration binds keys to `spanlet --command NAME`; on GNOME Settings
    /// offers to add them to its keyboard shortcuts (the shell prefers the GlobalShortcuts
    /// portal where it runs).
    [[nodiscard]] PlatformHotkeys& hotkeys() override { return hotkeys_; }
    [[nodiscard]] Clipboard& clipboard() override { return clipboard_; }
    [[nodiscard]] StillFrameHost& overlay() override { return overlay_; }
    [[nodiscard]] WindowSurfaces& surfaces() override { return surfaces_; }

private:
    ScreenDisplays displays_;
    StillFrames frames_;
    StillFrameCapture capture_;
    StillFramePermission permission_;
    ConfiguredHotkeys hotkeys_{gnome::GnomeShortcuts::make(gnome::GnomeShortcuts::ownProgram())};
    QtClipboard clipboard_;
    StillFrameSurfaces surfaces_;
    StillFrameHost overlay_;
};

} // namespace spanlet::stillframe
