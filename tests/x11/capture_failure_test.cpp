#include <atomic>
#include <gtest/gtest.h>
#include <ostream>

#include "support/CaptureFixture.hpp"
#include "support/X11Env.hpp"

namespace spanlet {
namespace {

using test::CaptureFixture;
using test::compare;
using test::describe;

std::optional<ScreenCapture::Failure> failureOf(const ScreenCapture::Error& error) {
    if (const auto* f = std::get_if<ScreenCapture::Failure>(&error.reason)) {
        return *f;
    }
    return std::nullopt;
}

TEST(X11CaptureFailure, UnknownDisplayIdGivesNoDisplay) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    const auto result = f.filter(0xdeadbeef);
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Error>(result));
    EXPECT_EQ(failureOf(std::get<ScreenCapture::Error>(result)), ScreenCapture::Failure::noDisplay);
}

TEST(X11CaptureFailure, FilterWithoutOurHandleGivesNoDisplay) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    const auto result = f.pixels(ScreenCapture::Filter{f.display().info.id, nullptr}, {0, 0, 4, 4});
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Error>(result));
    EXPECT_EQ(failureOf(std::get<ScreenCapture::Error>(result)), ScreenCapture::Failure::noDisplay);
}

struct SizeCase {
    const char* name;
    std::size_t display;
    Rect rect;
    std::int64_t width;
    std::int64_t height;
};

void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.name;
}

class CaptureSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(CaptureSize, FollowsTheOutputSizeAndReadsThePixel) {
    CaptureFixture f(GetParam().display);
    ASSERT_TRUE(f.ok());
    f.scene().addWindow(QRect(0, 0, 2304, 800), 3);
    const auto filter = f.filter(f.display().info.id);
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Filter>(filter));
    const auto result = f.pixels(std::get<ScreenCapture::Filter>(filter), GetParam().rect);
    ASSERT_TRUE(std::holds_alternative<PixelBuffer>(result))
        << describe(std::get<ScreenCapture::Error>(result));
    const PixelBuffer& pixels = std::get<PixelBuffer>(result);
    EXPECT_EQ(pixels.width(), GetParam().width);
    EXPECT_EQ(pixels.height(), GetParam().height);
    EXPECT_EQ(compare(pixels, f.expected(GetParam().rect)), "");
}

INSTANTIATE_TEST_SUITE_P(
    X11CaptureFailure, CaptureSize,
    ::testing::Values(SizeCase{"zero_size_scale2", 0, {40, 30, 0, 0}, 1, 1},
                      SizeCase{"fraction_rounds_half_away_scale2", 0, {40, 30, 0.75, 0.2}, 2, 1},
                      // Beyond the display's edge there is nothing to read: clear pixels.
                      SizeCase{"past_the_right_edge", 1, {1150, 10, 4, 1}, 4, 1},
                      SizeCase{"past_the_top_left", 0, {-2, -2, 4, 4}, 8, 8}),
    [](const auto& row) { return std::string(row.param.name); });

// A window over the row vanishes between planning and reading (the worst moment): the capture
// must come back whole and show what is beneath it, not fail and not show garbage.
struct VanishCase {
    const char* name;
    bool destroy;
};

void PrintTo(const VanishCase& c, std::ostream* out) {
    *out << c.name;
}

class WindowVanishes : public ::testing::TestWithParam<VanishCase> {};

TEST_P(WindowVanishes, MidCaptureGivesWhatIsBeneath) {
    std::atomic<int> reads{0};
    std::atomic<xcb_window_t> victim{XCB_WINDOW_NONE};
    test::Scene* scene = nullptr;
    const bool destroy = GetParam().destroy;
    X11Capture::Options options;
    options.beforeRead = [&] {
        // Runs on the capture thread.
        if (reads++ == 0 && victim != XCB_WINDOW_NONE) {
            destroy ? scene->destroy(victim) : scene->unmap(victim);
        }
    };
    CaptureFixture f(1, false, options);
    ASSERT_TRUE(f.ok());
    scene = &f.scene();
    f.scene().addWindow(QRect(1152, 0, 1152, 800), 5);
    victim = f.scene().addWindow(QRect(1300, 250, 700, 200), 6);
    ASSERT_TRUE(f.coverDisplay({400, 300}));

    const auto filter = f.filter(f.display().info.id);
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Filter>(filter));
    const Rect row{0, 300, 1152, 1};
    const auto result = f.pixels(std::get<ScreenCapture::Filter>(filter), row);
    ASSERT_TRUE(std::holds_alternative<PixelBuffer>(result))
        << describe(std::get<ScreenCapture::Error>(result));
    EXPECT_GE(reads.load(), 2) << "the vanished window must have forced a second read";
    // The scene no longer has the victim: the expectation is what lies beneath it.
    EXPECT_EQ(compare(std::get<PixelBuffer>(result), f.expected(row)), "");
}

INSTANTIATE_TEST_SUITE_P(X11CaptureFailure, WindowVanishes,
                         ::testing::Values(VanishCase{"unmapped", false},
                                           VanishCase{"destroyed", true}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet
