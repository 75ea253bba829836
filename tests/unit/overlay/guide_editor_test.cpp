#include <gtest/gtest.h>
#include <memory>
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
        {"return_finishes", {K::returnKey, false, ""}, none, {A::finish, 0}},
        {"shift_tab_selects_previous", {K::tab, true, ""}, none, {A::selectPrevious, 0}},
        {"delete_removes", {K::deleteKey, false, ""}, none, {A::removeSelected, 0}},
        {"left_moves_vertical_back", {K::left, false, ""}, v, {A::nudge, -1}},
        {"shift_right_moves_vertical_ten", {K::right, true, ""}, v, {A::nudge, 10}},
        {"left_ignored_for_horizontal", {K::left, false, ""}, h, {A::consume, 0}},
        {"shift_up_moves_horizontal_ten_back", {K::up, true, ""}, h, {A::nudge, -10}},
        {"down_moves_horizontal_on", {K::down, false, ""}, h, {A::nudge, 1}},
        {"arrow_without_selection_consumed", {K::up, false, ""}, none, {A::consume, 0}},
        {"shift_v_adds_vertical", {K::other, true, "V"}, none, {A::addVertical, 0}},
        {"h_adds_horizontal", {K::other, false, "h"}, none, {A::addHorizontal, 0}},
        {"u_toggles_unit", {K::other, true, "U"}, none, {A::toggleUnit, 0}},
        {"other_letter_passes", {K::other, false, "x"}, none, {A::pass, 0}},
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
        {"one_point_from_left", Axis::vertical, 101, true},
        {"two_points_from_left", Axis::vertical, 102, false},
        {"left_of_the_display", Axis::vertical, 40, true},
        {"one_point_from_right", Axis::vertical, 899, true},
        {"two_points_from_right", Axis::vertical, 898, false},
        {"horizontal_at_top", Axis::horizontal, 50.5, true},
        {"horizontal_inside", Axis::horizontal, 300, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(GuideEditing::removedOnRelease({{}, row.axis, row.position}, {100, 50, 800, 600}),
                  row.removed);
    }
}

/// The editor on a model with fake ports: two displays side by side, a vertical guide at 200
/// and a horizontal one at 300 on the first.
class GuideEditorTest : public ::testing::Test {
protected:
    fakes::FakePlatform platform;
    std::unique_ptr<Mensor> model;
    std::unique_ptr<GuideEditor> editor;
    Uuid vertical = Uuid::random();
    Uuid horizontal = Uuid::random();

    void SetUp() override {
        platform.displays.screens = {fakes::makeScreen(1, {0, 0, 1000, 800}, 1, 800),
                                     fakes::makeScreen(2, {1000, 0, 800, 600}, 2, 800)};
        platform.displays.pointer = {500, 500};
        Preferences prefs;
        prefs.welcomed = true;
        prefs.guides.guides = {{vertical, Axis::vertical, 200},
                               {horizontal, Axis::horizontal, 300}};
        model = std::make_unique<Mensor>(platform.ports(), prefs);
        model->start();
        model->startEditingGuides();
        editor = std::make_unique<GuideEditor>(*model, platform.displays, 1);
    }

    void pointerAt(Point p) { platform.displays.pointer = p; }
    void drag(Point from, Point to) {
        pointerAt(from);
        editor->mouseDown();
        pointerAt(to);
        editor->mouseDragged();
        editor->mouseUp();
    }
    [[nodiscard]] const Guide* find(const Uuid& id) const {
        return model->prefs()->guides.find(id);
    }
};

TEST_F(GuideEditorTest, ClaimsInputOnlyWhileEditing) {
    EXPECT_TRUE(editor->claimsInput());
    pointerAt({202, 10});
    EXPECT_EQ(editor->mouseMoved(), EditorCursor::resizeLeftRight);
    pointerAt({10, 298});
    EXPECT_EQ(editor->mouseMoved(), EditorCursor::resizeUpDown);
    pointerAt({10, 10});
    EXPECT_EQ(editor->mouseMoved(), EditorCursor::crosshair);
    model->finishEditingGuides();
    EXPECT_FALSE(editor->claimsInput());
    EXPECT_EQ(editor->mouseMoved(), EditorCursor::arrow);
}

TEST_F(GuideEditorTest, DragMovesTheGuideAndReleaseAtTheEdgeRemovesIt) {
    drag({203, 10}, {400, 10});
    EXPECT_EQ(*model->selectedGuide(), vertical);
    ASSERT_NE(find(vertical), nullptr);
    EXPECT_EQ(find(vertical)->position, 400);
    EXPECT_FALSE(editor->dragging().has_value());
    drag({400, 10}, {0.5, 10}); // half a point from the edge
    EXPECT_EQ(find(vertical), nullptr);
}

TEST_F(GuideEditorTest, ClickWithoutMovingNeverRemoves) {
    model->updatePrefs(
        [&](Preferences& p) { p.guides.move(vertical, 0.5, DisplayScale::standard); });
    pointerAt({0.5, 10});
    editor->mouseDown();
    editor->mouseUp();
    EXPECT_NE(find(vertical), nullptr);
}

TEST_F(GuideEditorTest, KeysDriveTheModel) {
    EXPECT_TRUE(editor->keyDown({EditorKey::tab, false, ""}));
    ASSERT_TRUE(model->selectedGuide()->has_value());
    const Uuid first = **model->selectedGuide();
    const double before = find(first)->position;
    EXPECT_TRUE(
        editor->keyDown({first == vertical ? EditorKey::right : EditorKey::down, true, ""}));
    EXPECT_EQ(find(first)->position, before + 10);
    EXPECT_TRUE(editor->keyDown({EditorKey::deleteKey, false, ""}));
    EXPECT_EQ(find(first), nullptr);
    EXPECT_FALSE(editor->keyDown({EditorKey::other, false, "q"}));
    EXPECT_TRUE(editor->keyDown({EditorKey::escape, false, ""}));
    EXPECT_FALSE(*model->editingGuides());
}

// Over a guide the menu starts with its removal; its entries act where it was opened.
TEST_F(GuideEditorTest, MenuActsWhereItWasOpened) {
    pointerAt({10, 302});
    const auto overGuide = editor->contextMenu();
    std::vector<std::string> titles;
    for (const EditorMenuEntry& entry : overGuide) {
        titles.push_back(entry.title);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Remove Guide", "", "Add Vertical Guide Here",
                                                "Add Horizontal Guide Here", "", "Clear Guides",
                                                "Done Editing"}));
    editor->perform(overGuide.front());
    EXPECT_EQ(find(horizontal), nullptr);

    pointerAt({640, 480});
    const auto entries = editor->contextMenu();
    ASSERT_EQ(entries.size(), 5U); // no removal, nor its separator
    ASSERT_EQ(entries.front().action, EditorMenuEntry::Action::addVertical);
    pointerAt({10, 10}); // the pointer moves on while the menu is open
    editor->perform(entries.front());
    const auto& guides = model->prefs()->guides.guides;
    ASSERT_EQ(guides.size(), 2U);
    EXPECT_EQ(guides.back().axis, Axis::vertical);
    EXPECT_EQ(guides.back().position, 640);
}

} // namespace
} // namespace spanlet::testing
