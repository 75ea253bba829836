#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>

#include <spanlet/overlay/qt/GuideEditorView.hpp>

#include "OverlayDesk.hpp"
#include "support/Scene.hpp"

namespace spanlet::test {
namespace {

/// The editor on display B (scale 1) with a vertical guide at local x 300 and a horizontal
/// one at local y 200, started with the pointer on B and the keyboard on another window.
class EditorTest : public OverlayDesk {
protected:
    Uuid vertical = Uuid::random();
    Uuid horizontal = Uuid::random();
    std::unique_ptr<PlainWindow> before;

    Mensor& startEditing() {
        Preferences prefs;
        prefs.guides.guides = {{vertical, Axis::vertical, global(idB(), {300, 0}).x},
                               {horizontal, Axis::horizontal, global(idB(), {0, 200}).y}};
        Mensor& m = start(prefs);
        before =
            std::make_unique<PlainWindow>(QRect(device(idA(), {10, 300}), QSize(80, 80)), 0x224422);
        before->focus();
        pointTo(idB(), {600, 500});
        m.startEditingGuides();
        settle();
        return m;
    }
    [[nodiscard]] const Guide* find(const Uuid& id) const {
        return model->prefs()->guides.find(id);
    }
    [[nodiscard]] static std::uint32_t xFocus() {
        xcb_connection_t* c = qtConnection();
        const auto r = reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        return r ? r->focus : 0;
    }
    bool key(const std::string& name) {
        const bool ok = xdotool({"key", name});
        settle();
        return ok;
    }
};

TEST_F(EditorTest, PointerDisplayPanelTakesTheKeysAlsoAcrossAMonitorChange) {
    Mensor& m = startEditing();
    OverlayPanel* b = panel(idB());
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == b->editorView(); }));
    EXPECT_EQ(xFocus(), static_cast<std::uint32_t>(b->winId()));
    EXPECT_TRUE(b->inputEnabled());
    EXPECT_TRUE(panel(idA())->inputEnabled());

    // The key table is checked in guide_editor_test; here a few keys show the real panel
    // passes them on.
    ASSERT_TRUE(key("Tab"));
    ASSERT_TRUE(waitUntil([&] { return *m.selectedGuide() == vertical; }));
    const double x = find(vertical)->position;
    ASSERT_TRUE(key("shift+Right"));
    ASSERT_TRUE(waitUntil([&] { return find(vertical)->position == x + 10; }));
    ASSERT_TRUE(key("v"));
    ASSERT_TRUE(waitUntil([&] { return m.prefs()->guides.guides.size() == 3; }));
    EXPECT_EQ(m.prefs()->guides.guides.back().position, global(idB(), {600, 0}).x);

    // B goes and comes back: the next refresh after the rebuild gives its new panel the keys.
    ASSERT_EQ(run({"xrandr", "--delmonitor", "B"}), 0);
    ASSERT_TRUE(waitUntil([&] { return m.screens()->size() == 1; }));
    ASSERT_EQ(run({"xrandr", "--setmonitor", "B", "1152/300x800/300+1152+0", "none"}), 0);
    ASSERT_TRUE(waitUntil([&] { return m.screens()->size() == 2; }));
    settle();
    b = panel(idB());
    ASSERT_NE(b, nullptr);
    m.syncViews();
    ASSERT_TRUE(waitUntil([&] { return xFocus() == static_cast<std::uint32_t>(b->winId()); }));

    ASSERT_TRUE(key("Escape"));
    ASSERT_TRUE(waitUntil([&] { return !*m.editingGuides(); }));
    // Keyboard focus goes back to the window that had it before editing.
    EXPECT_TRUE(waitUntil([&] { return xFocus() == before->id(); }));
    EXPECT_FALSE(b->inputEnabled());
}

// Dropping off the edge removes: guide_editor_test.
TEST_F(EditorTest, MouseDragsAGuide) {
    Mensor& m = startEditing();
    PlainWindow below(QRect(device(idB(), {250, 50}), QSize(100, 100)), 0x663399);
    ASSERT_TRUE(waitUntil([&] { return panelsAbove(below.id()); }));
    pointTo(idB(), {302, 100});
    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    ASSERT_TRUE(waitUntil([&] { return *m.selectedGuide() == vertical; }));
    pointTo(idB(), {500, 100});
    ASSERT_TRUE(waitUntil([&] { return find(vertical)->position == global(idB(), {500, 0}).x; }));
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    settle();
    EXPECT_NE(find(vertical), nullptr);
    EXPECT_FALSE(below.pressed()) << "while editing the panel takes the clicks";
}

TEST_F(EditorTest, ContextMenuAndAccessibleTexts) {
    startEditing();
    GuideEditorView* view = panel(idB())->editorView();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Grouping);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Guides editor"));
    EXPECT_EQ(view->accessibleDescription(),
              QStringLiteral("Tab selects a guide, arrow keys move it, Delete removes it, V or H "
                             "adds a guide at the pointer, Escape finishes."));

    pointTo(idB(), {301, 400});
    ASSERT_TRUE(xdotool({"click", "3"}));
    QMenu* menu = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu != nullptr && menu->isVisible();
    }));
    // Over a guide its removal comes first; the entries of each place are guide_editor_test's.
    ASSERT_EQ(menu->actions().size(), 7);
    EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("Remove Guide"));
    EXPECT_TRUE(menu->actions().at(1)->isSeparator());
    menu->actions().back()->trigger(); // Done Editing
    EXPECT_FALSE(*model->editingGuides());
    menu->close();
}

/// Without a compositor the panel is shaped to what it draws; the editor still gets the clicks
/// on empty space.
class ShapeModeEditorTest : public EditorTest {
protected:
    bool wantsCompositor() const override { return false; }
};

TEST_F(ShapeModeEditorTest, ClickOnEmptySpaceReachesTheEditor) {
    Mensor& m = startEditing();
    ASSERT_FALSE(overlays->compositing());
    PlainWindow below(QRect(device(idB(), {400, 300}), QSize(100, 100)), 0x663399);
    ASSERT_TRUE(waitUntil([&] { return panelsAbove(below.id()); }));
    ASSERT_TRUE(key("Tab"));
    ASSERT_TRUE(waitUntil([&] { return m.selectedGuide()->has_value(); }));
    pointTo(idB(), {450, 350});
    ASSERT_FALSE(
        panel(idB())->deviceShape().contains(device(idB(), {450, 350}) - device(idB(), {0, 0})))
        << "the point must be outside the drawn shape";
    ASSERT_TRUE(xdotool({"click", "1"}));
    EXPECT_TRUE(waitUntil([&] { return !m.selectedGuide()->has_value(); }));
    EXPECT_FALSE(below.pressed());
    ASSERT_TRUE(key("Escape"));
    ASSERT_TRUE(waitUntil([&] { return !*m.editingGuides(); }));
    // Once done, clicks pass through again.
    ASSERT_TRUE(xdotool({"click", "1"}));
    EXPECT_TRUE(waitUntil([&] { return below.pressed(); }));
}

} // namespace
} // namespace spanlet::test
