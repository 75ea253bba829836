#include "RandrMonitors.hpp"

#include <xcb/randr.h>

#include "XcbReply.hpp"

namespace spanlet::x11 {

std::vector<Monitor> randrMonitors(xcb_connection_t* connection, xcb_window_t root) {
    const XcbReply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
        connection, xcb_randr_query_version(connection, 1, 5), nullptr));
    if (!version || version->major_version < 1 ||
        (version->major_version == 1 && version->minor_version < 5)) {
        return {};
    }
    const XcbReply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
        connection, xcb_randr_get_monitors(connection, root, 1), nullptr));
    if (!reply) {
        return {};
    }
    std::vector<Monitor> monitors;
    std::vector<xcb_get_atom_name_cookie_t> names;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t* info = it.data;
        const int outputCount = xcb_randr_monitor_info_outputs_length(info);
        const std::uint32_t id =
            outputCount > 0 ? xcb_randr_monitor_info_outputs(info)[0] : std::uint32_t{info->name};
        monitors.push_back(
            {{},
             id,
             Rect{double(info->x), double(info->y), double(info->width), double(info->height)}});
        names.push_back(xcb_get_atom_name(connection, info->name));
    }
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const XcbReply<xcb_get_atom_name_reply_t> name(
            xcb_get_atom_name_reply(connection, names[i], nullptr));
        if (name) {
            monitors[i].name.assign(xcb_get_atom_name_name(name.get()),
                                    std::size_t(xcb_get_atom_name_name_length(name.get())));
        }
    }
    return monitors;
}

} // namespace spanlet::x11
