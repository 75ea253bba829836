#include <gtest/gtest.h>

#include <spanlet/DevicePixels.hpp>

namespace spanlet {
namespace {

using PixelRun = DevicePixels::Run;

// Where a crisp line lands: the pixel holding its coordinate, a whole number of pixels wide.
TEST(DevicePixelsTest, HairlinesCoverWholePixelsFromThePixelHoldingTheirCoordinate) {
    const struct {
        const char* name;
        double at;
        double width;
        double scale;
        PixelRun run;
    } rows[] = {
        {"scale1_on_a_boundary", 350, 1, 1, {350, 1}},
        {"scale1_inside_a_pixel", 350.7, 1, 1, {350, 1}},
        {"scale2_one_point_is_two_pixels", 350, 1, 2, {700, 2}},
        {"scale2_half_point_pointer", 350.5, 1, 2, {701, 2}},
        {"scale1_5_one_point_rounds_to_two", 100, 1, 1.5, {150, 2}},
        {"scale1_5_one_pixel_guide", 100.4, 1 / 1.5, 1.5, {150, 1}},
        // Device column 422 of a display at x = 1152, read as global points and made local.
        {"scale1_5_pixel_read_through_global_points", (1152 + 422 / 1.5) - 1152, 1, 1.5, {422, 2}},
        {"thin_line_still_one_pixel", 20, 0.2, 1, {20, 1}},
        {"three_pixels_centred", 10, 3, 1, {9, 3}},
        {"negative_coordinate", -0.5, 1, 1, {-1, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DevicePixels::hairline(row.at, row.width, row.scale), row.run);
    }
    // A far end cap laid out before a span's end boundary covers the span's last pixels.
    for (const double scale : {1.0, 1.5, 2.0, 3.0}) {
        SCOPED_TRACE(scale);
        const double end = 120;
        const PixelRun cap =
            DevicePixels::hairline(DevicePixels::hairlineBefore(end, 1, scale), 1, scale);
        EXPECT_EQ(cap.start + cap.count, end * scale);
    }
    EXPECT_EQ(DevicePixels::hairlineLength(104, 99.6, 1.5), (PixelRun{149, 7}));
    EXPECT_EQ(DevicePixels::hairlineLength(5, 5, 2), (PixelRun{10, 1}));
}

} // namespace
} // namespace spanlet
