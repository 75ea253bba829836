#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <algorithm>

#include <spanlet/x11/PanelInput.hpp>

#include "OverlayDesk.hpp"
#include "support/Scene.hpp"

namespace spanlet::test {
namespace {

/// The editor on display B (scale 1) with a vertical guide at local x 300, started with the
/// pointer on B and the keyboard on another window. Without a compositor, the panel shaped to
/// what it draws.
class EditorTest : public OverlayDesk {
protected:
    bool wantsCompositor() const override { return false; }
    [[nodiscard]] static std::uint32_t xFocus() {
        xcb_connection_t* c = qtConnection();
        const auto r = reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        return r ? r->focus : 0;
    }
    static bool key(const std::string& name) {
        const bool ok = xdotool({"key", name});
        settle();
        return ok;
    }
};

// The key table is guide_editor_test's; here a few keys and clicks show the real panel of the
// pointer's display takes them, also on empty space in shape mode, and hands the keyboard and
// the clicks back when done.
TEST_F(EditorTest, PointerDisplayPanelTakesKeysAndClicksAndHandsThemBack) {
    const Uuid vertical = Uuid::random();
    Preferences prefs;
    prefs.guides.guides = {{vertical, Axis::vertical, global(idB(), {300, 0}).x}};
    Mensor& m = start(prefs);
    ASSERT_FALSE(surfaces->compositing());
    PlainWindow before(QRect(device(idA(), {10, 300}), QSize(80, 80)), 0x224422);
    before.focus();
    pointTo(idB(), {600, 500});
    m.guides().startEditing();
    settle();
    x11::OverlayPanel* b = panel(idB());
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == b->input(); }));
    EXPECT_EQ(xFocus(), static_cast<std::uint32_t>(b->winId()));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(b->input());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Guides editor"));
    EXPECT_EQ(b->input()->accessibleDescription(),
              QStringLiteral("Tab selects a guide, arrow keys move it, Delete removes it, V or H "
                             "adds a guide at the pointer, Escape finishes."));

    ASSERT_TRUE(key("Tab"));
    ASSERT_TRUE(waitUntil([&] { return *m.guides().selected() == vertical; }));
    const double x = m.prefs()->guides.find(vertical)->position;
    ASSERT_TRUE(key("shift+Right"));
    ASSERT_TRUE(waitUntil([&] { return m.prefs()->guides.find(vertical)->position == x + 10; }));

    PlainWindow below(QRect(device(idB(), {400, 300}), QSize(100, 100)), 0x663399);
    ASSERT_TRUE(waitUntil([&] { return panelsAbove(below.id()); }));
    pointTo(idB(), {450, 350});
    ASSERT_FALSE(b->deviceShape().contains(device(idB(), {450, 350}) - device(idB(), {0, 0})))
        << "the point must be outside the drawn shape";
    ASSERT_TRUE(xdotool({"click", "1"}));
    EXPECT_TRUE(waitUntil([&] { return !m.guides().selected()->has_value(); }));
    EXPECT_FALSE(below.pressed());

    ASSERT_TRUE(key("Escape"));
    ASSERT_TRUE(waitUntil([&] { return !*m.guides().editing(); }));
    EXPECT_TRUE(waitUntil([&] { return xFocus() == before.id(); }));
    EXPECT_FALSE(b->inputEnabled());
    ASSERT_TRUE(xdotool({"click", "1"}));
    EXPECT_TRUE(waitUntil([&] { return below.pressed(); })) << "clicks pass through again";
}

// A right click over a guide opens the editor's menu at the pointer; the entry picked (past a
// separator) is the one carried out.
TEST_F(EditorTest, RightClickMenuCarriesOutThePickedEntry) {
    const Uuid vertical = Uuid::random();
    Preferences prefs;
    prefs.guides.guides = {{vertical, Axis::vertical, global(idB(), {300, 0}).x}};
    Mensor& m = start(prefs);
    pointTo(idB(), {300, 500});
    m.guides().startEditing();
    settle();
    ASSERT_TRUE(xdotool({"click", "3"}));
    QMenu* menu = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu != nullptr;
    }));
    QAction* horizontal = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("Add Horizontal Guide Here")) {
            horizontal = action;
        }
    }
    ASSERT_NE(horizontal, nullptr);
    ASSERT_EQ(menu->actions().at(0)->text(), QStringLiteral("Remove Guide"));
    horizontal->trigger();
    settle();
    const std::vector<Guide>& guides = m.prefs()->guides.guides;
    ASSERT_EQ(guides.size(), 2U);
    const auto added = std::find_if(guides.begin(), guides.end(),
                                    [](const Guide& g) { return g.axis == Axis::horizontal; });
    ASSERT_NE(added, guides.end());
    EXPECT_EQ(added->position, global(idB(), {300, 500}).y);
    menu->close();
}

} // namespace
} // namespace spanlet::test
