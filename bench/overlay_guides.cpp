// How long the built spanlet takes to show its overlay with 1 and with 16,000 guides, on an
// Xvfb of its own without a compositor (so the overlay window is shaped to what it draws):
// from the start of the process until its overlay window is mapped, which follows the first
// draw list and the window's shape. The guides alternate between vertical and horizontal,
// 10 points apart from the desktop's top-left corner on, so that the 1920 × 1080 display shows
// 300 of 16,000 with their gap labels, and the shape is a grid of some 40,000 rectangles; the
// rest lie beyond it. Each run is ended with SIGTERM, outside the timing.
// The goal: 16,000 guides within twice the time of one.
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/Preferences.hpp>

namespace {

namespace fs = std::filesystem;
using namespace spanlet;

fs::path scratch; // configuration and runtime folders, removed at the end

fs::path configWithGuides(std::int64_t count) {
    const fs::path dir = scratch / ("config-" + std::to_string(count));
    Preferences prefs;
    prefs.welcomed = true;
    for (std::int64_t i = 0; i < count; ++i) {
        const Axis axis = i % 2 == 0 ? Axis::vertical : Axis::horizontal;
        prefs.guides.add(axis, static_cast<double>(i / 2 * 10), DisplayScale::standard);
    }
    FileDefaultsStore store(dir / "spanlet");
    prefs.save(store);
    return dir;
}

struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, XcbFree>;

/// Whether a viewable top-level window is named "Spanlet Overlay".
bool overlayMapped(xcb_connection_t* c, xcb_window_t root) {
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (!tree) {
        return false;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    static constexpr std::string_view name = "Spanlet Overlay";
    for (int i = 0; i < count; ++i) {
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
            continue;
        }
        const Reply<xcb_get_property_reply_t> title(xcb_get_property_reply(
            c, xcb_get_property(c, 0, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 64),
            nullptr));
        if (title && std::string_view(static_cast<const char*>(xcb_get_property_value(title.get())),
                                      static_cast<std::size_t>(
                                          xcb_get_property_value_length(title.get()))) == name) {
            return true;
        }
    }
    return false;
}

void BM_StartShowingGuides(benchmark::State& state) {
    const fs::path config = configWithGuides(state.range(0));
    const fs::path runtime = scratch / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    for (int retry = 0; xcb_connection_has_error(c) != 0 && retry < 50; ++retry) {
        xcb_disconnect(c);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        c = xcb_connect(nullptr, nullptr);
    }
    if (xcb_connection_has_error(c) != 0) {
        state.SkipWithError("no connection to the X server");
        xcb_disconnect(c);
        return;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            ::execl(SPANLET_BINARY, SPANLET_BINARY, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const auto limit = start + std::chrono::seconds(60);
        bool shown = false;
        while (!(shown = overlayMapped(c, root)) && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        ::kill(child, SIGTERM);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!shown) {
            state.SkipWithError("the overlay was not shown within 60 s");
            break;
        }
    }
    xcb_disconnect(c);
}

BENCHMARK(BM_StartShowingGuides)
    ->ArgName("guides")
    ->Arg(1)
    ->Arg(16000)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

/// Xvfb on a display it picks itself; false when it does not come up.
bool startXvfb(pid_t& xvfb) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return false;
    }
    xvfb = ::fork();
    if (xvfb == 0) {
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp",
                 "-screen", "0", "1920x1080x24", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    // Up to the newline, which may come in a write of its own; the pipe stays open, as Xvfb
    // ends when it cannot write.
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    if (number.empty()) {
        return false;
    }
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/spanlet-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return 1;
    }
    scratch = pattern;
    pid_t xvfb = -1;
    if (!startXvfb(xvfb)) {
        std::fputs("bench_overlay_guides: Xvfb did not start\n", stderr);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ::kill(xvfb, SIGTERM);
    ::waitpid(xvfb, nullptr, 0);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return 0;
}
