#include "Scene.hpp"

#include <algorithm>
#include <cstring>

namespace spanlet::test {

namespace {

RGBA rgba(std::uint32_t colour) {
    return {std::uint8_t(colour >> 16), std::uint8_t(colour >> 8), std::uint8_t(colour), 255};
}

// Colour (0xRRGGBB) of pattern `seed` at (x, y) relative to the pattern's origin.
std::uint32_t patternColour(std::uint32_t seed, int x, int y) {
    std::uint32_t h = seed * 2654435761u ^ std::uint32_t(x / 9) * 2246822519u ^
                      std::uint32_t(y / 7) * 3266489917u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    return h & 0xffffff;
}

} // namespace

Scene::Scene() {
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        return;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    root_ = screen->root;
    visual_ = screen->root_visual;
    rootRect_ = QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
    gc_ = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc_, root_, 0, nullptr);
    sync();
}

Scene::~Scene() {
    if (ok()) {
        for (auto w = windows_.rbegin(); w != windows_.rend(); ++w) { // children first
            xcb_destroy_window(connection_, w->id);
        }
        for (xcb_window_t frame : frames_) {
            xcb_destroy_window(connection_, frame);
        }
        if (hasWallpaper_) {
            xcb_delete_property(connection_, root_, rootPixmapAtom());
        }
        sync();
    }
    xcb_disconnect(connection_);
}

void Scene::sync() const {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

xcb_atom_t Scene::rootPixmapAtom() const {
    return reply(xcb_intern_atom_reply(
                     connection_, xcb_intern_atom(connection_, 0, 13, "_XROOTPMAP_ID"), nullptr))
        ->atom;
}

void Scene::fill(xcb_drawable_t drawable, int width, int height, std::uint32_t seed) {
    // ZPixmap, 32 bits per pixel, least significant byte first (Xvfb on this machine); a few
    // rows per request to stay under the request size limit.
    const int rowsPerRequest = std::max(1, 65536 / width);
    std::vector<std::uint8_t> data;
    for (int y0 = 0; y0 < height; y0 += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, height - y0);
        data.assign(std::size_t(width) * std::size_t(rows) * 4, 0);
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t c = patternColour(seed, x, y0 + y);
                std::memcpy(&data[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4], &c,
                            4);
            }
        }
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc_, std::uint16_t(width),
                      std::uint16_t(rows), 0, std::int16_t(y0), 0, 24, std::uint32_t(data.size()),
                      data.data());
    }
}

// An override-redirect window of the root's depth at `rect`, mapped.
xcb_window_t Scene::createWindow(const QRect& rect, std::uint32_t background) {
    const xcb_window_t id = xcb_generate_id(connection_);
    const std::uint32_t values[] = {background, 1};
    xcb_create_window(connection_, 24, id, root_, std::int16_t(rect.x()), std::int16_t(rect.y()),
                      std::uint16_t(rect.width()), std::uint16_t(rect.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual_,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(connection_, id);
    return id;
}

xcb_window_t Scene::addWindow(const QRect& rect, std::uint32_t seed) {
    const xcb_window_t id = createWindow(rect, 0x000000);
    fill(id, rect.width(), rect.height(), seed);
    sync();
    windows_.push_back({id, rect, seed});
    return id;
}

void Scene::repaint(xcb_window_t window, std::uint32_t seed) {
    for (Placed& w : windows_) {
        if (w.id == window) {
            fill(window, w.rect.width(), w.rect.height(), seed);
            sync();
            w.seed = seed;
        }
    }
}

xcb_window_t Scene::addChild(xcb_window_t parent, const QRect& rect, std::uint32_t seed) {
    const auto above = std::find_if(windows_.begin(), windows_.end(),
                                    [parent](const Placed& p) { return p.id == parent; });
    const QPoint at = rect.topLeft() - above->rect.topLeft();
    const xcb_window_t id = xcb_generate_id(connection_);
    xcb_create_window(connection_, 24, id, parent, std::int16_t(at.x()), std::int16_t(at.y()),
                      std::uint16_t(rect.width()), std::uint16_t(rect.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual_, 0, nullptr);
    xcb_map_window(connection_, id);
    fill(id, rect.width(), rect.height(), seed);
    sync();
    // Shown over its parent and under whatever lies over the parent.
    windows_.insert(above + 1, {id, rect, seed});
    return id;
}

xcb_window_t Scene::addTranslucentWindow(const QRect& rect, std::uint32_t premultiplied,
                                         bool composited) {
    xcb_visualid_t visual = 0;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem > 0 && !visual;
         xcb_depth_next(&d)) {
        if (d.data->depth == 32 && d.data->visuals_len > 0) {
            visual = xcb_depth_visuals(d.data)[0].visual_id;
        }
    }
    const xcb_colormap_t colormap = xcb_generate_id(connection_);
    xcb_create_colormap(connection_, XCB_COLORMAP_ALLOC_NONE, colormap, root_, visual);
    const xcb_window_t id = xcb_generate_id(connection_);
    const std::uint32_t values[] = {0, 0, 1, colormap}; // back, border, override, colormap
    xcb_create_window(connection_, 32, id, root_, std::int16_t(rect.x()), std::int16_t(rect.y()),
                      std::uint16_t(rect.width()), std::uint16_t(rect.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                          XCB_CW_COLORMAP,
                      values);
    xcb_map_window(connection_, id);
    const xcb_gcontext_t gc = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc, id, XCB_GC_FOREGROUND, &premultiplied);
    const xcb_rectangle_t all{0, 0, std::uint16_t(rect.width()), std::uint16_t(rect.height())};
    xcb_poly_fill_rectangle(connection_, id, gc, 1, &all);
    xcb_free_gc(connection_, gc);
    sync();
    windows_.push_back({id, rect, 0, premultiplied, composited});
    return id;
}

xcb_window_t Scene::addFrame(const QRect& rect) {
    const xcb_window_t id = createWindow(rect, 0x404040);
    sync();
    frames_.push_back(id);
    return id;
}

void Scene::destroy(xcb_window_t window) {
    xcb_destroy_window(connection_, window);
    sync();
    std::erase_if(windows_, [&](const Placed& p) { return p.id == window; });
}

void Scene::setWallpaper(std::uint32_t seed) {
    // Like a wallpaper setter: a new pixmap, published, then the old one freed.
    const xcb_pixmap_t previous = wallpaper_;
    wallpaper_ = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, 24, wallpaper_, root_, std::uint16_t(rootRect_.width()),
                      std::uint16_t(rootRect_.height()));
    fill(wallpaper_, rootRect_.width(), rootRect_.height(), seed);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, rootPixmapAtom(),
                        XCB_ATOM_PIXMAP, 32, 1, &wallpaper_);
    xcb_change_window_attributes(connection_, root_, XCB_CW_BACK_PIXMAP, &wallpaper_);
    xcb_clear_area(connection_, 0, root_, 0, 0, 0, 0);
    if (previous != XCB_PIXMAP_NONE) {
        xcb_free_pixmap(connection_, previous);
    }
    sync();
    hasWallpaper_ = true;
    wallpaperSeed_ = seed;
}

// What shows at (x, y) from the windows below index `top`.
RGBA Scene::expectedBelow(std::size_t top, int x, int y) const {
    for (std::size_t i = top; i-- > 0;) {
        const Placed& w = windows_[i];
        if (!w.rect.contains(x, y)) {
            continue;
        }
        if (w.argb == 0 && !w.blended) {
            return rgba(patternColour(w.seed, x - w.rect.x(), y - w.rect.y()));
        }
        const RGBA source = rgba(w.argb);
        if (!w.blended) {
            return source;
        }
        // Premultiplied over: source + beneath × (255 − alpha) / 255, rounded.
        const unsigned alpha = w.argb >> 24;
        const RGBA beneath = expectedBelow(i, x, y);
        auto over = [&](std::uint8_t s, std::uint8_t d) {
            return std::uint8_t((s * 255u + d * (255u - alpha) + 127u) / 255u);
        };
        return {over(source.r, beneath.r), over(source.g, beneath.g), over(source.b, beneath.b),
                255};
    }
    return hasWallpaper_ ? rgba(patternColour(wallpaperSeed_, x, y)) : RGBA::black;
}

PixelBuffer Scene::expected(const QRect& device, const QRect& displayFrame) const {
    PixelBuffer buffer(device.width(), device.height(), RGBA::clear);
    const QRect visible = displayFrame.intersected(rootRect_);
    for (int y = 0; y < device.height(); ++y) {
        for (int x = 0; x < device.width(); ++x) {
            const QPoint p(device.x() + x, device.y() + y);
            if (visible.contains(p)) {
                buffer(x, y) = expectedBelow(windows_.size(), p.x(), p.y());
            }
        }
    }
    return buffer;
}

PixelBuffer Scene::rootImage(const QRect& rect) const {
    const auto image = reply(xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, std::int16_t(rect.x()),
                      std::int16_t(rect.y()), std::uint16_t(rect.width()),
                      std::uint16_t(rect.height()), ~0u),
        nullptr));
    PixelBuffer buffer(rect.width(), rect.height(), RGBA::clear);
    if (!image || xcb_get_image_data_length(image.get()) < rect.width() * rect.height() * 4) {
        return buffer;
    }
    const std::uint8_t* data = xcb_get_image_data(image.get());
    for (int y = 0; y < rect.height(); ++y) {
        for (int x = 0; x < rect.width(); ++x) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, data + (y * rect.width() + x) * 4, 4);
            buffer(x, y) = rgba(pixel);
        }
    }
    return buffer;
}

} // namespace spanlet::test
