// The scene the end-to-end tests measure: boxes of known size on a white desktop, each made to
// test one kind of edge (solid, anti-aliased, a one-pixel line, a soft shadow, a gradient, a
// texture), drawn either as a window over the whole root or as the wallpaper.
//
//   e2e_scene window | wallpaper   draws the scene, prints "ready", runs until SIGTERM
//   e2e_scene desktop              the same as a desktop window that the window manager keeps
//                                  below every other (mutter keeps an override-redirect window
//                                  above its own), and prints "click X Y" for each click on it
//   e2e_scene pattern              a desktop window as large as the root whose every device
//                                  pixel differs from its neighbours (blue at least 128)
//   e2e_scene boxes                prints one line per box: name x y width height aimX aimY
//                                  colour (root device pixels; colour as RRGGBB)
//   e2e_scene pixel X Y            prints the root window's pixel at (X, Y) as RRGGBB
//   e2e_scene stuck-manager        owns CLIPBOARD_MANAGER as a desktop's clipboard manager
//                                  would, prints "ready" and never answers (a hung one)
//
// Every box lies on white, so its measured size is the box itself; anti-aliased rims are
// drawn so that the detector counts the darker blend with the box and the lighter one with
// the background.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

enum class Kind { solid, antialiased, line, shadow, gradient, texture };

struct Box {
    const char* name;
    Kind kind;
    int x, y, width, height; // what the detector should measure, root device pixels
    std::uint32_t colour;    // 0xRRGGBB of the pixel at the aim point
};

// The left monitor (0–1151) runs at scale 2, the right one (1152–2303) at scale 1.
constexpr Box boxes[] = {
    {"solid", Kind::solid, 1200, 60, 120, 80, 0x2050C0},
    {"antialiased", Kind::antialiased, 1359, 59, 101, 61, 0x000000},
    {"line", Kind::line, 1520, 60, 1, 80, 0x000000},
    {"shadow", Kind::shadow, 1200, 220, 100, 60, 0x3070B0},
    {"gradient", Kind::gradient, 1360, 220, 160, 60, 0x808080},
    {"texture", Kind::texture, 1200, 340, 120, 60, 0x606060},
    {"hidpi", Kind::solid, 200, 100, 240, 81, 0xC03020},
};

constexpr int rootWidth = 2304;
constexpr int rootHeight = 800;

struct Image {
    int width, height;
    std::vector<std::uint32_t> pixels;
    void set(int x, int y, std::uint32_t c) {
        if (x >= 0 && y >= 0 && x < width && y < height) {
            pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = c;
        }
    }
    void fill(int x0, int y0, int w, int h, std::uint32_t c) {
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = x0; x < x0 + w; ++x) {
                set(x, y, c);
            }
        }
    }
};

std::uint32_t grey(int v) {
    const auto g = std::uint32_t(std::clamp(v, 0, 255));
    return g << 16 | g << 8 | g;
}

void draw(Image& image, const Box& b) {
    switch (b.kind) {
    case Kind::solid:
    case Kind::line:
        image.fill(b.x, b.y, b.width, b.height, b.colour);
        break;
    case Kind::antialiased:
        // A black core with a one-pixel rim: grey 64 on the left and top (closer to black,
        // so inside the box), grey 192 on the right and bottom (closer to white, outside).
        image.fill(b.x, b.y, b.width + 1, b.height + 1, grey(192));
        image.fill(b.x, b.y, b.width, b.height, grey(64));
        image.fill(b.x + 1, b.y + 1, b.width - 1, b.height - 1, b.colour);
        break;
    case Kind::shadow:
        // Eight pixels of shadow to the right and below, fading from grey 144 to white.
        for (int d = 8; d >= 1; --d) {
            image.fill(b.x + 4, b.y + 4, b.width - 4 + d, b.height - 4 + d,
                       grey(144 + 12 * (d - 1)));
        }
        image.fill(b.x, b.y, b.width, b.height, b.colour);
        break;
    case Kind::gradient:
        // From grey 64 to grey 192 left to right: steps of under one level per pixel.
        for (int x = 0; x < b.width; ++x) {
            image.fill(b.x + x, b.y, 1, b.height, grey(64 + 128 * x / (b.width - 1)));
        }
        break;
    case Kind::texture:
        // A checkerboard of two greys 11 levels apart: every step is above the default
        // threshold, yet no edge.
        for (int y = 0; y < b.height; ++y) {
            for (int x = 0; x < b.width; ++x) {
                image.set(b.x + x, b.y + y, (x + y) % 2 == 0 ? grey(0x60) : grey(0x6B));
            }
        }
        break;
    }
}

Image scene() {
    Image image{rootWidth, rootHeight,
                std::vector<std::uint32_t>(std::size_t(rootWidth) * rootHeight, 0xFFFFFF)};
    for (const Box& b : boxes) {
        draw(image, b);
    }
    return image;
}

// The conformance suite's scene, `width` × `height`.
Image pattern(int width, int height) {
    Image image{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.set(
                x, y,
                std::uint32_t((x & 255) << 16 | (y & 255) << 8 | 128 | (x >> 8) << 4 | (y >> 8)));
        }
    }
    return image;
}

// ZPixmap at 32 bits per pixel, least significant byte first, a few rows per request.
void put(xcb_connection_t* c, xcb_drawable_t d, xcb_gcontext_t gc, const Image& image) {
    const int rows = std::max(1, 60000 / image.width);
    for (int y0 = 0; y0 < image.height; y0 += rows) {
        const int n = std::min(rows, image.height - y0);
        const auto* data = reinterpret_cast<const std::uint8_t*>(
            &image.pixels[std::size_t(y0) * std::size_t(image.width)]);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, d, gc, std::uint16_t(image.width),
                      std::uint16_t(n), 0, std::int16_t(y0), 0, 24,
                      std::uint32_t(image.width * n * 4), data);
    }
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return a;
}

enum class Shown { window, wallpaper, desktop, pattern };

int show(Shown shown) {
    const bool asWallpaper = shown == Shown::wallpaper;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fputs("e2e_scene: no X display\n", stderr);
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t root = screen->root;
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, root, 0, nullptr);
    const Image image = shown == Shown::pattern
                            ? pattern(screen->width_in_pixels, screen->height_in_pixels)
                            : scene();
    if (asWallpaper) {
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        xcb_create_pixmap(c, 24, pixmap, root, rootWidth, rootHeight);
        put(c, pixmap, gc, image);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom(c, "_XROOTPMAP_ID"),
                            XCB_ATOM_PIXMAP, 32, 1, &pixmap);
        xcb_change_window_attributes(c, root, XCB_CW_BACK_PIXMAP, &pixmap);
        xcb_clear_area(c, 0, root, 0, 0, 0, 0);
    } else {
        const xcb_window_t window = xcb_generate_id(c);
        // White background; override-redirect unless managed as the desktop, which hears its
        // clicks.
        const bool managed = shown != Shown::window;
        const std::uint32_t values[] = {0xFFFFFF, managed ? 0U : 1U,
                                        managed ? std::uint32_t{XCB_EVENT_MASK_BUTTON_PRESS} : 0U};
        xcb_create_window(c, 24, window, root, 0, 0, std::uint16_t(image.width),
                          std::uint16_t(image.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        if (managed) {
            const xcb_atom_t desktop = atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_WINDOW_TYPE"),
                                XCB_ATOM_ATOM, 32, 1, &desktop);
        }
        const std::string title = "Spanlet e2e scene";
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            std::uint32_t(title.size()), title.data());
        // Content that survives exposure without a redraw loop: a pixmap as the background.
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        xcb_create_pixmap(c, 24, pixmap, window, std::uint16_t(image.width),
                          std::uint16_t(image.height));
        put(c, pixmap, gc, image);
        xcb_change_window_attributes(c, window, XCB_CW_BACK_PIXMAP, &pixmap);
        // Lowest in the stack, so that every window of Spanlet lies above it.
        const std::uint32_t below = XCB_STACK_MODE_BELOW;
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &below);
        xcb_map_window(c, window);
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &below);
    }
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // all drawn
    std::puts("ready");
    std::fflush(stdout);
    if (shown != Shown::window) {
        // Until SIGTERM ends the process.
        while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
            if ((event->response_type & 0x7F) == XCB_BUTTON_PRESS) {
                const auto* press = reinterpret_cast<xcb_button_press_event_t*>(event);
                std::printf("click %d %d\n", press->root_x, press->root_y);
                std::fflush(stdout);
            }
            std::free(event);
        }
        return 1;
    }
    // Keep the connection (and with it the pixmap) until told to stop.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    int signal = 0;
    sigwait(&set, &signal);
    if (asWallpaper) {
        xcb_delete_property(c, root, atom(c, "_XROOTPMAP_ID"));
    }
    xcb_disconnect(c);
    return 0;
}

int printPixel(int x, int y) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_image_reply_t* r =
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(x),
                                          std::int16_t(y), 1, 1, ~0u),
                            nullptr);
    int status = 1;
    if (r && xcb_get_image_data_length(r) >= 4) {
        std::uint32_t p = 0;
        std::memcpy(&p, xcb_get_image_data(r), 4);
        std::printf("%06X\n", p & 0xFFFFFF);
        status = 0;
    }
    std::free(r);
    xcb_disconnect(c);
    return status;
}

int stuckManager() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const char name[] = "CLIPBOARD_MANAGER";
    xcb_intern_atom_reply_t* manager =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
    xcb_set_selection_owner(c, window, manager->atom, XCB_CURRENT_TIME);
    std::free(manager);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // owned now
    std::puts("ready");
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        std::free(event); // SAVE_TARGETS requests among them, never answered
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "window" || mode == "wallpaper" || mode == "desktop" || mode == "pattern") {
        return show(mode == "window"      ? Shown::window
                    : mode == "wallpaper" ? Shown::wallpaper
                    : mode == "desktop"   ? Shown::desktop
                                          : Shown::pattern);
    }
    if (mode == "boxes") {
        for (const Box& b : boxes) {
            std::printf("%s %d %d %d %d %d %d %06X\n", b.name, b.x, b.y, b.width, b.height,
                        b.x + b.width / 2, b.y + b.height / 2, b.colour);
        }
        return 0;
    }
    if (mode == "pixel" && argc == 4) {
        return printPixel(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (mode == "stuck-manager") {
        return stuckManager();
    }
    std::fputs("usage: e2e_scene window|wallpaper|desktop|pattern|boxes|pixel X Y|stuck-manager\n",
               stderr);
    return 2;
}
