// Pointer-to-screen latency of edge snapping, measured from outside the process: the pointer
// moves through XTest and the times until Spanlet's overlay panel is repainted (DAMAGE events
// on the panel windows) are taken: the first repaint, and the last of the burst that follows
// the move (repaints 40 ms apart or closer). The last one follows the publication of the new
// live measurement, so it bounds "XTest move to publication" from above; the move reaches
// Spanlet as raw motion from the server.
//
//   latency_probe windows             maps 32 windows of boxes in a grid, runs until SIGTERM
//   latency_probe measure <moves> [trace]
//                                     moves <moves> times between the boxes; prints p50, p95,
//                                     p99 of move → first and last repaint in milliseconds.
//                                     With the file Spanlet writes when started with
//                                     SPANLET_TRACE=<trace>, also the model's own figures:
//                                     processing (the model hearing of the move → the live
//                                     measurement published) and XTest move → published.
//   latency_probe move <seconds> <hz> moves the pointer in a circle at <hz> for <seconds>
//
// DAMAGE is spoken with raw requests (its xcb binding is not a build dependency).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/uio.h>
#include <thread>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xtest.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int gridColumns = 8;
constexpr int gridRows = 4;

struct Display {
    xcb_connection_t* c = nullptr;
    xcb_screen_t* screen = nullptr;
    bool open() {
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c)) {
            std::fputs("latency_probe: no X display\n", stderr);
            return false;
        }
        screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        return true;
    }
    void sync() const { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
};

// Cell (column, row) of the grid of windows: x, y, width, height in root pixels.
struct Cell {
    int x, y, w, h;
};
Cell cell(const Display& d, int i) {
    const int w = d.screen->width_in_pixels / gridColumns;
    const int h = (d.screen->height_in_pixels - 40) / gridRows;
    return {(i % gridColumns) * w, (i / gridColumns) * h, w, h};
}

int windows(Display& d) {
    const xcb_gcontext_t gc = xcb_generate_id(d.c);
    xcb_create_gc(d.c, gc, d.screen->root, 0, nullptr);
    for (int i = 0; i < gridColumns * gridRows; ++i) {
        const Cell g = cell(d, i);
        const xcb_window_t w = xcb_generate_id(d.c);
        const std::uint32_t values[] = {0xFFFFFF, 1};
        xcb_create_window(d.c, 24, w, d.screen->root, std::int16_t(g.x), std::int16_t(g.y),
                          std::uint16_t(g.w), std::uint16_t(g.h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          d.screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT,
                          values);
        // A box in the middle of each window, its size and colour different per window, drawn
        // into a background pixmap so that it survives exposure.
        const xcb_pixmap_t p = xcb_generate_id(d.c);
        xcb_create_pixmap(d.c, 24, p, w, std::uint16_t(g.w), std::uint16_t(g.h));
        const std::uint32_t white = 0xFFFFFF;
        xcb_change_gc(d.c, gc, XCB_GC_FOREGROUND, &white);
        const xcb_rectangle_t all{0, 0, std::uint16_t(g.w), std::uint16_t(g.h)};
        xcb_poly_fill_rectangle(d.c, p, gc, 1, &all);
        const std::uint32_t colour = (std::uint32_t(i) * 0x2F5D13u) & 0x7F7F7Fu;
        xcb_change_gc(d.c, gc, XCB_GC_FOREGROUND, &colour);
        const xcb_rectangle_t box{std::int16_t(g.w / 6 + i % 5), std::int16_t(g.h / 6 + i % 3),
                                  std::uint16_t(g.w * 2 / 3 - i % 7),
                                  std::uint16_t(g.h * 2 / 3 - i % 4)};
        xcb_poly_fill_rectangle(d.c, p, gc, 1, &box);
        xcb_change_window_attributes(d.c, w, XCB_CW_BACK_PIXMAP, &p);
        xcb_map_window(d.c, w);
    }
    d.sync();
    std::puts("ready");
    std::fflush(stdout);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    int signal = 0;
    sigwait(&set, &signal);
    return 0;
}

void moveTo(const Display& d, int x, int y) {
    xcb_test_fake_input(d.c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, d.screen->root,
                        std::int16_t(x), std::int16_t(y), 0);
    xcb_flush(d.c);
}

// The top-level windows named "Spanlet Overlay".
std::vector<xcb_window_t> overlays(const Display& d) {
    std::vector<xcb_window_t> found;
    auto* tree = xcb_query_tree_reply(d.c, xcb_query_tree(d.c, d.screen->root), nullptr);
    if (!tree) {
        return found;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        auto* name = xcb_get_property_reply(d.c,
                                            xcb_get_property(d.c, 0, children[i], XCB_ATOM_WM_NAME,
                                                             XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                                            nullptr);
        if (name) {
            const std::string_view text(static_cast<const char*>(xcb_get_property_value(name)),
                                        std::size_t(xcb_get_property_value_length(name)));
            if (text == "Spanlet Overlay") {
                found.push_back(children[i]);
            }
            std::free(name);
        }
    }
    std::free(tree);
    return found;
}

// DAMAGE, raw: QueryVersion (minor opcode 0) and Create (1) at level RawRectangles.
struct Damage {
    std::uint8_t major = 0;
    std::uint8_t firstEvent = 0;

    bool init(const Display& d) {
        constexpr std::string_view name = "DAMAGE";
        auto* ext = xcb_query_extension_reply(
            d.c, xcb_query_extension(d.c, std::uint16_t(name.size()), name.data()), nullptr);
        if (!ext || !ext->present) {
            std::free(ext);
            return false;
        }
        major = ext->major_opcode;
        firstEvent = ext->first_event;
        std::free(ext);
        std::uint32_t query[3] = {0, 1, 1}; // header (filled below), client major 1, minor 1
        header(query, 0);
        const unsigned sequence = send(d, query, sizeof query, false);
        std::free(xcb_wait_for_reply(d.c, sequence, nullptr));
        return true;
    }
    void watch(const Display& d, xcb_window_t window) const {
        std::uint32_t create[4] = {0, xcb_generate_id(d.c), window, 0}; // level 0: raw
        header(create, 1);
        send(d, create, sizeof create, true);
    }

private:
    void header(std::uint32_t* request, std::uint8_t minor) const {
        auto* bytes = reinterpret_cast<std::uint8_t*>(request);
        bytes[0] = major;
        bytes[1] = minor;
    }
    static unsigned send(const Display& d, std::uint32_t* request, std::size_t size, bool isVoid) {
        xcb_protocol_request_t proto{};
        proto.count = 1;
        proto.ext = nullptr;
        proto.opcode = reinterpret_cast<std::uint8_t*>(request)[0];
        proto.isvoid = isVoid ? 1 : 0;
        iovec parts[3];
        parts[2].iov_base = request;
        parts[2].iov_len = size;
        return xcb_send_request(d.c, isVoid ? 0 : XCB_REQUEST_CHECKED, &parts[2], &proto);
    }
};

// Waits for a DAMAGE event until `deadline`; whether one came.
bool awaitDamage(const Display& d, const Damage& damage, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(d.c)) {
            const bool hit = (e->response_type & 0x7F) == damage.firstEvent;
            std::free(e);
            if (hit) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

// After a first repaint: the time of the last one in a burst that ends with `quiet` without
// repaints (the pointer's own repaint may come before the new measurement's).
Clock::time_point lastDamage(const Display& d, const Damage& damage, Clock::time_point first,
                             Clock::duration quiet) {
    Clock::time_point last = first;
    while (awaitDamage(d, damage, last + quiet)) {
        last = Clock::now();
    }
    return last;
}

void drain(const Display& d) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(d.c)) {
        std::free(e);
    }
}

std::int64_t monotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Spanlet's trace file, read as it grows: "moved|published <x> <y> <ns>" lines.
struct Trace {
    std::ifstream in;
    std::int64_t lastMoved = -1; // of the position asked for by expect()
    std::int64_t published = -1;
    double x = 0;
    double y = 0;

    void expect(double px, double py) {
        x = px;
        y = py;
        lastMoved = -1;
        published = -1;
    }
    // Reads what has been appended; true once the measurement at (x, y) was published.
    bool poll() {
        std::string line;
        while (published < 0 && std::getline(in, line)) {
            std::istringstream fields(line);
            std::string event;
            double lx = 0;
            double ly = 0;
            std::int64_t ns = 0;
            if (!(fields >> event >> lx >> ly >> ns) || std::abs(lx - x) > 0.01 ||
                std::abs(ly - y) > 0.01) {
                continue;
            }
            if (event == "moved") {
                lastMoved = ns;
            } else if (event == "published" && lastMoved >= 0) {
                published = ns;
            }
        }
        in.clear(); // at the end for now: more may come
        return published >= 0;
    }
};

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto i = std::size_t(std::ceil(p / 100.0 * double(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

void report(const char* what, const std::vector<double>& v) {
    std::printf("  %s: p50 %.2f ms, p95 %.2f ms, p99 %.2f ms\n", what, percentile(v, 50),
                percentile(v, 95), percentile(v, 99));
}

int measure(Display& d, int moves, const char* tracePath) {
    Trace trace;
    if (tracePath) {
        trace.in.open(tracePath);
        if (!trace.in) {
            std::fprintf(stderr, "latency_probe: can't read %s\n", tracePath);
            return 1;
        }
        trace.in.seekg(0, std::ios::end);
    }
    std::vector<double> processing;
    std::vector<double> endToEnd;
    int untraced = 0;
    Damage damage;
    if (!damage.init(d)) {
        std::fputs("latency_probe: no DAMAGE extension\n", stderr);
        return 1;
    }
    const std::vector<xcb_window_t> panels = overlays(d);
    if (panels.empty()) {
        std::fputs("latency_probe: no overlay panel (is snapping on?)\n", stderr);
        return 1;
    }
    for (xcb_window_t w : panels) {
        damage.watch(d, w);
    }
    d.sync();
    std::vector<double> first;
    std::vector<double> settled;
    int missed = 0;
    for (int i = 0; i < moves; ++i) {
        // From box to box, so that every move changes the measurement.
        const Cell g = cell(d, (i * 7) % (gridColumns * gridRows));
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        drain(d);
        const int x = g.x + g.w / 2 + i % 3;
        const int y = g.y + g.h / 2 + i % 2;
        trace.expect(x, y);
        const Clock::time_point start = Clock::now();
        const std::int64_t moved = monotonicNow();
        moveTo(d, x, y);
        if (awaitDamage(d, damage, start + std::chrono::milliseconds(500))) {
            const Clock::time_point at = Clock::now();
            const Clock::time_point end = lastDamage(d, damage, at, std::chrono::milliseconds(40));
            first.push_back(std::chrono::duration<double, std::milli>(at - start).count());
            settled.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        } else {
            ++missed;
        }
        if (tracePath) {
            const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(500);
            while (!trace.poll() && Clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            if (trace.published >= 0) {
                processing.push_back(double(trace.published - trace.lastMoved) / 1e6);
                endToEnd.push_back(double(trace.published - moved) / 1e6);
            } else {
                ++untraced;
            }
        }
    }
    if (first.empty()) {
        std::fputs("latency_probe: the overlay never repainted\n", stderr);
        return 1;
    }
    std::printf("%dx%d, %d moves, %d without repaint within 500 ms\n", d.screen->width_in_pixels,
                d.screen->height_in_pixels, moves, missed);
    std::printf("  move -> first overlay repaint: p50 %.1f ms, p95 %.1f ms, p99 %.1f ms\n",
                percentile(first, 50), percentile(first, 95), percentile(first, 99));
    std::printf("  move -> last repaint of the burst: p50 %.1f ms, p95 %.1f ms, p99 %.1f ms\n",
                percentile(settled, 50), percentile(settled, 95), percentile(settled, 99));
    if (tracePath) {
        if (processing.empty()) {
            std::fputs("latency_probe: nothing published in the trace\n", stderr);
            return 1;
        }
        std::printf("  traced: %zu moves, %d without a publication within 500 ms\n",
                    processing.size(), untraced);
        report("processing (the model hears of the move -> live measurement published)",
               processing);
        report("end to end (XTest move -> live measurement published)", endToEnd);
    }
    return 0;
}

int move(Display& d, double seconds, double hz) {
    const auto period = std::chrono::duration<double>(1.0 / hz);
    const Clock::time_point start = Clock::now();
    const int cx = d.screen->width_in_pixels / 2;
    const int cy = d.screen->height_in_pixels / 2;
    const double r = std::min(cx, cy) * 0.6;
    for (int i = 0;; ++i) {
        const auto at = start + std::chrono::duration_cast<Clock::duration>(period * i);
        if (at - start > std::chrono::duration<double>(seconds)) {
            break;
        }
        std::this_thread::sleep_until(at);
        const double a = 2.0 * std::numbers::pi * i / (hz * 4.0); // one turn every 4 s
        moveTo(d, cx + int(r * std::cos(a)), cy + int(r * std::sin(a)));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc > 1 ? argv[1] : "";
    Display d;
    if (mode == "windows" && d.open()) {
        return windows(d);
    }
    if (mode == "measure" && (argc == 3 || argc == 4) && d.open()) {
        return measure(d, std::atoi(argv[2]), argc == 4 ? argv[3] : nullptr);
    }
    if (mode == "move" && argc == 4 && d.open()) {
        return move(d, std::atof(argv[2]), std::atof(argv[3]));
    }
    std::fputs("usage: latency_probe windows | measure <moves> [trace] | move <seconds> <hz>\n",
               stderr);
    return 2;
}
