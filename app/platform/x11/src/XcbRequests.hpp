#pragma once

#include <string_view>
#include <xcb/xcb.h>

namespace spanlet::x11 {

/// The atom named `name`, made when missing; XCB_ATOM_NONE when the server does not answer.
xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name);

/// Waits until the server has handled every request sent on `connection` so far.
void roundTrip(xcb_connection_t* connection);

/// Takes the events of `connection` one by one: those already read, then, when `readSocket`,
/// what one read of the socket brings. xcb_poll_for_event alone reads again each time its
/// queue runs dry, so a drain would end with a read that finds nothing: a system call per
/// drain, several per pointer move. What comes later wakes the event loop anew.
class EventReader {
public:
    EventReader(xcb_connection_t* connection, bool readSocket)
        : connection_(connection), read_(readSocket) {}
    /// The next event (the caller frees it), or null.
    xcb_generic_event_t* next();

private:
    xcb_connection_t* connection_;
    bool read_;
};

} // namespace spanlet::x11
