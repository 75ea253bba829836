#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <spanlet/Cross.hpp>
#include <spanlet/EdgeDetector.hpp>

namespace spanlet {
namespace {

TEST(CrossTest, FromMeasurementConvertsPixelBoundariesToPoints) {
    const EdgeMeasurement closed{14, 6, {10, 31, false, false}, {3, 9, false, false}};
    const EdgeMeasurement open{14, 6, {10, 31, false, true}, {0, 9, true, false}};
    const struct {
        const char* name;
        double factor;
        EdgeMeasurement measurement;
        double originX, originY;
        double minX, maxX, minY, maxY;
        double scale; ///< the stored scale (a non-positive factor reads as 1)
    } rows[] = {
        {"scale_2", 2, closed, 100, -50, 105, 115.5, -48.5, -45.5, 2},
        {"open_sides_keep_capture_bounds", 2, open, 100, 20, 105, 115.5, 20, 24.5, 2},
        {"non_positive_scale_reads_as_1", 0, closed, 0, 0, 10, 31, 3, 9, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const EdgeMeasurement& m = row.measurement;
        const Cross c = m.cross(DisplayScale(row.factor), 107.25, 3.5, row.originX, row.originY);
        EXPECT_EQ(std::tuple(c.pointerX, c.pointerY, c.scale), std::tuple(107.25, 3.5, row.scale));
        EXPECT_DOUBLE_EQ(c.minX, row.minX);
        EXPECT_DOUBLE_EQ(c.maxX, row.maxX);
        EXPECT_DOUBLE_EQ(c.minY, row.minY);
        EXPECT_DOUBLE_EQ(c.maxY, row.maxY);
        EXPECT_EQ(std::tuple(c.left, c.right, c.up, c.down),
                  std::tuple(m.left(), m.right(), m.up(), m.down()));
        EXPECT_EQ(std::tuple(c.widthPixels(), c.heightPixels()), std::tuple(m.width(), m.height()));
        EXPECT_EQ(std::tuple(c.openLeft, c.openRight, c.openUp, c.openDown),
                  std::tuple(m.horizontal.openStart, m.horizontal.openEnd, m.vertical.openStart,
                             m.vertical.openEnd));
    }
}

Cross sample() {
    return Cross{10.5, 20.25, 5, 15.5, 18, 30, 11, 21, 5, 24, 2, false, true, true, false};
}

TEST(CrossTest, EdgesListOnlyWhatWasFoundAndOffsetMovesPointsOnly) {
    Cross c = sample();
    EXPECT_EQ(c.verticalEdges(), std::vector<double>{5});
    EXPECT_EQ(c.horizontalEdges(), std::vector<double>{30});
    c.openRight = c.openUp = false;
    EXPECT_EQ(c.verticalEdges(), (std::vector<double>{5, 15.5}));
    EXPECT_EQ(c.horizontalEdges(), (std::vector<double>{18, 30}));
    c.openLeft = c.openRight = c.openUp = c.openDown = true;
    EXPECT_TRUE(c.verticalEdges().empty());
    EXPECT_TRUE(c.horizontalEdges().empty());

    const Cross moved = sample().offsetBy(1, -2);
    EXPECT_EQ(std::tuple(moved.pointerX, moved.minX, moved.maxX), std::tuple(11.5, 6.0, 16.5));
    EXPECT_EQ(std::tuple(moved.pointerY, moved.minY, moved.maxY), std::tuple(18.25, 16.0, 28.0));
    EXPECT_EQ(moved.offsetBy(-1, 2), sample());
}

TEST(CrossJsonTest, RoundTripWithTheFifteenKeysAndStrictTypes) {
    const Json j = Json::parse(encode(sample()));
    EXPECT_EQ(j, Json::parse(R"({"pointerX":10.5,"pointerY":20.25,"minX":5.0,"maxX":15.5,
        "minY":18.0,"maxY":30.0,"left":11,"right":21,"up":5,"down":24,"scale":2.0,
        "openLeft":false,"openRight":true,"openUp":true,"openDown":false})"));
    EXPECT_TRUE(j["left"].is_number_integer());
    EXPECT_EQ(decode<Cross>(j), sample());
    Json integral = j; // whole-number coordinates may be written as JSON integers
    integral["minX"] = 5;
    EXPECT_EQ(decode<Cross>(integral), sample());

    const std::tuple<std::string, Json> broken[] = {
        {"pointerX", nullptr}, // removed
        {"minY", "18"},
        {"left", 11.5},
        {"down", 24.0}, // an integer field takes no float, even a whole one
        {"up", 18446744073709551615ULL},
        {"openUp", 1},
        {"scale", true},
    };
    for (const auto& [key, value] : broken) {
        Json bad = j;
        if (value.is_null()) {
            bad.erase(key);
        } else {
            bad[key] = value;
        }
        EXPECT_FALSE(decode<Cross>(bad)) << key;
    }
    for (const char* text : {"[]", "null", "{\"pointerX\": 1"}) {
        EXPECT_FALSE(decode<Cross>(std::string_view(text))) << text;
    }
}

} // namespace
} // namespace spanlet
