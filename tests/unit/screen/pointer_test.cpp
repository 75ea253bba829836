#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include <spanlet/screen/Desktop.hpp>

namespace spanlet {
namespace {

// A 2560 × 1600-pixel display at scale 2 (1280 × 800 points) left of a 1920 × 1080-pixel
// display at scale 1. Qt keeps each top-left corner at its device position, so the second
// display starts at x = 2560 points and the logical space has a gap from 1280 to 2560.
const std::vector<Desktop::DeviceScreen> kMixed{
    {{0, 0, 1280, 800}, {0, 0, 2560, 1600}, 2},
    {{2560, 0, 1920, 1080}, {2560, 0, 1920, 1080}, 1},
};
// The same displays at scale 1.5 and 1 with the second one above-right and offset.
const std::vector<Desktop::DeviceScreen> kOffset{
    {{0, 0, 1280, 720}, {0, 0, 1920, 1080}, 1.5},
    {{1920, -400, 1024, 768}, {1920, -400, 1024, 768}, 1},
};
const std::vector<Desktop::DeviceScreen> kNone;
const std::vector<Desktop::DeviceScreen> kZeroScale{{{0, 0, 100, 100}, {0, 0, 100, 100}, 0}};

struct PointerCase {
    const char* name;
    const std::vector<Desktop::DeviceScreen>* screens;
    Point device;
    Point logical;
};

class PointerFromDeviceTest : public ::testing::TestWithParam<PointerCase> {};

TEST_P(PointerFromDeviceTest, Converts) {
    const auto& c = GetParam();
    EXPECT_EQ(Desktop::pointFromDevicePixels(c.device, *c.screens), c.logical);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PointerFromDeviceTest,
    ::testing::Values(PointerCase{"hidpi_halves", &kMixed, {2000, 101}, {1000, 50.5}},
                      PointerCase{"last_hidpi_pixel_before_gap", &kMixed, {2559, 10}, {1279.5, 5}},
                      PointerCase{"first_pixel_after_gap", &kMixed, {2560, 10}, {2560, 10}},

                      PointerCase{
                          "below_standard_display_nearest", &kMixed, {3000, 1200}, {3000, 1200}},
                      PointerCase{"below_hidpi_display_nearest", &kMixed, {100, 1700}, {50, 850}},
                      PointerCase{"fractional_scale", &kOffset, {300, 150}, {200, 100}},

                      PointerCase{"no_displays_unchanged", &kNone, {12.5, -3}, {12.5, -3}},
                      PointerCase{"zero_scale_taken_as_one", &kZeroScale, {40, 60}, {40, 60}}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet
