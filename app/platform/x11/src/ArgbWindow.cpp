#include "ArgbWindow.hpp"

#include <QObject>
#include <array>
#include <string_view>
#include <utility>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <spanlet/platform/qt/TurnEnd.hpp>
#include <spanlet/x11/SideConnection.hpp>

#include "XcbRequests.hpp"

namespace spanlet::x11 {

namespace {

xcb_visualid_t argbVisual(xcb_screen_t* screen) {
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem > 0; xcb_depth_next(&d)) {
        if (d.data->depth != 32) {
            continue;
        }
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v)) {
            if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR) {
                return v.data->visual_id;
            }
        }
    }
    return XCB_NONE;
}

xcb_screen_t* screenOf(xcb_connection_t* c, xcb_window_t root) {
    for (auto s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem > 0; xcb_screen_next(&s)) {
        if (s.data->root == root) {
            return s.data;
        }
    }
    return nullptr;
}

void setCardinal(xcb_connection_t* c, xcb_window_t window, std::string_view name,
                 std::uint32_t value) {
    const xcb_atom_t atom = internAtom(c, name);
    if (atom != XCB_ATOM_NONE) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom, XCB_ATOM_CARDINAL, 32, 1,
                            &value);
    }
}

} // namespace

std::unique_ptr<ArgbWindow> ArgbWindow::make(SideConnection& side, std::shared_ptr<OwnWindows> own,
                                             std::uint32_t background) {
    xcb_connection_t* c = side.get();
    xcb_screen_t* screen = side.alive() ? screenOf(c, side.root()) : nullptr;
    const xcb_visualid_t visual = screen != nullptr ? argbVisual(screen) : XCB_NONE;
    if (visual == XCB_NONE) {
        return nullptr;
    }
    const xcb_colormap_t colormap = xcb_generate_id(c);
    xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, screen->root, visual);
    const xcb_window_t window = xcb_generate_id(c);
    // Value order follows the mask bits: background, border, override-redirect, colormap.
    const std::array<std::uint32_t, 4> values{background, 0, 1, colormap};
    xcb_create_window(
        c, 32, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
        XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_COLORMAP,
        values.data());
    // Clicks go through to whatever is below; no compositor draws a shadow around it.
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         window, 0, 0, 0, nullptr);
    setCardinal(c, window, "_COMPTON_SHADOW", 0);
    constexpr char wmClass[] = "spanlet\0Spanlet"; // two strings, each ending in a null
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof(wmClass), wmClass);
    // Registered before it is ever shown, so no capture sees it.
    own->add(window);
    return std::unique_ptr<ArgbWindow>(new ArgbWindow(side, std::move(own), window, colormap));
}

ArgbWindow::ArgbWindow(SideConnection& side, std::shared_ptr<OwnWindows> own, std::uint32_t window,
                       std::uint32_t colormap)
    : side_(side), own_(std::move(own)), window_(window), colormap_(colormap),
      context_(std::make_unique<QObject>()) {}

ArgbWindow::~ArgbWindow() {
    if (side_.alive()) {
        xcb_destroy_window(side_.get(), window_);
        xcb_free_colormap(side_.get(), colormap_);
        xcb_flush(side_.get());
    }
    own_->remove(window_);
}

bool ArgbWindow::map() {
    if (mapped_) {
        return false;
    }
    xcb_map_window(side_.get(), window_);
    mapped_ = true;
    return true;
}

void ArgbWindow::unmap() {
    if (mapped_) {
        xcb_unmap_window(side_.get(), window_);
        xcb_flush(side_.get());
        mapped_ = false;
    }
}

void ArgbWindow::flushAtTurnEnd() {
    if (flushing_) {
        return;
    }
    flushing_ = true;
    atTurnEnd(context_.get(), [this] {
        flushing_ = false;
        if (side_.alive()) {
            xcb_flush(side_.get());
        }
    });
}

} // namespace spanlet::x11
