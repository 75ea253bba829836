#include <functional>
#include <map>

#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

using Log = std::vector<std::string>;

class MensorStateTest : public ModelTest {
protected:
    void SetUp() override {
        addDisplay(1, {0, 0, 1440, 900}, 2);
        pointAt({100, 100});
    }
};

TEST_F(MensorStateTest, StartWiresThePlatformInOrderAndWelcomesOnce) {
    Mensor& m = make(Preferences{});
    platform.log.clear();
    m.start();
    EXPECT_EQ(platform.windows.model, &m);
    EXPECT_EQ(platform.hotkeys.registered.size(), allCases<MensorCommand>.size());
    EXPECT_EQ(platform.log.entries.at(0), "overlay.rebuild");
    EXPECT_EQ(platform.log.entries.at(1), "pointer");
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::welcome});
    ASSERT_TRUE(platform.saved().has_value());
    EXPECT_TRUE(platform.saved()->welcomed);

    make(*platform.saved()).start(); // the next launch
    EXPECT_EQ(platform.windows.opened.size(), 1U);
}

TEST_F(MensorStateTest, RedrawRunsPointerOverlayRulerThenTask) {
    Mensor& m = started();
    m.toggleRuler();
    EXPECT_EQ(platform.log.entries,
              (Log{"pointer", "overlay.refresh", "ruler.refresh", "clock.schedule", "announce"}));

    platform.log.clear();
    addDisplay(2, {1440, 0, 1000, 800}, 1);
    platform.displays.fireScreensChanged();
    EXPECT_EQ(m.screens()->size(), 2U);
    EXPECT_EQ(platform.log.entries,
              (Log{"overlay.rebuild", "pointer", "overlay.refresh", "ruler.refresh"}));
}

TEST_F(MensorStateTest, OnlyFieldsWhoseValueChangedNotify) {
    using Counts = std::map<std::string, int>;
    Mensor& m = started();
    // The notifications of every observed field while `act` runs.
    const auto changedBy = [&m](const std::function<void()>& act) {
        Counts counts;
        std::vector<Subscription> tokens;
        const auto watch = [&]<class T>(const char* name, const Observable<T>& field) {
            tokens.push_back(field.subscribe([&counts, name](const T&) { ++counts[name]; }));
        };
        watch("prefs", m.prefs());
        watch("screens", m.screens());
        watch("pointer", m.pointer());
        watch("pointerScreen", m.pointerScreen());
        watch("rulerVisible", m.rulerVisible());
        watch("editingGuides", m.editingGuides());
        watch("selectedGuide", m.selectedGuide());
        watch("snapping", m.snapping());
        watch("live", m.live());
        watch("loupe", m.loupe());
        watch("pinned", m.pinned());
        watch("captureProblem", m.captureProblem());
        watch("toast", m.toast());
        act();
        return counts;
    };
    EXPECT_EQ(changedBy([&] { m.updatePointer(); }), Counts{});
    EXPECT_EQ(changedBy([&] { m.setPrefs(*m.prefs()); }), Counts{});
    EXPECT_EQ(platform.saves(), 0);
    EXPECT_EQ(changedBy([&] { m.toggleUnit(); }), (Counts{{"prefs", 1}, {"toast", 1}}));
    EXPECT_EQ(platform.saves(), 1); // saved whole
    EXPECT_EQ(platform.saved(), *m.prefs());
    EXPECT_EQ(changedBy([&] {
                  m.enableSnapping();
                  m.enableSnapping();
              }),
              (Counts{{"snapping", 1}}));
    EXPECT_EQ(changedBy([&] {
                  m.show("Hello");
                  m.show("Hello"); // two messages
              }),
              (Counts{{"toast", 2}}));
    EXPECT_EQ(changedBy([&] {
                  pointAt({5000, 100});
                  m.updatePointer();
              }),
              (Counts{{"pointer", 1}, {"pointerScreen", 1}}));
    EXPECT_EQ(*m.pointerScreen(), std::nullopt); // no nearest-display fallback
}

TEST(ObservableTest, SubscriptionsEndWithTheirTokenEvenDuringNotification) {
    Observable<int> field(0);
    int calls = 0;
    {
        const Subscription token = field.subscribe([&](int) { ++calls; });
        EXPECT_TRUE(field.set(1));
    }
    EXPECT_TRUE(field.set(2));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(field.observerCount(), 0U);

    // An observer may unsubscribe another that is still to be notified.
    Subscription second;
    const Subscription first = field.subscribe([&](int) { second.reset(); });
    second = field.subscribe([&](int) { ++calls; });
    EXPECT_TRUE(field.set(3));
    EXPECT_EQ(calls, 1);
}

TEST_F(MensorStateTest, ShortcutsFollowTheHotkeysPreference) {
    Preferences off = welcomedPrefs();
    off.hotkeysEnabled = false;
    Mensor& m = started(off);
    EXPECT_EQ(platform.hotkeys.unregisterCalls, 1);
    m.updatePrefs([](Preferences& p) { p.tolerance = 0.5; }); // other changes leave them
    EXPECT_EQ(platform.hotkeys.registerCalls, 0);
    m.updatePrefs([](Preferences& p) { p.hotkeysEnabled = true; });
    EXPECT_EQ(platform.hotkeys.registerCalls, 1);
    m.updatePrefs([](Preferences& p) { p.hotkeysEnabled = false; });
    EXPECT_EQ(platform.hotkeys.unregisterCalls, 2);
}

TEST_F(MensorStateTest, NeedsOverlayWhileSomethingIsDrawn) {
    Mensor& m = started();
    EXPECT_FALSE(m.needsOverlay());
    m.addGuide(Axis::vertical, Point{10, 10});
    advance(2s); // the message is gone; the guide stays
    EXPECT_TRUE(m.needsOverlay());
    m.updatePrefs([](Preferences& p) { p.showGuides = false; });
    EXPECT_FALSE(m.needsOverlay());
    m.enableSnapping();
    EXPECT_TRUE(m.needsOverlay());
}

// The hot-key handler that start() installs reaches each command's operation.
TEST_F(MensorStateTest, HotkeysPerformTheirCommands) {
    Mensor& m = started();
    platform.hotkeys.press(MensorCommand::toggleRuler);
    EXPECT_TRUE(*m.rulerVisible());
    platform.hotkeys.press(MensorCommand::addHorizontalGuide);
    ASSERT_EQ(m.prefs()->guides.count(), 1);
    EXPECT_EQ(m.prefs()->guides.guides[0].axis, Axis::horizontal);
    platform.hotkeys.press(MensorCommand::copyMeasurement);
    EXPECT_EQ(toastText(), "Turn on edge snapping to measure (⌃⇧S)");
    platform.hotkeys.press(MensorCommand::pickColor);
    EXPECT_TRUE(m.samplerOpen());
}

TEST_F(MensorStateTest, CallbacksAfterTheModelIsGoneDoNothing) {
    Mensor& m = started();
    platform.capture.latency = 100ms;
    m.enableSnapping();
    m.show("Bye");
    m.pickColor(); // the loupe is not there yet, so the sampler opens
    advance(16ms); // a capture is in flight
    ASSERT_TRUE(m.capturing());
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
