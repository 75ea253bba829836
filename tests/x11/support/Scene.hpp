#pragma once

#include <QRect>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

#include <spanlet/PixelBuffer.hpp>

#include "X11Env.hpp"

namespace spanlet::test {

/// What another application shows: windows of known contents and a wallpaper, drawn through a
/// connection of their own. Knows at every root pixel what the screen shows below our windows.
/// Contents are patterns of small coloured rectangles, 9 × 7 device pixels each; different
/// seeds give different colours.
class Scene {
public:
    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    [[nodiscard]] bool ok() const { return xcb_connection_has_error(connection_) == 0; }
    [[nodiscard]] xcb_connection_t* connection() const noexcept { return connection_; }
    [[nodiscard]] xcb_window_t root() const noexcept { return root_; }

    /// Maps a window at `rect` (root coordinates, device pixels) on top of the others, fills it
    /// with pattern `seed` and waits until the server has it all.
    xcb_window_t addWindow(const QRect& rect, std::uint32_t seed);
    /// Maps a 32-bit ARGB window at `rect` on top, filled with one premultiplied colour
    /// (0xAARRGGBB). The expected colour beneath follows `composited`: blended over what lies
    /// below when a compositor runs, else the colour channels as they are.
    xcb_window_t addTranslucentWindow(const QRect& rect, std::uint32_t premultiplied,
                                      bool composited);
    /// Maps an empty window at `rect` on top that the expectations ignore, as a window
    /// manager's frame around one of our windows would be.
    xcb_window_t addFrame(const QRect& rect);
    void destroy(xcb_window_t window);
    /// Maps a child of `parent` (added by addWindow) at `rect` (root coordinates, inside the
    /// parent), filled with pattern `seed`, as terminals and toolkits draw in child windows.
    xcb_window_t addChild(xcb_window_t parent, const QRect& rect, std::uint32_t seed);
    /// Fills `window` (added by addWindow or addChild) with pattern `seed` instead, in place.
    void repaint(xcb_window_t window, std::uint32_t seed);
    /// Publishes a root-sized pixmap of pattern `seed` as _XROOTPMAP_ID and shows it on the
    /// root; the previous one is freed.
    void setWallpaper(std::uint32_t seed);
    /// Waits until the server has handled everything sent so far.
    void sync() const;

    /// The expected capture of `device` (root coordinates): at each pixel the topmost scene
    /// window there, else the wallpaper, else black, leaving our windows out; pixels outside
    /// `displayFrame` are clear.
    [[nodiscard]] PixelBuffer expected(const QRect& device, const QRect& displayFrame) const;
    /// What a plain GetImage of the root window shows in `rect` (as opaque pixels).
    [[nodiscard]] PixelBuffer rootImage(const QRect& rect) const;

private:
    struct Placed {
        xcb_window_t id;
        QRect rect;
        std::uint32_t seed;
        // For translucent windows: the premultiplied colour, and whether it is blended.
        std::uint32_t argb = 0;
        bool blended = false;
    };
    [[nodiscard]] RGBA expectedBelow(std::size_t top, int x, int y) const;
    xcb_window_t createWindow(const QRect& rect, std::uint32_t background);
    void fill(xcb_drawable_t drawable, int width, int height, std::uint32_t seed);
    [[nodiscard]] xcb_atom_t rootPixmapAtom() const;

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_visualid_t visual_ = 0;
    QRect rootRect_;
    xcb_gcontext_t gc_ = 0;
    std::vector<Placed> windows_; // bottom first
    std::vector<xcb_window_t> frames_;
    bool hasWallpaper_ = false;
    std::uint32_t wallpaperSeed_ = 0;
    xcb_pixmap_t wallpaper_ = XCB_PIXMAP_NONE;
};

} // namespace spanlet::test
