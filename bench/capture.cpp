// Capture timing on the X server named by $DISPLAY (run_capture.sh starts an Xvfb for it):
// 32 windows of another application under a full-display window of ours, then per pointer
// move a row, a column and a 17 × 17 square captured together, timed from the first request
// to the last completion; in the same run, whole-display captures through the same path.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <xcb/xcb.h>

#include <spanlet/NumberText.hpp>
#include <spanlet/x11/X11Capture.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>

namespace {

using spanlet::NumberText::string;
using Clock = std::chrono::steady_clock;

// A window of ours over the whole display, as the overlay would be.
class Overlay : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRectF(0, 0, width(), height()), QColor(255, 0, 255));
    }
};

void print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
}

bool waitUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 20000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// 32 windows of solid colours with a few inner rectangles each, at fixed pseudo-random places,
// plus a wallpaper pixmap; drawn through a connection of their own, like another application.
void makeScene(xcb_connection_t* c, int width, int height) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, screen->root, 0, nullptr);
    const xcb_pixmap_t wallpaper = xcb_generate_id(c);
    xcb_create_pixmap(c, screen->root_depth, wallpaper, screen->root, std::uint16_t(width),
                      std::uint16_t(height));
    std::uint32_t state = 99;
    auto next = [&](int range) {
        state = state * 1664525u + 1013904223u;
        return int((state >> 8) % std::uint32_t(range));
    };
    auto paint = [&](xcb_drawable_t d, int w, int h) {
        for (int i = 0; i < 12; ++i) {
            const std::uint32_t colour = std::uint32_t(next(0xffffff));
            xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
            const xcb_rectangle_t r{std::int16_t(next(w)), std::int16_t(next(h)),
                                    std::uint16_t(1 + next(w)), std::uint16_t(1 + next(h))};
            xcb_poly_fill_rectangle(c, d, gc, 1, &r);
        }
    };
    paint(wallpaper, width, height);
    const char name[] = "_XROOTPMAP_ID";
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, atom->atom, XCB_ATOM_PIXMAP, 32, 1,
                        &wallpaper);
    std::free(atom);
    for (int i = 0; i < 32; ++i) {
        const int w = 100 + next(width / 2);
        const int h = 80 + next(height / 2);
        const xcb_window_t win = xcb_generate_id(c);
        const std::uint32_t values[] = {std::uint32_t(next(0xffffff)), 1};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, win, screen->root,
                          std::int16_t(next(width - 50)), std::int16_t(next(height - 50)),
                          std::uint16_t(w), std::uint16_t(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT,
                          values);
        xcb_map_window(c, win);
        paint(win, w, h);
    }
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(p * double(values.size() - 1) + 0.5);
    return values[index];
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    spanlet::X11DisplayPort displays;
    // Before any window of ours is shown.
    spanlet::X11Capture capture(displays);
    const auto all = displays.displays();
    if (all.empty()) {
        print("bench_capture: no display");
        return 1;
    }
    const auto display = all.front();
    const int width = int(display.deviceFrame.width);
    const int height = int(display.deviceFrame.height);

    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    makeScene(other, width, height);

    Overlay overlay;
    overlay.setFlags(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint |
                     Qt::WindowStaysOnTopHint | Qt::Tool);
    overlay.setGeometry(QGuiApplication::primaryScreen()->geometry());
    overlay.create();
    capture.ownWindows()->add(static_cast<std::uint32_t>(overlay.winId()));
    overlay.show();
    waitUntil([&] { return overlay.isExposed(); });

    std::optional<spanlet::ScreenCapture::Filter> filter;
    capture.filter(display.info.id, [&](auto result) {
        if (auto* f = std::get_if<spanlet::ScreenCapture::Filter>(&result)) {
            filter = *f;
        }
    });
    if (!waitUntil([&] { return filter.has_value(); })) {
        print("bench_capture: no filter");
        return 1;
    }

    const spanlet::Rect frame = display.info.frame;
    const double scale = display.info.scale.factor();
    int failures = 0;
    // Captures `rects` at once and waits for every completion; microseconds taken.
    auto timed = [&](const std::vector<spanlet::Rect>& rects) {
        std::size_t pending = rects.size();
        const auto start = Clock::now();
        for (const spanlet::Rect& r : rects) {
            capture.pixels(*filter, r, scale, [&](auto result) {
                failures += std::holds_alternative<spanlet::PixelBuffer>(result) ? 0 : 1;
                --pending;
            });
        }
        while (pending > 0) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    };

    const int moves = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::vector<double> strips;
    for (int i = 0; i < moves + 20; ++i) {
        // The pointer walks across the display diagonally and back.
        const double t = double(i % 200) / 200.0;
        const double x = 8 + t * (frame.width - 16);
        const double y = 8 + (1 - t) * (frame.height - 16);
        const double us =
            timed({{0, y, frame.width, 1}, {x, 0, 1, frame.height}, {x - 8, y - 8, 17, 17}});
        if (i >= 20) { // the first few warm up caches
            strips.push_back(us);
        }
    }
    std::vector<double> full;
    for (int i = 0; i < 20; ++i) {
        full.push_back(timed({{0, 0, frame.width, frame.height}}));
    }

    const double stripMedian = percentile(strips, 0.5);
    const double fullMedian = percentile(full, 0.5);
    print("display " + string(width, 0) + "x" + string(height, 0) + ", 32 windows, " +
          string(moves, 0) + " pointer moves");
    print("  row+column+square  median " + string(stripMedian, 0) + " us, p95 " +
          string(percentile(strips, 0.95), 0) + " us");
    print("  full-display grab  median " + string(fullMedian, 0) + " us, p95 " +
          string(percentile(full, 0.95), 0) + " us");
    print("  strip-to-full ratio " + string(100 * stripMedian / fullMedian, 2) + " %");
    print("  failed captures " + string(failures, 0));
    xcb_disconnect(other);
    return failures == 0 ? 0 : 1;
}
