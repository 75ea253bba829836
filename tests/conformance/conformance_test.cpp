// What every display-server back end must do, against a real server of its kind: the back end
// as the application loads it, the overlay the application makes for it, the model on it.
#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/Backends.hpp>

#include "BackendUnderTest.hpp"
#include "fakes/FakePlatform.hpp"
#include "support/CaptureFixture.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {
namespace {

struct Instance {
    std::unique_ptr<BackendUnderTest> (*make)();
    double scale;
};
void PrintTo(const Instance& instance, std::ostream* out) {
    *out << "scale " << instance.scale;
}

// Display-local points whose edges fall on device pixels at every scale tried; the display
// sits at the top left, so they are global points too.
constexpr Rect kSpot{200, 120, 16, 16};
constexpr Point kGuide{kSpot.x + 8, kSpot.y + 8};

class Conformance : public ::testing::TestWithParam<Instance> {
protected:
    void SetUp() override {
        backend = GetParam().make();
        ASSERT_TRUE(backend->start(GetParam().scale));
        const SessionPlatform session = qtPlatformForSession();
        ASSERT_NE(session.qtPlatform, nullptr) << session.problem;
        setenv("QT_QPA_PLATFORM", session.qtPlatform, 1);
        app = std::make_unique<QApplication>(argc, argv);
        ASSERT_TRUE(backend->showScene());
    }

    void TearDown() override {
        model.reset();
        overlays = {};
        platform.reset();
        app.reset();
        backend.reset();
    }

    /// Loads the back end and starts the model on its displays, capture and overlay (fakes for
    /// the rest, the clock standing still) and the overlay on the model.
    Mensor& startModel() {
        platform = loadPlatform();
        EXPECT_TRUE(platform);
        overlays = makeOverlays(*platform);
        Preferences prefs;
        prefs.welcomed = true;
        model = std::make_unique<Mensor>(
            MensorPorts{fakes.clock, platform->displays(), platform->capture(),
                        platform->permission(), fakes.clipboard, fakes.announcer, fakes.preferences,
                        fakes.windows, fakes.hotkeys, *overlays.controller, fakes.sampler},
            std::move(prefs));
        overlays.attach(*model);
        model->start();
        // Wayland's scale is the output's device size over its logical size, which is whole.
        EXPECT_NEAR(model->screens()->front().scale.factor(), GetParam().scale, 0.001);
        return *model;
    }

    /// Adds a vertical guide through the spot and waits until the screen shows it there.
    [[nodiscard]] ::testing::AssertionResult guideOverSpot(Mensor& m) {
        const std::optional<PixelBuffer> before = backend->screen(kSpot);
        m.guides().add(Axis::vertical, kGuide);
        if (before && waitUntil([&] {
                const std::optional<PixelBuffer> now = backend->screen(kSpot);
                return now && !(*now == *before);
            })) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "the overlay never showed the guide";
    }

    /// Whether the real pointer moved to `at` reaches the model's within `wait`.
    bool reaches(Mensor& m, Point at, std::chrono::milliseconds wait) {
        return backend->movePointer(at) &&
               waitUntil([&] { return *m.tracking().pointer() == at; }, wait);
    }

    /// Moves the pointer to `at` once the model sees it move. Moves made before the back end
    /// watches (on Wayland, before the overlay takes the pointer) go unseen: the pointer goes
    /// back and forth until the model sees it move.
    bool watchedPointer(Mensor& m, Point at) {
        for (int i = 0; i < 50; ++i) {
            if (reaches(m, {at.x + 2 * ((i + 1) % 2), at.y}, std::chrono::milliseconds(200))) {
                return reaches(m, at, std::chrono::seconds(10));
            }
        }
        return false;
    }

    /// A capture of `rect` on the display through the back end's capture port, as the model
    /// makes one.
    CaptureResult<PixelBuffer> capture(const Rect& rect) {
        CapturePort& port = platform->capture();
        const ScreenInfo& display = model->screens()->front();
        std::optional<CaptureResult<ScreenCapture::Filter>> filter;
        port.filter(display.id, [&](auto f) { filter = std::move(f); });
        if (!waitUntil([&] { return filter.has_value(); })) {
            return ScreenCapture::Error{"no filter"};
        }
        if (const auto* error = std::get_if<ScreenCapture::Error>(&*filter)) {
            return *error;
        }
        std::optional<CaptureResult<PixelBuffer>> pixels;
        port.pixels(std::get<ScreenCapture::Filter>(*filter), rect, display.scale.factor(),
                    [&](auto p) { pixels = std::move(p); });
        if (!waitUntil([&] { return pixels.has_value(); })) {
            return ScreenCapture::Error{"no pixels"};
        }
        return *pixels;
    }

    static inline int argc = 1;
    static inline char name[] = "conformance_tests";
    static inline char* argv[] = {name, nullptr};

    std::unique_ptr<BackendUnderTest> backend;
    std::unique_ptr<QApplication> app;
    fakes::FakePlatform fakes;
    std::unique_ptr<Platform> platform;
    Overlays overlays;
    std::unique_ptr<Mensor> model;
};

// Our overlay, showing a guide across the spot, is left out of the capture: it gives the
// scene's pixels there, exactly as the screen showed them before the overlay came. A back end
// that shows the overlay only while measuring shows it once snapping starts.
TEST_P(Conformance, CaptureEqualsSceneUnderOverlay) {
    const std::optional<PixelBuffer> scene = backend->screen(kSpot);
    ASSERT_TRUE(scene);
    Mensor& m = startModel();
    if (!backend->showsOverlayWhileIdle()) {
        m.enableSnapping();
    }
    ASSERT_TRUE(guideOverSpot(m));
    const CaptureResult<PixelBuffer> captured = capture(kSpot);
    ASSERT_TRUE(std::holds_alternative<PixelBuffer>(captured))
        << describe(std::get<ScreenCapture::Error>(captured));
    EXPECT_EQ(compare(std::get<PixelBuffer>(captured), *scene), "");
}

// While nothing is measured or edited, a click on the overlay, right on the guide it shows,
// goes to the window below.
TEST_P(Conformance, IdleOverlayLetsClicksThrough) {
    if (!backend->showsOverlayWhileIdle()) {
        GTEST_SKIP() << "no overlay while idle";
    }
    ASSERT_TRUE(backend->openClickTarget(kSpot));
    Mensor& m = startModel();
    ASSERT_TRUE(guideOverSpot(m));
    ASSERT_TRUE(backend->movePointer(kGuide));
    ASSERT_TRUE(backend->click());
    EXPECT_TRUE(waitUntil([&] { return backend->clicks() == 1; }));
}

// While snapping, with the model's clock standing still so that nothing polls, each move of the
// real pointer reaches the model's pointer: the back end pushes it.
TEST_P(Conformance, PointerMotionReachesTheModelWithoutPolling) {
    Mensor& m = startModel();
    m.enableSnapping();
    ASSERT_TRUE(watchedPointer(m, {300, 200})) << "the model never saw the pointer";
    // Points on whole device pixels at every scale, inside the display at scale 2.
    for (const Point at : {Point{402, 310}, Point{120, 48}, Point{638, 398}}) {
        EXPECT_TRUE(reaches(m, at, std::chrono::seconds(10))) << at.x << ", " << at.y;
    }
}

// While snapping, the loupe shows below and right of the pointer, and a capture where it shows
// gives the scene: it is left out as the rest of the overlay is, also where it floats above it.
// It goes when snapping ends.
TEST_P(Conformance, LoupeIsLeftOutOfCaptures) {
    constexpr Point kPointer{300, 150};
    constexpr Rect kInLoupe{kPointer.x + 40, kPointer.y + 64, 16, 16};
    const std::optional<PixelBuffer> scene = backend->screen(kInLoupe);
    ASSERT_TRUE(scene);
    Mensor& m = startModel();
    m.enableSnapping();
    ASSERT_TRUE(watchedPointer(m, kPointer)) << "the model never saw the pointer";
    ASSERT_TRUE(waitUntil([&] {
        const std::optional<PixelBuffer> now = backend->screen(kInLoupe);
        return now && !(*now == *scene);
    })) << "the loupe never showed";
    const CaptureResult<PixelBuffer> captured = capture(kInLoupe);
    ASSERT_TRUE(std::holds_alternative<PixelBuffer>(captured))
        << describe(std::get<ScreenCapture::Error>(captured));
    EXPECT_EQ(compare(std::get<PixelBuffer>(captured), *scene), "");
    m.disableSnapping();
    EXPECT_TRUE(waitUntil([&] {
        const std::optional<PixelBuffer> now = backend->screen(kInLoupe);
        return now && *now == *scene;
    })) << "the loupe stayed";
}

std::string scaleName(const ::testing::TestParamInfo<Instance>& p) {
    return p.param.scale == 1 ? "scale1" : p.param.scale == 2 ? "scale2" : "scale1_5";
}

INSTANTIATE_TEST_SUITE_P(X11, Conformance,
                         ::testing::Values(Instance{makeX11Backend, 1},
                                           Instance{makeX11Backend, 1.5},
                                           Instance{makeX11Backend, 2}),
                         scaleName);
INSTANTIATE_TEST_SUITE_P(Wayland, Conformance,
                         ::testing::Values(Instance{makeWaylandBackend, 1},
                                           Instance{makeWaylandBackend, 1.5},
                                           Instance{makeWaylandBackend, 2}),
                         scaleName);
INSTANTIATE_TEST_SUITE_P(KWin, Conformance,
                         ::testing::Values(Instance{makeKWinBackend, 1},
                                           Instance{makeKWinBackend, 1.5},
                                           Instance{makeKWinBackend, 2}),
                         scaleName);
// Whole scales only: mutter 43 tells clients no fractional scale (at 1.5 Qt draws at 2 and
// mutter shrinks it).
INSTANTIATE_TEST_SUITE_P(Mutter, Conformance,
                         ::testing::Values(Instance{makeMutterBackend, 1},
                                           Instance{makeMutterBackend, 2}),
                         scaleName);

} // namespace
} // namespace spanlet::test
