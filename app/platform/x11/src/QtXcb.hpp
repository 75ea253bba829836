#pragma once

#include <xcb/xcb.h>

namespace spanlet::x11 {

/// Qt's own XCB connection, or null when Qt does not run on xcb.
xcb_connection_t* qtConnection();

/// The root window of the screen that $DISPLAY names (Qt connects to the same one).
xcb_window_t defaultRoot(xcb_connection_t* connection);

} // namespace spanlet::x11
