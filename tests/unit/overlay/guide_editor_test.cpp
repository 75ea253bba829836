#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/GuideEditor.hpp>

#include "fakes/FakePlatform.hpp"

namespace spanlet::testing {
namespace {

using Kind = EditorKeyAction::Kind;

struct KeyCase {
    std::string name;
    EditorKeyPress press;
    std::optional<Axis> selected;
    EditorKeyAction expected;
};
void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class KeyActionTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyActionTest, MapsKeyToAction) {
    EXPECT_EQ(GuideEditing::keyAction(GetParam().press, GetParam().selected), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyActionTest,
    ::testing::Values(
        KeyCase{"ReturnFinishes", {EditorKey::returnKey, false, ""}, {}, {Kind::finish, 0}},

        KeyCase{"EscapeFinishes", {EditorKey::escape, false, ""}, {}, {Kind::finish, 0}},

        KeyCase{
            "ShiftTabSelectsPrevious", {EditorKey::tab, true, ""}, {}, {Kind::selectPrevious, 0}},

        KeyCase{"DeleteRemoves", {EditorKey::deleteKey, false, ""}, {}, {Kind::removeSelected, 0}},

        KeyCase{"LeftMovesVerticalBack",
                {EditorKey::left, false, ""},
                Axis::vertical,
                {Kind::nudge, -1}},
        KeyCase{"ShiftRightMovesVerticalTen",
                {EditorKey::right, true, ""},
                Axis::vertical,
                {Kind::nudge, 10}},
        KeyCase{"LeftIgnoredForHorizontal",
                {EditorKey::left, false, ""},
                Axis::horizontal,
                {Kind::consume, 0}},

        KeyCase{"UpMovesHorizontalBack",
                {EditorKey::up, false, ""},
                Axis::horizontal,
                {Kind::nudge, -1}},
        KeyCase{"ShiftUpMovesHorizontalTenBack",
                {EditorKey::up, true, ""},
                Axis::horizontal,
                {Kind::nudge, -10}},

        KeyCase{"DownIgnoredForVertical",
                {EditorKey::down, false, ""},
                Axis::vertical,
                {Kind::consume, 0}},
        KeyCase{
            "ArrowWithoutSelectionConsumed", {EditorKey::up, false, ""}, {}, {Kind::consume, 0}},
        KeyCase{"VAddsVertical", {EditorKey::other, false, "v"}, {}, {Kind::addVertical, 0}},
        KeyCase{"ShiftVAddsVertical", {EditorKey::other, true, "V"}, {}, {Kind::addVertical, 0}},

        KeyCase{"UTogglesUnit", {EditorKey::other, true, "U"}, {}, {Kind::toggleUnit, 0}},
        KeyCase{"OtherLetterPasses", {EditorKey::other, false, "x"}, {}, {Kind::pass, 0}}),
    [](const auto& row) { return row.param.name; });

struct ReleaseCase {
    std::string name;
    Guide guide;
    bool removed;
};
void PrintTo(const ReleaseCase& c, std::ostream* os) {
    *os << c.name;
}

class ReleaseRuleTest : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(ReleaseRuleTest, RemovesOnlyWithinOnePointOfTheEdges) {
    const Rect frame{100, 50, 800, 600};
    EXPECT_EQ(GuideEditing::removedOnRelease(GetParam().guide, frame), GetParam().removed);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, ReleaseRuleTest,
    ::testing::Values(ReleaseCase{"OnePointFromLeft", {{}, Axis::vertical, 101}, true},
                      ReleaseCase{"TwoPointsFromLeft", {{}, Axis::vertical, 102}, false},

                      ReleaseCase{"LeftOfTheDisplay", {{}, Axis::vertical, 40}, true},

                      ReleaseCase{"HorizontalAtTop", {{}, Axis::horizontal, 50.5}, true},

                      ReleaseCase{"HorizontalInside", {{}, Axis::horizontal, 300}, false}),
    [](const auto& row) { return row.param.name; });

TEST(GuideEditingMenu, OverAGuideStartsWithRemove) {
    const Guide g{Uuid::random(), Axis::vertical, 10};
    const auto entries = GuideEditing::menu(g, {10, 20});
    ASSERT_EQ(entries.size(), 7U);
    EXPECT_EQ(entries[0].title, "Remove Guide");
    EXPECT_EQ(entries[0].guide, g.id);
    EXPECT_EQ(entries[1].action, EditorMenuEntry::Action::separator);
    EXPECT_EQ(entries[2].title, "Add Vertical Guide Here");
    EXPECT_EQ(entries[2].at, (Point{10, 20}));
}

TEST(GuideEditingMenu, ElsewhereStartsWithAdd) {
    const auto entries = GuideEditing::menu(std::nullopt, {0, 0});
    ASSERT_EQ(entries.size(), 5U);
    EXPECT_EQ(entries[0].title, "Add Vertical Guide Here");
    EXPECT_EQ(entries[1].title, "Add Horizontal Guide Here");
    EXPECT_EQ(entries[2].action, EditorMenuEntry::Action::separator);
    EXPECT_EQ(entries[3].title, "Clear Guides");
    EXPECT_EQ(entries[4].title, "Done Editing");
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
    [[nodiscard]] const Guide* find(const Uuid& id) const {
        return model->prefs()->guides.find(id);
    }
};

TEST_F(GuideEditorTest, ClaimsInputOnlyWhileEditing) {
    EXPECT_TRUE(editor->claimsInput());
    pointerAt({202, 10});
    EXPECT_EQ(editor->mouseMoved(), EditorCursor::resizeLeftRight);
    model->finishEditingGuides();
    EXPECT_FALSE(editor->claimsInput());
    EXPECT_EQ(editor->mouseMoved(), EditorCursor::arrow);
}

TEST_F(GuideEditorTest, DragMovesTheGuideAndKeepsItInside) {
    pointerAt({203, 10});
    editor->mouseDown();
    EXPECT_EQ(*model->selectedGuide(), vertical);
    pointerAt({400, 10});
    editor->mouseDragged();
    editor->mouseUp();
    ASSERT_NE(find(vertical), nullptr);
    EXPECT_EQ(find(vertical)->position, 400);
    EXPECT_FALSE(editor->dragging().has_value());
}

TEST_F(GuideEditorTest, ReleaseHalfAPointFromTheEdgeRemoves) {
    pointerAt({200, 10});
    editor->mouseDown();
    pointerAt({0.5, 10});
    editor->mouseDragged();
    editor->mouseUp();
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

TEST_F(GuideEditorTest, MenuAddsAtTheRightClickPoint) {
    pointerAt({640, 480});
    const auto entries = editor->contextMenu();
    ASSERT_EQ(entries.front().action, EditorMenuEntry::Action::addVertical);
    pointerAt({10, 10}); // the pointer moves on while the menu is open
    editor->perform(entries.front());
    const auto& guides = model->prefs()->guides.guides;
    ASSERT_EQ(guides.size(), 3U);
    EXPECT_EQ(guides.back().axis, Axis::vertical);
    EXPECT_EQ(guides.back().position, 640);
}

TEST_F(GuideEditorTest, MenuOverAGuideRemovesIt) {
    pointerAt({10, 302});
    const auto entries = editor->contextMenu();
    ASSERT_EQ(entries.front().action, EditorMenuEntry::Action::removeGuide);
    editor->perform(entries.front());
    EXPECT_EQ(find(horizontal), nullptr);
}

} // namespace
} // namespace spanlet::testing
