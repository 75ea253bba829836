#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>

#include <spanlet/model/PreferenceLimits.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/model/PreferencesStore.hpp>

#include "fakes/FakeDefaultsStore.hpp"

namespace spanlet {

// Failure messages show the stored form instead of raw bytes.
void PrintTo(const Preferences& p, std::ostream* os) {
    *os << encode(p);
}

namespace {

using fakes::FakeDefaultsStore;

Preferences loaded(const std::string& document) {
    FakeDefaultsStore store;
    store.values["preferences"] = document;
    return Preferences::load(store);
}

// Missing or null keys take the defaults, unknown keys are ignored, out-of-range values are kept
// (they are limited where used); one bad value discards the whole document.
TEST(PreferencesTest, PartialDocumentsFillInDefaultsAndBadOnesLoadWholeDefaults) {
    Preferences expected;
    expected.unit = MeasureUnit::pixels;
    expected.rulerLength = -3;
    EXPECT_EQ(loaded(R"({"unit":"pixels","rulerLength":-3,"rulerX":null,"future":{"a":[1]}})"),
              expected);
    for (const char* document : {
             R"({"unit":"Pixels","welcomed":true})", // unknown raw value
             R"({"showLoupe":1,"welcomed":true})",   // number for a flag
             R"({"recentColors":[{"red":1,"green":1,"blue":1}],"welcomed":true})",
             "{\"unit\":",
         }) {
        EXPECT_EQ(loaded(document), Preferences{}) << document;
    }
}

TEST(PreferencesTest, SavesCompactJsonAndLoadsItBack) {
    Preferences p;
    p.unit = MeasureUnit::pixels;
    p.rulerY = 0.1 + 0.2; // not exactly representable in short decimal form
    p.guides.add(Axis::horizontal, 33.5, DisplayScale::retina);
    p.recentColors = {SRGBColor(1, 1, 1, 0.5)};
    FakeDefaultsStore store;
    ASSERT_TRUE(p.save(store));
    const std::string& document = store.values.at("preferences");
    EXPECT_EQ(document.find(": "), std::string::npos);
    const Json j = Json::parse(document);
    EXPECT_EQ(j.at("unit"), "pixels");
    EXPECT_FALSE(j.contains("rulerX")); // absent stays absent
    EXPECT_EQ(Preferences::load(store), p);
}

// "shortcuts" holds only the changed commands; each bad entry is skipped on its own and the
// rest of the document still loads.
TEST(PreferencesTest, ShortcutBindingsStoreChangesOnlyAndSkipBadEntries) {
    using M = Shortcut::Modifiers;
    const Preferences loadedPrefs = loaded(R"({"welcomed":true,"shortcuts":{
        "toggleRuler":{"key":"r","modifiers":6144}, "pickColor":null,
        "editGuides":{"key":"F1","modifiers":4608}, "toggleUnit":{"key":"U"},
        "addVerticalGuide":{"key":"V","modifiers":512}, "copyMeasurement":{"key":"K","modifiers":"4608"},
        "clearMeasurements":[], "ToggleSnapping":null}})");
    ShortcutBindings expected;
    expected.set(MensorCommand::toggleRuler, userShortcut("R", {M::control, M::option}));
    expected.set(MensorCommand::pickColor, std::nullopt);
    EXPECT_TRUE(loadedPrefs.welcomed);
    EXPECT_EQ(loadedPrefs.shortcuts, expected);
    EXPECT_EQ(loaded(R"({"welcomed":true,"shortcuts":5})").shortcuts, ShortcutBindings());

    Preferences p;
    EXPECT_FALSE(Json::parse(encode(p)).contains("shortcuts")); // as older versions wrote it
    p.shortcuts = expected;
    FakeDefaultsStore store;
    ASSERT_TRUE(p.save(store));
    EXPECT_EQ(Json::parse(store.values.at("preferences")).at("shortcuts"),
              Json::parse(R"({"toggleRuler":{"key":"R","modifiers":6144},"pickColor":null})"));
    EXPECT_EQ(Preferences::load(store), p);
}

// An unreadable document loads as defaults, and is copied once, never overwritten by a later
// one, before the first save replaces it. If the copy fails the document stays in place.
TEST(PreferencesStoreTest, UnreadableDocumentIsKeptBeforeTheFirstSave) {
    constexpr const char* kBackup = "preferences.unreadable";
    Preferences changed;
    changed.welcomed = true;
    FakeDefaultsStore store;
    store.values["preferences"] = "first unreadable";
    store.refusedKeys.insert(kBackup);
    PreferencesStore prefs(store);
    EXPECT_EQ(prefs.load(), Preferences{});
    EXPECT_FALSE(prefs.save(changed));
    EXPECT_EQ(store.values.at("preferences"), "first unreadable");

    store.refusedKeys.clear(); // the next save catches up
    ASSERT_TRUE(prefs.save(changed));
    EXPECT_EQ(store.values.at(kBackup), "first unreadable");
    EXPECT_EQ(Preferences::load(store), changed);

    store.values["preferences"] = "second unreadable";
    prefs.load();
    ASSERT_TRUE(prefs.save(changed));
    EXPECT_EQ(store.values.at(kBackup), "first unreadable");
    EXPECT_EQ(store.writes[kBackup], 1);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(PreferenceLimitsTest, StoredValuesAreLimitedWhereUsed) {
    using PreferenceLimits::usableRulerLength;
    EXPECT_EQ(PreferenceLimits::usableTolerance(5), 1);
    EXPECT_EQ(PreferenceLimits::usableTolerance(kNaN), 0.1);
    EXPECT_EQ(usableRulerLength(50, 2560), 80);
    EXPECT_EQ(usableRulerLength(kNaN, 500), 500); // the default, cut by a small display
    EXPECT_EQ(usableRulerLength(300, 60), 80);    // a tiny display still gets 80
    EXPECT_EQ(usableRulerLength(10000, 0), 2000); // no display
    EXPECT_EQ(usableRulerLength(1e300, kInf), 2000);
    EXPECT_EQ(PreferenceLimits::usableRulerOrigin(-1e6, 1e6), (Point{-1e6, 1e6}));
    EXPECT_EQ(PreferenceLimits::usableRulerOrigin(10.5, std::nullopt), std::nullopt);
    EXPECT_EQ(PreferenceLimits::usableRulerOrigin(5, 1e6 + 1), std::nullopt);
    EXPECT_EQ(PreferenceLimits::usableRulerOrigin(kNaN, 5), std::nullopt);
}

} // namespace
} // namespace spanlet
