#include "XcbRequests.hpp"

#include <cstdint>

#include "XcbReply.hpp"

namespace spanlet::x11 {

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
    const XcbReply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void roundTrip(xcb_connection_t* connection) {
    // The cheapest request with a reply: its answer follows every earlier request's effects.
    const XcbReply<xcb_get_input_focus_reply_t> answer(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

xcb_generic_event_t* EventReader::next() {
    if (xcb_generic_event_t* event = xcb_poll_for_queued_event(connection_)) {
        return event;
    }
    if (!read_) {
        return nullptr;
    }
    read_ = false;
    return xcb_poll_for_event(connection_); // the queue is empty: this reads the socket
}

} // namespace spanlet::x11
