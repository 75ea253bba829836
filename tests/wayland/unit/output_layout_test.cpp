#include <gtest/gtest.h>

#include <spanlet/wayland/OutputLayout.hpp>

namespace spanlet {
namespace {

using OutputLayout::Output;

TEST(OutputLayout, deviceScaleComesFromTheModeAcrossTheLogicalWidth) {
    struct Case {
        Output output;
        double scale;
    };
    const Case cases[] = {
        {{"A", {0, 0, 1280, 800}, 1280, 800, 0, 1}, 1},
        {{"A", {0, 0, 1024, 640}, 1280, 800, 0, 2}, 1.25}, // fractional: wl_output says 2
        {{"A", {0, 0, 400, 640}, 1280, 800, 1, 2}, 2},     // turned 90°: the mode's height
        {{"A", {0, 0, 640, 400}, 0, 0, 0, 2}, 2},          // no mode: wl_output.scale
        {{"A", {0, 0, 0, 0}, 0, 0, 0, 0}, 1},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(OutputLayout::deviceScale(k.output), k.scale) << k.output.logical.width;
    }
}

TEST(OutputLayout, placesTheOutputAtTheOriginFirstAndKeepsIdsPerName) {
    const Output outputs[] = {
        {"DP-2", {1920, 0, 1280, 800}, 1280, 800, 0, 1},
        {"DP-1", {0, 0, 1920, 1080}, 1920, 1080, 0, 1},
        {"DP-3", {-800, 200, 800, 600}, 800, 600, 0, 1},
        {"off", {0, 0, 0, 0}, 0, 0, 0, 1},
    };
    const std::vector<OutputLayout::Placed> placed = OutputLayout::place(outputs);
    ASSERT_EQ(placed.size(), 3U);
    EXPECT_EQ(placed[0].output, 1U);
    EXPECT_EQ(placed[1].output, 2U);
    EXPECT_EQ(placed[2].output, 0U);
    EXPECT_EQ(placed[0].screen.id, OutputLayout::idForName("DP-1"));
    // Bottom-left frames measure from the primary display's bottom edge.
    EXPECT_EQ(placed[1].screen.cocoaFrame, (Rect{-800, 280, 800, 600}));
}

TEST(OutputLayout, aClashOfIdsTakesTheNextNumber) {
    const Output twins[] = {{"X", {0, 0, 10, 10}, 10, 10, 0, 1},
                            {"X", {10, 0, 10, 10}, 10, 10, 0, 1}};
    const std::vector<OutputLayout::Placed> placed = OutputLayout::place(twins);
    ASSERT_EQ(placed.size(), 2U);
    EXPECT_EQ(placed[1].screen.id, placed[0].screen.id + 1);
}

} // namespace
} // namespace spanlet
