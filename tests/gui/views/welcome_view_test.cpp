// The welcome view and the shortcut list it holds.
#include <QPushButton>
#include <QRegularExpression>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

using WelcomeViewTest = ViewTest;

TEST_F(WelcomeViewTest, TextsAndTheShortcutListAreExact) {
    started();
    auto view = show(Kind::welcome);
    const std::vector<std::string> texts = shownTexts(view.get());
    ASSERT_GE(texts.size(), 4U);
    EXPECT_EQ(texts[0], "Spanlet");
    EXPECT_EQ(texts[1], "Measure anything on your screen.");
    EXPECT_EQ(texts[2], "Spanlet lives in the menu bar, under the ruler icon. These shortcuts work "
                        "in any app:");
    EXPECT_EQ(texts.back(), "The ruler and guides need no permissions. Edge snapping asks for "
                            "Screen Recording the first time it is turned on.");
    EXPECT_EQ(text(view.get(), "showRuler"), "Show Ruler");
    EXPECT_EQ(text(view.get(), "getStarted"), "Get Started");

    // Every command in order.
    const QList<QWidget*> rows =
        view->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^shortcut\\.")));
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(utf8(rows[0]->objectName()), "shortcut.toggleRuler");
    EXPECT_EQ(shownTexts(rows[0]), (std::vector<std::string>{"Show or Hide the Ruler", "⌃⇧R"}));
    EXPECT_EQ(utf8(rows[0]->accessibleName()), "Show or Hide the Ruler, Control Shift R");
    EXPECT_EQ(utf8(rows[9]->objectName()), "shortcut.clearMeasurements");
}

TEST_F(WelcomeViewTest, InUseMarksFollowTheHotkeyStatusAtOnce) {
    started();
    auto view = show(Kind::welcome);
    const auto marked = [&view](const char* row) {
        return child(child(view.get(), row), "unavailable")->isVisibleTo(view.get());
    };
    EXPECT_FALSE(marked("shortcut.pickColor"));
    hotkeys.set({MensorCommand::pickColor, MensorCommand::clearMeasurements});
    EXPECT_TRUE(marked("shortcut.pickColor"));
    EXPECT_TRUE(marked("shortcut.clearMeasurements"));
    EXPECT_FALSE(marked("shortcut.toggleRuler"));
    EXPECT_EQ(text(child(view.get(), "shortcut.pickColor"), "unavailable"),
              "In use by another app");
    hotkeys.set({});
    EXPECT_FALSE(marked("shortcut.pickColor"));
}

TEST_F(WelcomeViewTest, ShowRulerLeavesAShownRulerAndGetStartedOrReturnCloses) {
    Mensor& m = started();
    auto view = show(Kind::welcome);
    click(view.get(), "showRuler");
    EXPECT_TRUE(*m.rulerVisible());
    click(view.get(), "showRuler");
    EXPECT_TRUE(*m.rulerVisible()) << "shows, never hides";
    EXPECT_TRUE(closed.empty()) << "the window stays open";

    click(view.get(), "getStarted");
    EXPECT_EQ(closed, std::vector<Kind>{Kind::welcome});
    QTest::keyClick(child(view.get(), "showRuler"), Qt::Key_Return);
    EXPECT_EQ(closed, (std::vector<Kind>{Kind::welcome, Kind::welcome}));
}

} // namespace
} // namespace spanlet::testing
