#include <cstdlib>
#include <vector>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <spanlet/x11/SideConnection.hpp>
#include <spanlet/x11/X11Surfaces.hpp>

#include "FloatingWindow.hpp"
#include "ImagePresenter.hpp"
#include "QtXcb.hpp"
#include "SolidWindow.hpp"
#include "XcbReply.hpp"
#include "XcbRequests.hpp"

namespace spanlet {

using x11::qtConnection;
using x11::reply;

namespace {

/// The _NET_WM_CM_S0 selection (screen 0), whose owner is the compositing manager; none when
/// Qt does not run on xcb.
xcb_atom_t compositorSelection() {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return XCB_ATOM_NONE;
    }
    return x11::internAtom(c, "_NET_WM_CM_S0");
}

} // namespace

// Shapes, focus and stacking go through Qt's connection: Qt made the windows, so these requests
// stay in order with Qt's own. Each does nothing (or answers "none") when Qt does not run on xcb.

X11Surfaces::X11Surfaces(std::shared_ptr<OwnWindows> own, x11::SideConnection& side)
    : own_(std::move(own)), side_(side), compositorSelection_(compositorSelection()) {}

bool X11Surfaces::compositing() const {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return true; // other window systems composite
    }
    if (compositorSelection_ == XCB_ATOM_NONE) {
        return false;
    }
    const auto owner = reply(xcb_get_selection_owner_reply(
        c, xcb_get_selection_owner(c, compositorSelection_), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

X11Surfaces::~X11Surfaces() {
    side_.setOnWindowMapped({});
}

void X11Surfaces::addOwnWindow(NativeWindow window) {
    own_->add(static_cast<std::uint32_t>(window));
}

void X11Surfaces::removeOwnWindow(NativeWindow window) {
    own_->remove(static_cast<std::uint32_t>(window));
}

void X11Surfaces::setShape(NativeWindow window, std::span<const DeviceRect> shape) {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return;
    }
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(shape.size());
    for (const DeviceRect& r : shape) {
        rects.push_back({static_cast<std::int16_t>(r.x), static_cast<std::int16_t>(r.y),
                         static_cast<std::uint16_t>(r.width),
                         static_cast<std::uint16_t>(r.height)});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                         static_cast<xcb_window_t>(window), 0, 0,
                         static_cast<std::uint32_t>(rects.size()), rects.data());
    xcb_flush(c);
}

NativeWindow X11Surfaces::inputFocus() const {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return XCB_WINDOW_NONE;
    }
    const auto focus = reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return focus ? focus->focus : xcb_window_t{XCB_WINDOW_NONE};
}

void X11Surfaces::setInputFocus(NativeWindow window) {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return;
    }
    xcb_window_t target = XCB_INPUT_FOCUS_POINTER_ROOT;
    if (window != XCB_WINDOW_NONE && window != XCB_INPUT_FOCUS_POINTER_ROOT) {
        const auto attrs = reply(xcb_get_window_attributes_reply(
            c, xcb_get_window_attributes(c, static_cast<xcb_window_t>(window)), nullptr));
        if (attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE) {
            target = static_cast<xcb_window_t>(window);
        }
    }
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, target, XCB_CURRENT_TIME);
    xcb_flush(c);
}

std::unique_ptr<FloatingSurface> X11Surfaces::floatingSurface() {
    return x11::FloatingWindow::make(side_, own_);
}

std::unique_ptr<SolidSurface> X11Surfaces::solidSurface() {
    return x11::SolidWindow::make(side_, own_);
}

void X11Surfaces::flush() {
    if (xcb_connection_t* c = qtConnection()) {
        xcb_flush(c);
    }
}

void X11Surfaces::sync() {
    if (xcb_connection_t* c = qtConnection()) {
        x11::roundTrip(c);
    }
}

std::unique_ptr<SurfacePresenter> X11Surfaces::presenter(NativeWindow window) {
    if (qtConnection() == nullptr) {
        return nullptr;
    }
    return x11::ImagePresenter::forWindow(side_, static_cast<std::uint32_t>(window));
}

void X11Surfaces::setOnWindowMapped(std::function<void(NativeWindow)> handler) {
    if (!handler || qtConnection() == nullptr) {
        side_.setOnWindowMapped({});
        return;
    }
    side_.setOnWindowMapped(
        [handler = std::move(handler)](std::uint32_t window) { handler(window); });
}

} // namespace spanlet
