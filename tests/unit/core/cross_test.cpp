#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <spanlet/Cross.hpp>
#include <spanlet/EdgeDetector.hpp>

namespace spanlet {
namespace {

template <class T>
std::optional<T> fromText(std::string_view text) {
    return decode<T>(text);
}

struct CrossCase {
    std::string name;
    double factor;
    EdgeMeasurement measurement;
    double originX;
    double originY;
    double minX, maxX, minY, maxY;
    double scale; ///< the stored scale (a non-positive factor reads as 1)
};

class CrossConversion : public ::testing::TestWithParam<CrossCase> {};

TEST_P(CrossConversion, ConvertsPixelBoundariesToPoints) {
    const CrossCase& c = GetParam();
    const Cross cross =
        c.measurement.cross(DisplayScale(c.factor), 107.25, 3.5, c.originX, c.originY);
    EXPECT_EQ(cross.pointerX, 107.25);
    EXPECT_EQ(cross.pointerY, 3.5);
    EXPECT_DOUBLE_EQ(cross.minX, c.minX);
    EXPECT_DOUBLE_EQ(cross.maxX, c.maxX);
    EXPECT_DOUBLE_EQ(cross.minY, c.minY);
    EXPECT_DOUBLE_EQ(cross.maxY, c.maxY);
    EXPECT_EQ(cross.scale, c.scale);
    EXPECT_EQ(cross.left, c.measurement.left());
    EXPECT_EQ(cross.right, c.measurement.right());
    EXPECT_EQ(cross.up, c.measurement.up());
    EXPECT_EQ(cross.down, c.measurement.down());
    EXPECT_EQ(cross.widthPixels(), c.measurement.width());
    EXPECT_EQ(cross.heightPixels(), c.measurement.height());
    EXPECT_EQ(cross.openLeft, c.measurement.horizontal.openStart);
    EXPECT_EQ(cross.openRight, c.measurement.horizontal.openEnd);
    EXPECT_EQ(cross.openUp, c.measurement.vertical.openStart);
    EXPECT_EQ(cross.openDown, c.measurement.vertical.openEnd);
}

const EdgeMeasurement kClosed{14, 6, {10, 31, false, false}, {3, 9, false, false}};
const EdgeMeasurement kOpenSides{14, 6, {10, 31, false, true}, {0, 9, true, false}};

INSTANTIATE_TEST_SUITE_P(
    Cross, CrossConversion,
    ::testing::Values(CrossCase{"scale_1", 1, kClosed, 100, -50, 110, 131, -47, -41, 1},

                      CrossCase{"scale_2", 2, kClosed, 100, -50, 105, 115.5, -48.5, -45.5, 2},

                      CrossCase{"open_sides_keep_capture_bounds", 2, kOpenSides, 100, 20, 105,
                                115.5, 20, 24.5, 2},
                      CrossCase{"non_positive_scale_reads_as_1", 0, kClosed, 0, 0, 10, 31, 3, 9,
                                1}),
    [](const auto& row) { return row.param.name; });

Cross sample() {
    return Cross{10.5, 20.25, 5, 15.5, 18, 30, 11, 21, 5, 24, 2, false, true, true, false};
}

TEST(CrossTest, EdgesListOnlyWhatWasFound) {
    Cross c = sample();
    EXPECT_EQ(c.verticalEdges(), std::vector<double>{5});
    EXPECT_EQ(c.horizontalEdges(), std::vector<double>{30});
    c.openRight = false;
    c.openUp = false;
    EXPECT_EQ(c.verticalEdges(), (std::vector<double>{5, 15.5}));
    EXPECT_EQ(c.horizontalEdges(), (std::vector<double>{18, 30}));
    c.openLeft = c.openRight = c.openUp = c.openDown = true;
    EXPECT_TRUE(c.verticalEdges().empty());
    EXPECT_TRUE(c.horizontalEdges().empty());
}

TEST(CrossJsonTest, RoundTripWithTheFifteenKeys) {
    const Cross c = sample();
    const Json j = Json::parse(encode(c));
    ASSERT_TRUE(j.is_object());
    EXPECT_EQ(j.size(), 15U);
    for (const char* key : {"pointerX", "pointerY", "minX", "maxX", "minY", "maxY", "left", "right",
                            "up", "down", "scale", "openLeft", "openRight", "openUp", "openDown"}) {
        EXPECT_TRUE(j.contains(key)) << key;
    }
    EXPECT_EQ(j["right"], 21);
    EXPECT_EQ(j["openRight"], true);
    EXPECT_EQ(fromText<Cross>(encode(c)), c);
    // Whole-number coordinates may be written as JSON integers.
    Json integral = j;
    integral["minX"] = 5;
    EXPECT_EQ(decode<Cross>(integral), c);
}

struct BrokenCross {
    std::string name;
    std::string key;
    Json value; ///< null: the key is removed
};

class CrossJsonRejects : public ::testing::TestWithParam<BrokenCross> {};

TEST_P(CrossJsonRejects, Broken) {
    Json j = Json(sample());
    if (GetParam().value.is_null()) {
        j.erase(GetParam().key);
    } else {
        j[GetParam().key] = GetParam().value;
    }
    EXPECT_FALSE(decode<Cross>(j));
}

INSTANTIATE_TEST_SUITE_P(Cross, CrossJsonRejects,
                         ::testing::Values(BrokenCross{"missing_pointerX", "pointerX", nullptr},

                                           BrokenCross{"string_minY", "minY", "18"},
                                           BrokenCross{"fractional_left", "left", 11.5},
                                           BrokenCross{"float_integral_down", "down", 24.0},
                                           BrokenCross{"huge_up", "up", 18446744073709551615ULL},
                                           BrokenCross{"bool_as_number", "openUp", 1},
                                           BrokenCross{"number_as_bool", "scale", true}),
                         [](const auto& row) { return row.param.name; });

TEST(CrossJsonTest, RejectsNonObjects) {
    EXPECT_FALSE(fromText<Cross>("[]"));
    EXPECT_FALSE(fromText<Cross>("null"));
    EXPECT_FALSE(fromText<Cross>("{\"pointerX\": 1"));
}

} // namespace
} // namespace spanlet
