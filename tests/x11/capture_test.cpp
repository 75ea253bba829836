#include <gtest/gtest.h>
#include <ostream>

#include "support/CaptureFixture.hpp"
#include "support/X11Env.hpp"

namespace spanlet {
namespace {

using test::CaptureFixture;
using test::compare;
using test::describe;

struct CaptureCase {
    const char* name;
    std::size_t display; // 0: scale 2, 1: scale 1
    bool compositor;
    bool thirtyOthers;
    bool wallpaper;
};

void PrintTo(const CaptureCase& c, std::ostream* out) {
    *out << c.name;
}

// Another application's windows: 15 below the pattern window, 15 above, at fixed
// pseudo-random places over both monitors.
void stackOthers(test::Scene& scene, std::uint32_t& state, int count) {
    for (int i = 0; i < count; ++i) {
        auto next = [&](int range) {
            state = state * 1664525u + 1013904223u;
            return int((state >> 8) % std::uint32_t(range));
        };
        const QRect rect(next(2200), next(700), 40 + next(360), 30 + next(270));
        scene.addWindow(rect, 100 + state % 1000);
    }
}

class Capture : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(Capture, ReadsWhatLiesUnderOurWindowsExactly) {
    const CaptureCase& c = GetParam();
    CaptureFixture f(c.display, c.compositor);
    ASSERT_TRUE(f.ok());
    test::Scene& scene = f.scene();
    if (c.wallpaper) {
        scene.setWallpaper(7);
    }
    std::uint32_t state = 12345;
    if (c.thirtyOthers) {
        stackOthers(scene, state, 15);
    }
    // Known coloured rectangles across both monitors; the row and column also run past it
    // onto the bare desktop.
    scene.addWindow(QRect(100, 60, 1900, 600), 1);
    if (c.thirtyOthers) {
        stackOthers(scene, state, 15);
    }

    const Rect frame = f.display().info.frame;
    // The pointer, display-local points: inside the pattern window on either monitor.
    const Point pointer = c.display == 0 ? Point{250, 150} : Point{600, 300};
    ASSERT_TRUE(f.coverDisplay({pointer.x, pointer.y}));

    const auto filter = f.filter(f.display().info.id);
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Filter>(filter))
        << describe(std::get<ScreenCapture::Error>(filter));
    // A window of ours opened after the filter was made, right over the square.
    ASSERT_TRUE(f.coverPart(QRectF(pointer.x - 12, pointer.y - 12, 24, 24), QColor(255, 255, 0)));

    const struct {
        const char* what;
        Rect rect;
    } strips[] = {
        {"row", {0, pointer.y, frame.width, 1}},
        {"column", {pointer.x, 0, 1, frame.height}},
        {"square", {pointer.x - 8, pointer.y - 8, 17, 17}},
    };
    for (const auto& strip : strips) {
        SCOPED_TRACE(strip.what);
        const auto result = f.pixels(std::get<ScreenCapture::Filter>(filter), strip.rect);
        ASSERT_TRUE(std::holds_alternative<PixelBuffer>(result))
            << describe(std::get<ScreenCapture::Error>(result));
        EXPECT_EQ(compare(std::get<PixelBuffer>(result), f.expected(strip.rect)), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    X11Capture, Capture,
    ::testing::Values(CaptureCase{"scale1", 1, false, false, false},
                      CaptureCase{"scale2", 0, false, false, false},
                      CaptureCase{"scale1_compositor", 1, true, false, false},
                      CaptureCase{"scale2_compositor", 0, true, false, false},
                      CaptureCase{"scale1_thirty_others", 1, false, true, false},
                      CaptureCase{"scale2_thirty_others_compositor", 0, true, true, false},
                      CaptureCase{"scale1_wallpaper", 1, false, false, true},
                      CaptureCase{"scale2_wallpaper_compositor", 0, true, false, true},
                      CaptureCase{"scale2_everything", 0, true, true, true}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet
