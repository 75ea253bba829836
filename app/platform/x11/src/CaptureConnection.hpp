#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>
#include <xcb/damage.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <spanlet/PixelBuffer.hpp>
#include <spanlet/platform/CapturePort.hpp>
#include <spanlet/x11/OwnWindows.hpp>

#include "Canvas.hpp"
#include "CaptureCache.hpp"
#include "CapturePlan.hpp"
#include "SharedSegment.hpp"
#include "XcbReply.hpp"

namespace spanlet::x11 {

/// One capture: `device` in root coordinates (device pixels) has the size of the output;
/// output pixels outside `displayFrame` stay clear.
struct CaptureRequest {
    QRect device;
    QRect displayFrame;
    std::shared_ptr<const OwnWindows> ownWindows;
};

/// The capture's own X connection. On construction it redirects every child of the root
/// window into off-screen storage (Composite, automatic mode, so the server still shows them);
/// the redirection lasts as long as the connection. A window's own contents can then be read
/// even where something (our overlay) lies over it. The stacking order is cached and refreshed
/// when the root reports a change in its children or the compositor changes.
///
/// Where the server has DAMAGE, captures are kept and served again until the server reports a
/// change to a window they read (or to the stack, the wallpaper or the compositor). Before one
/// is served, every report the server has sent is read: up to the pointer's reading when the
/// pointer was read here (queryPointer) just before.
class CaptureConnection {
public:
    CaptureConnection();
    ~CaptureConnection();
    CaptureConnection(const CaptureConnection&) = delete;
    CaptureConnection& operator=(const CaptureConnection&) = delete;

    /// Why captures cannot work here; empty when they can.
    [[nodiscard]] const std::string& problem() const noexcept { return problem_; }

    /// Reads `request`. `beforeRead`, when set, runs between planning and reading (tests use it
    /// to change windows at the worst moment).
    CaptureResult<PixelBuffer> capture(const CaptureRequest& request,
                                       const std::function<void()>& beforeRead);
    /// Reads every request, in one round trip when nothing changes meanwhile; results in the
    /// requests' order. `beforeRead` runs before each request is read.
    std::vector<CaptureResult<PixelBuffer>> captureAll(const std::vector<CaptureRequest>& requests,
                                                       const std::function<void()>& beforeRead);
    /// The pointer in root coordinates (device pixels), read on this connection: its answer
    /// also brings every report sent before it, which the captures that follow at the pointer
    /// then need not wait for. Nothing where captures cannot work or the server did not answer.
    std::optional<QPoint> queryPointer();
    /// Drops the kept captures and stops hearing of changes, until the next capture.
    void forgetKept();

    /// Whether changes where captures read are reported (the server has DAMAGE).
    [[nodiscard]] bool reportsChanges() const noexcept {
        return damageEvent_ != 0 && problem_.empty();
    }
    /// The connection's socket, readable when the server has news.
    [[nodiscard]] int socket() const;
    /// Reads the server's news; true when any of it touches what the last captureAll read (or
    /// may: the stack, the wallpaper or the compositor changed), or the connection broke.
    [[nodiscard]] bool takeChanges();

private:
    struct Window {
        xcb_window_t id = XCB_WINDOW_NONE;
        QRegion area;  // outer rectangle cut to the bounding shape, root coordinates
        QPoint origin; // top-left of the contents (inside the border), root coordinates
        PixelLayout layout;
        bool hasAlpha = false;
    };
    struct Wallpaper {
        xcb_pixmap_t pixmap = XCB_PIXMAP_NONE;
        QSize size;
        PixelLayout layout;
    };
    struct Reading {
        /// Through the shared segment, at `sharedAt`, or through the socket.
        std::variant<xcb_shm_get_image_cookie_t, xcb_get_image_cookie_t> cookie;
        std::size_t sharedAt = 0;
        QRect bounds;          // root coordinates
        std::size_t layer = 0; // index into the layers, or SIZE_MAX for the wallpaper
    };

    /// A capture whose images have been asked for.
    struct Pending {
        QRect device; // the request's rect
        QRect target; // the part of it on the display and the screen
        std::vector<Layer> layers;
        std::vector<const Window*> sources; // per layer, into windows_
        std::vector<Reading> readings;
    };

    void connect();
    /// Takes in the server's news: stack, wallpaper. Invalidates Pending::sources.
    void refresh(bool readSocket);
    /// Plans `request` over the current stack (leaving out our windows and `skip`) and asks
    /// for its images.
    Pending send(const CaptureRequest& request, const std::unordered_set<xcb_window_t>& skip,
                 const std::function<void()>& beforeRead);
    /// The pending capture's pixels; nothing when a window went away meanwhile (it is added
    /// to `failed`). A lost wallpaper fails it too, except on the last attempt (black there).
    std::optional<PixelBuffer> receive(Pending& pending, std::unordered_set<xcb_window_t>& failed,
                                       bool lastAttempt);
    /// Asks for `bounds` (root coordinates) of `drawable`, whose contents start at `origin`.
    Reading ask(xcb_drawable_t drawable, const QPoint& origin, const QRect& bounds,
                std::size_t layer);
    /// The pixels of `reading`, kept alive by `owner`; empty when they did not come.
    std::span<const std::uint8_t> await(const Reading& reading, XcbReply<void>& owner);
    /// Remembers which request last read a watched window or the wallpaper.
    void noteRead(xcb_drawable_t drawable, unsigned int sequence);
    /// Takes in the events already read and, when `readSocket`, one read's worth more.
    void drainEvents(bool readSocket);
    /// Hears of changes to `window`'s contents from now on.
    void watch(xcb_window_t window);
    /// `sequence`: the last of our requests the server had carried out when it reported it.
    /// Whether `window` is one of ours, which captures leave out.
    [[nodiscard]] bool isOwn(xcb_window_t window) const;
    void forgetDamaged(xcb_drawable_t drawable, unsigned int sequence);
    /// Stops hearing of changes to the windows, or to the wallpaper.
    void unwatchWindows();
    void unwatchWallpaper();
    void refreshStack();
    void refreshOwnTopLevels(const OwnWindows& own);
    void refreshWallpaper();
    [[nodiscard]] bool layoutFor(xcb_visualid_t visual, std::uint8_t depth,
                                 PixelLayout& layout) const;

    xcb_connection_t* connection_ = nullptr;
    std::string problem_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    QRect rootRect_;
    xcb_visualid_t rootVisual_ = 0;
    std::uint8_t rootDepth_ = 0;
    std::uint8_t xfixesEvent_ = 0; // selection-notify event code; 0 without XFixes
    bool msbFirst_ = false;
    bool shapeAvailable_ = false;
    xcb_atom_t wallpaperAtoms_[2] = {XCB_ATOM_NONE, XCB_ATOM_NONE};
    xcb_atom_t compositorAtom_ = XCB_ATOM_NONE;
    std::unordered_map<xcb_visualid_t, xcb_visualtype_t> visuals_;
    std::unordered_map<std::uint8_t, std::uint8_t> bitsPerPixel_;

    bool stackDirty_ = true;
    bool wallpaperDirty_ = true;
    bool ownDirty_ = true;
    const OwnWindows* ownSource_ = nullptr;
    std::uint64_t ownGeneration_ = 0;
    std::vector<Window> windows_; // viewable top-level windows, top first
    std::unordered_set<xcb_window_t> ownTopLevels_;
    bool composited_ = false;
    Wallpaper wallpaper_;
    /// Where the server writes the images of a round of captures; those that do not fit come
    /// through the socket. Null without MIT-SHM.
    std::unique_ptr<SharedSegment> segment_;
    std::size_t segmentUsed_ = 0;

    std::uint8_t damageEvent_ = 0; // damage-notify event code; 0 without DAMAGE: nothing is kept
    std::unordered_map<xcb_window_t, xcb_damage_damage_t> watched_;
    xcb_damage_damage_t wallpaperWatch_ = XCB_NONE;
    QRegion lastRead_;     // root coordinates
    bool changed_ = false; // news since the last read touched lastRead_
    /// The pointer was read here since the last captures: the reports before it are read.
    bool readUpToPointer_ = false;
    std::unordered_map<xcb_drawable_t, unsigned int> readAt_; // request that last read it
    CaptureCache kept_;
    /// The own windows the kept captures left out: another set makes them void.
    const OwnWindows* keptOwn_ = nullptr;
    std::uint64_t keptOwnGeneration_ = 0;
};

} // namespace spanlet::x11
