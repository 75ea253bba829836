#include <gtest/gtest.h>
#include <string>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/GuideEditor.hpp>

#include "fakes/FakePlatform.hpp"

namespace spanlet::testing {
namespace {

TEST(GuideEditingTest, MapsKeysToActions) {
    using K = EditorKey;
    using A = EditorKeyAction::Kind;
    constexpr std::optional<Axis> none;
    constexpr Axis v = Axis::vertical;
    constexpr Axis h = Axis::horizontal;
    const struct {
        const char* name;
        EditorKeyPress press;
        std::optional<Axis> selected;
        EditorKeyAction expected;
    } rows[] = {
        {"shift_tab_selects_previous",
         {.key = K::tab, .shift = true, .text = ""},
         none,
         {A::selectPrevious, 0}},
        {"left_moves_vertical_back",
         {.key = K::left, .shift = false, .text = ""},
         v,
         {A::nudge, -1}},
        {"shift_up_moves_horizontal_ten_back",
         {.key = K::up, .shift = true, .text = ""},
         h,
         {A::nudge, -10}},
        {"left_ignored_for_horizontal",
         {.key = K::left, .shift = false, .text = ""},
         h,
         {A::consume, 0}},
        {"arrow_without_selection_consumed",
         {.key = K::up, .shift = false, .text = ""},
         none,
         {A::consume, 0}},
        {"shift_v_adds_vertical",
         {.key = K::other, .shift = true, .text = "V"},
         none,
         {A::addVertical, 0}},
        {"other_letter_passes", {.key = K::other, .shift = false, .text = "x"}, none, {A::pass, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(GuideEditing::keyAction(row.press, row.selected), row.expected);
    }
}

// A guide released within one point of its display's edges (frame x 100–900, y 50–650) goes.
TEST(GuideEditingTest, ReleaseRemovesOnlyWithinOnePointOfTheEdges) {
    const struct {
        const char* name;
        Axis axis;
        double position;
        bool removed;
    } rows[] = {
        {"one_point_from_right", Axis::vertical, 899, true},
        {"two_points_from_right", Axis::vertical, 898, false},
        {"horizontal_at_top", Axis::horizontal, 50.5, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(GuideEditing::removedOnRelease({{}, row.axis, row.position}, {100, 50, 800, 600}),
                  row.removed);
    }
}

// The editor on a model with fake ports, a vertical guide at 200 and a horizontal one at 300:
// only a drag to within a point of the edge removes, not a click there; over a guide the menu
// starts with its removal; its entries act where it was opened.
TEST(GuideEditorTest, DragsRemoveAtTheEdgeAndTheMenuActsWhereItWasOpened) {
    fakes::FakePlatform platform;
    platform.displays.screens = {fakes::makeScreen(1, {0, 0, 1000, 800}, 1, 800)};
    const Guide vertical{Uuid::random(), Axis::vertical, 200};
    const Guide horizontal{Uuid::random(), Axis::horizontal, 0.5};
    Preferences prefs;
    prefs.welcomed = true;
    prefs.guides.guides = {vertical, horizontal};
    Mensor model(platform.ports(), prefs);
    model.start();
    model.guides().startEditing();
    GuideEditor editor(model, platform.displays, 1);
    const auto pointerAt = [&](Point p) { platform.displays.pointer = p; };
    const auto& guides = model.prefs()->guides.guides;

    pointerAt({10, 0.5});
    EXPECT_EQ(editor.mouseMoved(), EditorCursor::resizeUpDown);
    editor.mouseDown();
    editor.mouseUp();
    pointerAt({203, 10});
    editor.mouseDown();
    pointerAt({0.5, 10});
    editor.mouseDragged();
    editor.mouseUp();
    ASSERT_EQ(guides, std::vector{horizontal});

    pointerAt({10, 2});
    const auto overGuide = editor.contextMenu();
    std::vector<std::string> titles;
    for (const EditorMenuEntry& entry : overGuide) {
        titles.push_back(entry.title);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Remove Guide", "", "Add Vertical Guide Here",
                                                "Add Horizontal Guide Here", "", "Clear Guides",
                                                "Done Editing"}));
    editor.perform(overGuide.front());
    EXPECT_TRUE(guides.empty());
    pointerAt({640, 480});
    const auto entries = editor.contextMenu();
    ASSERT_EQ(entries.size(), 5U); // no removal, nor its separator
    pointerAt({10, 10});           // the pointer moves on while the menu is open
    editor.perform(entries.front());
    ASSERT_EQ(guides.size(), 1U);
    EXPECT_EQ(guides[0].axis, Axis::vertical);
    EXPECT_EQ(guides[0].position, 640);
    model.guides().finishEditing();
    EXPECT_FALSE(editor.claimsInput());
    EXPECT_EQ(editor.mouseMoved(), EditorCursor::arrow);
}

} // namespace
} // namespace spanlet::testing
