// The welcome view with its shortcut list, and the screen-recording explainer.
#include <QPushButton>
#include <QRegularExpression>

#include <spanlet/views/ViewText.hpp>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

using OnboardingViewTest = ViewTest;

TEST_F(OnboardingViewTest, WelcomeListsTheShortcutsMarksThoseInUseShowsTheRulerAndCloses) {
    Mensor& m = started();
    auto view = show(Kind::welcome);
    const QList<QWidget*> rows =
        view->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^shortcut\\.")));
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(shownTexts(rows[0]),
              (std::vector<std::string>{"Show or Hide the Ruler", "Ctrl+Shift+R"}));
    EXPECT_EQ(utf8(rows[0]->accessibleName()), "Show or Hide the Ruler, Control Shift R");

    QWidget* mark = child(child(view.get(), "shortcut.pickColor"), "unavailable");
    EXPECT_FALSE(mark->isVisibleTo(view.get()));
    hotkeys.set({MensorCommand::pickColor});
    EXPECT_TRUE(mark->isVisibleTo(view.get())) << "at once";
    m.updatePrefs(
        [](Preferences& p) { p.shortcuts.set(MensorCommand::toggleRuler, std::nullopt); });
    EXPECT_EQ(shownTexts(rows[0]), (std::vector<std::string>{"Show or Hide the Ruler", "None"}))
        << "the user's bindings, at once";

    click(view.get(), "menu");
    EXPECT_EQ(menusOpened, 1);
    click(view.get(), "showRuler");
    click(view.get(), "showRuler");
    EXPECT_TRUE(*m.ruler().visible()) << "shows, never hides";
    EXPECT_TRUE(closed.empty());
    QTest::keyClick(child(view.get(), "showRuler"), Qt::Key_Return);
    EXPECT_EQ(closed, std::vector<Kind>{Kind::welcome}) << "Return is Get Started";
}

TEST_F(OnboardingViewTest, WelcomeTellsOfClicksOnlyWhereTheOverlayTakesThem) {
    started();
    EXPECT_EQ(show(Kind::welcome)->findChild<QWidget*>(QStringLiteral("overlayClicks")), nullptr);
    context->overlayTakesClicks = true;
    EXPECT_EQ(text(show(Kind::welcome).get(), "overlayClicks"),
              "While edge snapping is on, Spanlet takes the pointer: a click keeps the "
              "measurement on screen, and Escape turns snapping off.");
}

TEST_F(OnboardingViewTest, WhereTheCompositorBindsTheKeysWelcomeSaysSoAndClaimsNoGrabs) {
    started();
    EXPECT_EQ(show(Kind::welcome)->findChild<QWidget*>(QStringLiteral("boundByDesktop")), nullptr);
    HotkeyState configured;
    configured.route = HotkeyRoute::configuration;
    hotkeys.setState(configured);
    auto view = show(Kind::welcome);
    EXPECT_EQ(text(view.get(), "boundByDesktop"),
              "Bind these keys to “spanlet --command NAME” in your compositor’s configuration: "
              "Settings shows the lines to paste.");
    for (const std::string& shown : shownTexts(view.get())) {
        EXPECT_EQ(shown.find("work in any app"), std::string::npos) << shown;
    }
}

TEST_F(OnboardingViewTest, ExplainerRefusedAsksToAllowAndCheckAgainTurnsSnappingOn) {
    platform.permission.granted = false;
    Mensor& m = started();
    auto view = show(Kind::explainer);
    EXPECT_EQ(shownTexts(view.get())[0], "Edge snapping needs Screen Recording");
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(closed, std::vector<Kind>{Kind::explainer}) << "Escape is Not Now";
    EXPECT_FALSE(m.prefs()->explainerSeen);

    click(view.get(), "continue");
    EXPECT_EQ(platform.permission.requests, 1);
    EXPECT_TRUE(m.prefs()->explainerSeen);
    EXPECT_FALSE(*m.snapping());
    EXPECT_EQ(shownTexts(view.get()).back(),
              "Spanlet isn’t allowed yet. Choose “Allow Spanlet”, then choose Check Again.");
    EXPECT_EQ(text(view.get(), "howToAllow"), platform.permission.denied.explanation);
    EXPECT_EQ(text(view.get(), "grant"), "Allow Spanlet");
    click(view.get(), "grant");
    EXPECT_EQ(platform.permission.grants, 1);

    platform.permission.granted = true;
    click(view.get(), "checkAgain");
    EXPECT_TRUE(*m.snapping());
    EXPECT_EQ(closed.size(), 2U);
    EXPECT_FALSE(child(view.get(), "checkAgain")->isVisibleTo(view.get())) << "back to Continue";
}

// Xwayland: nothing can allow capture, so no button promises it; the welcome note agrees.
TEST_F(OnboardingViewTest, WhereCaptureIsUnavailableTheExplainerSaysWhyAndWhatWorksWithOneButton) {
    platform.permission.granted = false;
    platform.permission.denied = {CaptureAccess::State::unavailable, {}, "Xwayland can’t read it."};
    Mensor& m = started();
    auto view = show(Kind::explainer);
    EXPECT_EQ(shownTexts(view.get()),
              (std::vector<std::string>{
                  "Edge snapping isn’t available in this session",
                  "To find the edges under the pointer, Spanlet reads one thin row and one thin "
                  "column of pixels through the pointer, plus a tiny square for the loupe, while "
                  "edge snapping is on.",
                  "Xwayland can’t read it.", std::string(ViewText::captureUnavailable)}));
    std::vector<std::string> buttons;
    for (const QPushButton* b : view->findChildren<QPushButton*>()) {
        if (b->isVisibleTo(view.get())) {
            buttons.push_back(utf8(b->text()));
        }
    }
    EXPECT_EQ(buttons, std::vector<std::string>{"OK"});
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(closed, std::vector<Kind>{Kind::explainer});
    EXPECT_FALSE(*m.snapping());

    EXPECT_EQ(text(show(Kind::welcome).get(), "permissionNote"), ViewText::captureUnavailable);
}

} // namespace
} // namespace spanlet::testing
