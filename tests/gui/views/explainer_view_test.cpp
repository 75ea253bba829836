// The screen-recording explainer and its two states.
#include <QPushButton>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

const std::vector<std::string> kExplanation{
    "Edge snapping needs Screen Recording",
    "To find the edges under the pointer, Spanlet reads one thin row and one thin column of "
    "pixels through the pointer, plus a tiny square for the loupe, while edge snapping is on.",
    "Those pixels stay in memory on this Mac and are never recorded or sent anywhere. Only "
    "colors you choose to pick are kept, in your recent colors. Spanlet’s own ruler and guides "
    "are left out.",
    "macOS will ask you to allow Spanlet in System Settings under Privacy & Security, Screen & "
    "System Audio Recording. You may need to reopen Spanlet after allowing it.",
    "Everything else works without it: the ruler, guides and the color picker."};

const std::string kNotAllowed =
    "Spanlet isn’t allowed yet. Turn it on in System Settings, then choose Check Again.";

std::vector<std::string> shownButtons(const QWidget* view) {
    std::vector<std::string> texts;
    for (const QPushButton* b : view->findChildren<QPushButton*>()) {
        if (b->isVisibleTo(view)) {
            texts.push_back(utf8(b->text()));
        }
    }
    return texts;
}

using ExplainerViewTest = ViewTest;

TEST_F(ExplainerViewTest, NotNowClosesAndContinueTurnsSnappingOnAskingOnlyWhenNeeded) {
    platform.permission.granted = false;
    platform.permission.grantOnRequest = true;
    Mensor& m = started();
    auto view = show(Kind::explainer);
    EXPECT_EQ(shownTexts(view.get()), kExplanation);
    EXPECT_EQ(shownButtons(view.get()), (std::vector<std::string>{"Not Now", "Continue"}));
    click(view.get(), "notNow");
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(closed, (std::vector<Kind>{Kind::explainer, Kind::explainer}));
    EXPECT_FALSE(m.prefs()->explainerSeen);
    EXPECT_FALSE(*m.snapping());

    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(platform.permission.requests, 1);
    EXPECT_TRUE(*m.snapping());
    EXPECT_TRUE(m.prefs()->explainerSeen);
    EXPECT_EQ(closed.size(), 3U);

    // Allowed by now: no second request.
    m.disableSnapping();
    click(view.get(), "continue");
    EXPECT_EQ(platform.permission.requests, 1);
    EXPECT_TRUE(*m.snapping());
    EXPECT_EQ(closed.size(), 4U);
}

TEST_F(ExplainerViewTest, RefusedItAsksToAllowAndCheckAgain) {
    platform.permission.granted = false;
    Mensor& m = started();
    auto view = show(Kind::explainer);
    click(view.get(), "continue");
    EXPECT_TRUE(m.prefs()->explainerSeen);
    EXPECT_FALSE(*m.snapping());
    EXPECT_TRUE(closed.empty());
    std::vector<std::string> expected = kExplanation;
    expected.push_back(kNotAllowed);
    EXPECT_EQ(shownTexts(view.get()), expected);
    EXPECT_EQ(shownButtons(view.get()),
              (std::vector<std::string>{"Not Now", "Open System Settings", "Check Again"}));

    click(view.get(), "openSystemSettings");
    EXPECT_EQ(platform.permission.settingsOpened, 1);

    // Still refused: nothing changes.
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_FALSE(*m.snapping());
    EXPECT_TRUE(closed.empty());
    EXPECT_TRUE(shows(view.get(), kNotAllowed));

    platform.permission.granted = true;
    click(view.get(), "checkAgain");
    EXPECT_TRUE(*m.snapping());
    EXPECT_EQ(closed, std::vector<Kind>{Kind::explainer});
    EXPECT_EQ(shownButtons(view.get()), (std::vector<std::string>{"Not Now", "Continue"}));
}

} // namespace
} // namespace spanlet::testing
