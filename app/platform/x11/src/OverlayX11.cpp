#include "OverlayX11.hpp"

#include <QSocketNotifier>
#include <cstdlib>
#include <vector>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace spanlet::overlayx11 {

void flush() {
    if (xcb_connection_t* c = qtConnection()) {
        xcb_flush(c);
    }
}

unsigned int roundTrip(xcb_connection_t* c) {
    const xcb_get_input_focus_cookie_t cookie = xcb_get_input_focus(c);
    std::free(xcb_get_input_focus_reply(c, cookie, nullptr));
    return cookie.sequence;
}

void sync() {
    if (xcb_connection_t* c = qtConnection()) {
        roundTrip(c);
    }
}

void setShape(std::uint32_t window, const QRegion& device) {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return;
    }
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(static_cast<std::size_t>(device.rectCount()));
    for (const QRect& r : device) {
        rects.push_back({static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                         static_cast<std::uint16_t>(r.width()),
                         static_cast<std::uint16_t>(r.height())});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                         window, 0, 0, static_cast<std::uint32_t>(rects.size()), rects.data());
    xcb_flush(c);
}

bool compositorRunning() {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return true; // not X11: windows are composited
    }
    static constexpr char name[] = "_NET_WM_CM_S0";
    const auto atom = reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(sizeof(name) - 1), name), nullptr));
    if (!atom) {
        return false;
    }
    const auto owner =
        reply(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

std::uint32_t inputFocus() {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return XCB_WINDOW_NONE;
    }
    const auto focus = reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return focus ? focus->focus : xcb_window_t{XCB_WINDOW_NONE};
}

void setInputFocus(std::uint32_t window) {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return;
    }
    xcb_window_t target = XCB_INPUT_FOCUS_POINTER_ROOT;
    if (window != XCB_WINDOW_NONE && window != XCB_INPUT_FOCUS_POINTER_ROOT) {
        const auto attrs = reply(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
        if (attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE) {
            target = window;
        }
    }
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, target, XCB_CURRENT_TIME);
    xcb_flush(c);
}

MapWatcher::MapWatcher(std::function<void(std::uint32_t)> mapped) : mapped_(std::move(mapped)) {
    if (qtConnection() == nullptr) {
        return;
    }
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_) != 0) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    // Our own connection, so this event mask does not replace the one Qt keeps on the root.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, x11::defaultRoot(connection_), XCB_CW_EVENT_MASK,
                                 &mask);
    xcb_flush(connection_);
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                  QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readEvents(); });
}

MapWatcher::~MapWatcher() {
    notifier_.reset();
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

void MapWatcher::readEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const auto owned = reply(event);
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            mapped_(map->window);
        }
    }
}

} // namespace spanlet::overlayx11
