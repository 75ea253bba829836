#include <cstdlib>
#include <wayland-client.h>
#include <wayland-cursor.h>

#include <spanlet/wayland/ThemeCursor.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace spanlet::wayland {

int ThemeCursor::size() {
    const char* size = std::getenv("XCURSOR_SIZE");
    const int n = size != nullptr ? std::atoi(size) : 0;
    return n > 0 && n <= 256 ? n : 24;
}

ThemeCursor::ThemeCursor(WaylandConnection& connection) : connection_(connection) {}

ThemeCursor::~ThemeCursor() {
    if (surface_ != nullptr) {
        wl_surface_destroy(surface_);
    }
    if (theme_ != nullptr) {
        wl_cursor_theme_destroy(theme_);
    }
}

void ThemeCursor::show(wl_pointer* pointer, std::uint32_t serial,
                       const std::vector<std::string>& names, int scale) {
    scale = std::max(scale, 1);
    if (theme_ == nullptr || themeScale_ != scale) {
        if (theme_ != nullptr) {
            wl_cursor_theme_destroy(theme_);
        }
        theme_ = wl_cursor_theme_load(std::getenv("XCURSOR_THEME"), size() * scale,
                                      connection_.globals().shm);
        themeScale_ = scale;
    }
    wl_cursor* cursor = nullptr;
    for (const std::string& name : names) {
        if (theme_ != nullptr) {
            cursor = wl_cursor_theme_get_cursor(theme_, name.c_str());
        }
        if (cursor != nullptr) {
            break;
        }
    }
    wl_buffer* buffer = cursor != nullptr && cursor->image_count > 0
                            ? wl_cursor_image_get_buffer(cursor->images[0])
                            : nullptr;
    if (buffer == nullptr) {
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
        return;
    }
    if (surface_ == nullptr) {
        surface_ = wl_compositor_create_surface(connection_.globals().compositor);
    }
    const wl_cursor_image* image = cursor->images[0];
    wl_surface_set_buffer_scale(surface_, scale);
    wl_surface_attach(surface_, buffer, 0, 0);
    wl_surface_damage_buffer(surface_, 0, 0, static_cast<std::int32_t>(image->width),
                             static_cast<std::int32_t>(image->height));
    wl_surface_commit(surface_);
    wl_pointer_set_cursor(pointer, serial, surface_,
                          static_cast<std::int32_t>(image->hotspot_x) / scale,
                          static_cast<std::int32_t>(image->hotspot_y) / scale);
}

} // namespace spanlet::wayland
