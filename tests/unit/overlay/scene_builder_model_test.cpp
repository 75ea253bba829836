#include <gtest/gtest.h>
#include <memory>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/SceneBuilder.hpp>

#include "fakes/FakePlatform.hpp"

namespace spanlet::testing {
namespace {

/// Scenes built straight from a model on fake ports: two displays side by side.
class SceneFromModelTest : public ::testing::Test {
protected:
    fakes::FakePlatform platform;
    std::unique_ptr<Mensor> model;

    void SetUp() override {
        platform.displays.screens = {fakes::makeScreen(1, {0, 0, 1000, 800}, 1, 800),
                                     fakes::makeScreen(2, {1000, 0, 800, 600}, 2, 800)};
        platform.displays.pointer = {1200, 300};
        Preferences prefs;
        prefs.welcomed = true;
        prefs.unit = MeasureUnit::pixels;
        prefs.guides.guides = {{Uuid::random(), Axis::vertical, 1100},
                               {Uuid::random(), Axis::vertical, 1150}};
        model = std::make_unique<Mensor>(platform.ports(), prefs);
        model->start();
    }
};

TEST_F(SceneFromModelTest, ReadsPreferencesPointerAndToast) {
    model->show("Hello");
    const std::optional<OverlayScene> scene = sceneForScreen(2, *model);
    ASSERT_TRUE(scene.has_value());
    EXPECT_EQ(scene->size, (Size{800, 600}));
    EXPECT_EQ(scene->unit, MeasureUnit::pixels);
    EXPECT_EQ(scene->message, "Hello");
    EXPECT_EQ(scene->pointer, (Point{200, 300}));
    ASSERT_EQ(scene->guides.size(), 2U);
    ASSERT_EQ(scene->gaps.size(), 1U);
    EXPECT_EQ(scene->gaps[0].text, "100 px"); // 50 points on a scale-2 display

    const std::optional<OverlayScene> other = sceneForScreen(1, *model);
    ASSERT_TRUE(other.has_value());
    EXPECT_FALSE(other->message.has_value());
    EXPECT_TRUE(other->guides.empty());
}

TEST_F(SceneFromModelTest, NoSceneForADisplayThatIsGone) {
    EXPECT_FALSE(sceneForScreen(3, *model).has_value());
}

} // namespace
} // namespace spanlet::testing
