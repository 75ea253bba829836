#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <xcb/xcb.h>

#include <spanlet/Geometry.hpp>

namespace spanlet::x11 {

/// One RandR monitor: its name (as Qt names the screen), the display id we give it (its first
/// output's XID, or its name atom when it has no output) and its rectangle in device pixels
/// (root-window coordinates).
struct Monitor {
    std::string name;
    std::uint32_t id = 0;
    Rect deviceFrame;
};

/// The active monitors of `root`; empty when the server lacks RandR 1.5. One round trip plus
/// one pipelined batch of atom-name requests.
std::vector<Monitor> randrMonitors(xcb_connection_t* connection, xcb_window_t root);

} // namespace spanlet::x11
