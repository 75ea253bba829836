#pragma once

#include <string>
#include <vector>

struct wl_cursor_theme;
struct wl_pointer;
struct wl_surface;

namespace spanlet::wayland {

class WaylandConnection;

/// A cursor image from the user's cursor theme ($XCURSOR_THEME and $XCURSOR_SIZE, as every
/// Wayland toolkit reads them) on a cursor surface of ours, or none at all.
class ThemeCursor {
public:
    /// `connection` must outlive this object.
    explicit ThemeCursor(WaylandConnection& connection);
    ~ThemeCursor();
    ThemeCursor(const ThemeCursor&) = delete;
    ThemeCursor& operator=(const ThemeCursor&) = delete;

    /// The theme's cursor size in points ($XCURSOR_SIZE, else 24).
    [[nodiscard]] static int size();

    /// Shows on `pointer` (entered with `serial`) the first of `names` the theme has, at
    /// `scale`; no cursor image when `names` is empty or the theme has none of them.
    void show(wl_pointer* pointer, std::uint32_t serial, const std::vector<std::string>& names,
              int scale);

private:
    WaylandConnection& connection_;
    wl_cursor_theme* theme_ = nullptr;
    int themeScale_ = 0;
    wl_surface* surface_ = nullptr;
};

} // namespace spanlet::wayland
