#include <functional>
#include <map>

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
    EXPECT_EQ(platform.windows.model, &m);
    EXPECT_TRUE(platform.displays.hasHandler());
    EXPECT_TRUE(platform.hotkeys.hasHandler());
    EXPECT_EQ(platform.hotkeys.registered.size(), allCases<MensorCommand>.size());
    EXPECT_EQ(platform.log.entries.at(0), "overlay.rebuild");
    EXPECT_EQ(platform.log.entries.at(1), "pointer");
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::welcome});
    ASSERT_TRUE(platform.saved().has_value());
    EXPECT_TRUE(platform.saved()->welcomed);

    ModelTest::make(*platform.saved()).start(); // the next launch
    EXPECT_EQ(platform.windows.opened.size(), 1U);
}

TEST_F(MensorStateTest, StartWithShortcutsOffUnregistersThem) {
    Preferences p = welcomedPrefs();
    p.hotkeysEnabled = false;
    make(p).start();
    EXPECT_EQ(platform.hotkeys.unregisterCalls, 1);
    EXPECT_EQ(platform.hotkeys.registerCalls, 0);
}

TEST_F(MensorStateTest, RedrawContractRunsPointerOverlayRulerThenTask) {
    Mensor& m = started();
    m.toggleRuler();
    EXPECT_EQ(platform.log.entries,
              (std::vector<std::string>{"pointer", "overlay.refresh", "ruler.refresh",
                                        "clock.schedule", "announce"}));
}

TEST_F(MensorStateTest, ScreensChangedReadsDisplaysRebuildsAndSyncs) {
    Mensor& m = started();
    addDisplay(2, {1440, 0, 1000, 800}, 1);
    platform.displays.fireScreensChanged();
    EXPECT_EQ(m.screens()->size(), 2U);
    EXPECT_EQ(platform.log.entries, (std::vector<std::string>{"overlay.rebuild", "pointer",
                                                              "overlay.refresh", "ruler.refresh"}));
}

TEST_F(MensorStateTest, PointerScreenUsesTheGrownFrameWithoutNearestFallback) {
    addDisplay(2, {1440, 0, 1000, 800}, 1);
    Mensor& m = started();
    pointAt({1440, 10});
    m.updatePointer();
    EXPECT_EQ(*m.pointerScreen(), std::optional<std::uint32_t>(1)); // shared edge: first wins
    pointAt({1439.4, 850});
    m.updatePointer();
    EXPECT_EQ(*m.pointerScreen(), std::optional<std::uint32_t>(1));
    pointAt({2000, 850}); // below display 2, in no frame
    m.updatePointer();
    EXPECT_FALSE(m.pointerScreen()->has_value());
}

// Counts the notifications of every observed field.
struct Notifications {
    std::map<std::string, int> counts;
    std::vector<Subscription> subscriptions;

    template <class T>
    void watch(const char* name, const Observable<T>& field) {
        counts[name] = 0;
        subscriptions.push_back(field.subscribe([this, name](const T&) { ++counts[name]; }));
    }
    void watchAll(const Mensor& m) {
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
    }
    /// The fields that notified, with their counts.
    [[nodiscard]] std::map<std::string, int> changed() const {
        std::map<std::string, int> result;
        for (const auto& [name, count] : counts) {
            if (count != 0) {
                result[name] = count;
            }
        }
        return result;
    }
};

struct NotifyCase {
    const char* name;
    std::function<void(Mensor&, fakes::FakePlatform&)> act;
    std::map<std::string, int> expected;
};

class NotificationTest : public ModelTest, public ::testing::WithParamInterface<NotifyCase> {};

TEST_P(NotificationTest, OnlyFieldsWhoseValueChangedNotify) {
    addDisplay(1, {0, 0, 1440, 900}, 2);
    pointAt({100, 100});
    Mensor& m = started();
    Notifications n;
    n.watchAll(m);
    GetParam().act(m, platform);
    EXPECT_EQ(n.changed(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, NotificationTest,
    ::testing::Values(
        NotifyCase{"same_pointer", [](Mensor& m, auto&) { m.updatePointer(); }, {}},

        NotifyCase{"pointer_left_every_display",
                   [](Mensor& m, fakes::FakePlatform& p) {
                       p.displays.pointer = {5000, 100};
                       m.updatePointer();
                   },
                   {{"pointer", 1}, {"pointerScreen", 1}}},
        NotifyCase{"equal_preferences", [](Mensor& m, auto&) { m.setPrefs(*m.prefs()); }, {}},
        NotifyCase{
            "toggle_unit", [](Mensor& m, auto&) { m.toggleUnit(); }, {{"prefs", 1}, {"toast", 1}}},

        NotifyCase{"enable_snapping_twice",
                   [](Mensor& m, auto&) {
                       m.enableSnapping();
                       m.enableSnapping();
                   },
                   {{"snapping", 1}}},

        NotifyCase{"same_message_twice_is_two_messages",
                   [](Mensor& m, auto&) {
                       m.show("Hello");
                       m.show("Hello");
                   },
                   {{"toast", 2}}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(MensorStateTest, SubscriptionEndsWithItsToken) {
    Mensor& m = started();
    int calls = 0;
    {
        const Subscription token = m.rulerVisible().subscribe([&](bool) { ++calls; });
        m.toggleRuler();
    }
    m.toggleRuler();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(m.rulerVisible().observerCount(), 0U);
}

TEST(ObservableTest, ObserverMayUnsubscribeAnotherDuringNotification) {
    Observable<int> field(0);
    Subscription second;
    int secondCalls = 0;
    const Subscription first = field.subscribe([&](int) { second.reset(); });
    second = field.subscribe([&](int) { ++secondCalls; });
    EXPECT_TRUE(field.set(1));
    EXPECT_EQ(secondCalls, 0);
    EXPECT_FALSE(field.set(1));
}

TEST_F(MensorStateTest, PreferencesAreSavedWholeOnlyWhenTheyChange) {
    Mensor& m = started();
    const int before = platform.saves();
    m.setPrefs(*m.prefs());
    EXPECT_EQ(platform.saves(), before);
    m.toggleUnit();
    EXPECT_EQ(platform.saves(), before + 1);
    EXPECT_EQ(platform.saved(), *m.prefs());
}

TEST_F(MensorStateTest, ShortcutsFollowTheHotkeysPreference) {
    Mensor& m = started();
    const int registered = platform.hotkeys.registerCalls;
    m.updatePrefs([](Preferences& p) { p.hotkeysEnabled = false; });
    EXPECT_EQ(platform.hotkeys.unregisterCalls, 1);
    m.updatePrefs([](Preferences& p) { p.tolerance = 0.5; });
    EXPECT_EQ(platform.hotkeys.unregisterCalls, 1);
    EXPECT_EQ(platform.hotkeys.registerCalls, registered);
    m.updatePrefs([](Preferences& p) { p.hotkeysEnabled = true; });
    EXPECT_EQ(platform.hotkeys.registerCalls, registered + 1);
}

TEST_F(MensorStateTest, NeedsOverlayWhileSomethingIsDrawn) {
    Mensor& m = started();
    EXPECT_FALSE(m.needsOverlay());
    m.addGuide(Axis::vertical, Point{10, 10});
    EXPECT_TRUE(m.needsOverlay());
    advance(2s); // the message is gone; the guide stays
    EXPECT_TRUE(m.needsOverlay());
    m.updatePrefs([](Preferences& p) { p.showGuides = false; });
    EXPECT_FALSE(m.needsOverlay());
    m.enableSnapping();
    EXPECT_TRUE(m.needsOverlay());
}

// Every command reaches its operation, through the hot-key handler that start() installs.
struct CommandCase {
    MensorCommand command;
    std::function<bool(const Mensor&, const fakes::FakePlatform&)> happened;
};

class CommandTest : public ModelTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandTest, HotkeyPerformsTheCommand) {
    addDisplay(1, {0, 0, 1440, 900}, 2);
    pointAt({100, 100});
    Mensor& m = started();
    platform.hotkeys.press(GetParam().command);
    EXPECT_TRUE(GetParam().happened(m, platform));
}

std::string toast(const Mensor& m) {
    return m.toast()->has_value() ? (*m.toast())->text : "";
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandTest,
    ::testing::Values(CommandCase{MensorCommand::toggleRuler,
                                  [](const Mensor& m, auto&) { return *m.rulerVisible(); }},
                      CommandCase{MensorCommand::addHorizontalGuide,
                                  [](const Mensor& m, auto&) {
                                      return m.prefs()->guides.count() == 1 &&
                                             m.prefs()->guides.guides[0].axis == Axis::horizontal;
                                  }},
                      CommandCase{MensorCommand::pickColor,
                                  [](const Mensor& m, const fakes::FakePlatform& p) {
                                      return p.sampler.shows == 1 && m.samplerOpen();
                                  }},
                      CommandCase{MensorCommand::copyMeasurement,
                                  [](const Mensor& m, const fakes::FakePlatform& p) {
                                      return toast(m) == "Turn on edge snapping to measure (⌃⇧S)" &&
                                             !p.clipboard.text;
                                  }}),
    [](const auto& row) { return std::string(rawValue(row.param.command)); });

TEST_F(MensorStateTest, EditGuidesCommandTogglesTheEditor) {
    Mensor& m = started();
    m.perform(MensorCommand::editGuides);
    EXPECT_TRUE(*m.editingGuides());
    m.perform(MensorCommand::editGuides);
    EXPECT_FALSE(*m.editingGuides());
    EXPECT_FALSE(m.selectedGuide()->has_value());
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
