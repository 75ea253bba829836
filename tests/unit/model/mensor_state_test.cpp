#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

class MensorStateTest : public ModelTest {
protected:
    void SetUp() override { addDisplay(1, {0, 0, 1440, 900}, 2); }
};

TEST_F(MensorStateTest, StartWiresThePlatformInOrderAndWelcomesOnce) {
    Mensor& m = make(Preferences{});
    platform.log.clear();
    m.start();
    EXPECT_EQ(platform.hotkeys.registered.size(), allCases<MensorCommand>.size());
    EXPECT_EQ(platform.log.entries.at(0), "overlay.rebuild");
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::welcome});
    make(*platform.saved()).start(); // the next launch
    EXPECT_EQ(platform.windows.opened.size(), 1U);
    platform.log.clear(); // a display change rebuilds before redrawing
    platform.displays.fireScreensChanged();
    EXPECT_EQ(platform.log.entries, (std::vector<std::string>{"overlay.rebuild", "pointer"}));
}

// The hot keys follow the user's bindings: a changed or cleared shortcut registers afresh, a
// change while they are off registers nothing; the snapping hint names the binding, if any.
TEST_F(MensorStateTest, HotkeysAndHintFollowTheUserBindings) {
    Mensor& m = started();
    const int calls = platform.hotkeys.registerCalls;
    const auto ctrlAlt =
        Shortcut::Modifiers{Shortcut::Modifiers::control, Shortcut::Modifiers::option};
    m.updatePrefs([&](Preferences& p) {
        p.shortcuts.set(MensorCommand::toggleRuler, userShortcut("R", ctrlAlt));
        p.shortcuts.set(MensorCommand::toggleSnapping, std::nullopt);
    });
    EXPECT_EQ(platform.hotkeys.registerCalls, calls + 1);
    EXPECT_EQ(platform.hotkeys.registered, m.prefs()->shortcuts.registrable());
    EXPECT_EQ(platform.hotkeys.registered.size(), allCases<MensorCommand>.size() - 1);
    m.measurements().pin();
    EXPECT_EQ((*m.messages().toast())->text, "Turn on edge snapping to measure");
    m.updatePrefs([](Preferences& p) { p.hotkeysEnabled = false; });
    m.updatePrefs([](Preferences& p) { p.shortcuts = ShortcutBindings(); });
    EXPECT_EQ(platform.hotkeys.registerCalls, calls + 1);
}

TEST_F(MensorStateTest, OnlyFieldsWhoseValueChangedNotifyAndPrefsAreSavedWhole) {
    Mensor& m = started();
    int prefs = 0;
    int snapping = 0;
    int screen = 0;
    const Subscription tokens[] = {
        m.prefs().subscribe([&](const auto&) { ++prefs; }),
        m.snapping().subscribe([&](const auto&) { ++snapping; }),
        m.tracking().pointerScreen().subscribe([&](const auto&) { ++screen; })};
    m.setPrefs(*m.prefs());
    m.tracking().update();
    EXPECT_EQ(prefs + screen, 0);
    EXPECT_EQ(platform.saves(), 0);
    m.toggleUnit();
    EXPECT_EQ(prefs, 1);
    EXPECT_EQ(platform.saved(), *m.prefs());
    m.enableSnapping();
    m.enableSnapping();
    EXPECT_EQ(snapping, 1);
    pointAt({5000, 100}); // off every display: no nearest-display fallback
    m.tracking().update();
    EXPECT_EQ(screen, 1);
    EXPECT_EQ(*m.tracking().pointerScreen(), std::nullopt);
}

TEST(ObservableTest, AnObserverMayUnsubscribeAnotherStillToBeNotified) {
    Observable<int> field(0);
    int calls = 0;
    Subscription second;
    const Subscription first = field.subscribe([&](int) { second.reset(); });
    second = field.subscribe([&](int) { ++calls; });
    EXPECT_TRUE(field.set(3));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(field.observerCount(), 1U);
}

TEST_F(MensorStateTest, HotkeysFollowThePreferenceAndPerformTheirCommands) {
    Preferences off = welcomedPrefs();
    off.hotkeysEnabled = false;
    Mensor& m = started(off);
    m.updatePrefs([](Preferences& p) { p.tolerance = 0.5; }); // other changes leave them
    EXPECT_EQ(platform.hotkeys.registerCalls, 0);
    m.updatePrefs([](Preferences& p) { p.hotkeysEnabled = true; });
    EXPECT_EQ(platform.hotkeys.registerCalls, 1);
    platform.hotkeys.press(MensorCommand::addHorizontalGuide);
    ASSERT_EQ(m.prefs()->guides.count(), 1);
    EXPECT_EQ(m.prefs()->guides.guides[0].axis, Axis::horizontal);
    advance(2s); // the message is gone; the guide keeps the overlay
    EXPECT_TRUE(m.overlayMode()->shown);
}

TEST_F(MensorStateTest, CallbacksAfterTheModelIsGoneDoNothing) {
    Mensor& m = started();
    platform.capture.latency = 100ms;
    m.enableSnapping();
    m.messages().show("Bye");
    m.colors().pick(); // the loupe is not there yet, so the sampler opens
    advance(16ms);     // a capture is in flight
    ASSERT_TRUE(m.tracking().capturing());
    model.reset();
    advance(3s);
    platform.displays.fireScreensChanged();
    platform.hotkeys.press(MensorCommand::toggleRuler);
    platform.sampler.pick(SRGBColor(1, 0, 0, 1));
    EXPECT_EQ(platform.clock.pending(), 0U);
    EXPECT_FALSE(platform.clipboard.text.has_value());
}

} // namespace
} // namespace spanlet::testing
