#pragma once

#include <string_view>
#include <xcb/xcb.h>

namespace spanlet::x11 {

/// The atom named `name`, made when missing; XCB_ATOM_NONE when the server does not answer.
xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name);

/// Waits until the server has handled every request sent on `connection` so far.
void roundTrip(xcb_connection_t* connection);

} // namespace spanlet::x11
