#include <chrono>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

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
// (they are limited where used); a bad value loses only its own field, and text that is not a
// JSON object loads as the defaults.
TEST(PreferencesTest, PartialDocumentsFillInDefaultsAndABadValueLosesOnlyItsField) {
    Preferences expected;
    expected.unit = MeasureUnit::pixels;
    expected.rulerLength = -3;
    EXPECT_EQ(loaded(R"({"unit":"pixels","rulerLength":-3,"rulerX":null,"future":{"a":[1]}})"),
              expected);

    Preferences sound;
    sound.welcomed = true;
    sound.guides.add(Axis::vertical, 10, DisplayScale::standard);
    const Json good = sound;
    const std::pair<const char*, Json> bad[] = {
        {"unit", "Pixels"}, // unknown raw value
        {"showLoupe", 1},   // number for a flag
        {"tolerance", "abc"},
        {"rulerX", "12"},
        {"recentColors", Json::parse(R"([{"red":1,"green":1,"blue":1}])")},
        {"recentColors", Json::object()},
    };
    for (const auto& [key, value] : bad) {
        Json document = good;
        document[key] = value;
        const auto decoded = decodePreferences(document.dump());
        ASSERT_TRUE(decoded) << document;
        EXPECT_EQ(decoded->preferences, sound) << document;
        EXPECT_EQ(decoded->fellBack, std::vector<std::string>{key}) << document;
    }
    Json badGuide = good;
    badGuide["guides"]["guides"].push_back(Json::parse(R"({"id":"x","axis":"vertical"})"));
    badGuide["welcomed"] = "yes";
    Preferences withoutGuides;
    EXPECT_EQ(decodePreferences(badGuide.dump())->preferences, withoutGuides); // whole field
    EXPECT_EQ(decodePreferences(badGuide.dump())->fellBack,
              (std::vector<std::string>{"guides", "welcomed"}));
    EXPECT_TRUE(decodePreferences(good.dump())->fellBack.empty());
    for (const char* document : {"{\"unit\":", "[]", "\"text\"", ""}) {
        EXPECT_EQ(decodePreferences(document), std::nullopt) << document;
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

// Each unreadable document (one that does not decode, or one the store cannot read at all) loads
// as defaults and is set aside under its own dated name before the first save; the newest five
// copies stay, and an older version's single copy is left alone.
TEST(PreferencesStoreTest, EveryUnreadableDocumentIsSetAsideBeforeASave) {
    FakeDefaultsStore store;
    store.values["preferences.unreadable"] = "kept by an older version";
    auto now = std::chrono::system_clock::from_time_t(1796601600); // 2026-12-07 00:00:00 UTC
    PreferencesStore prefs(store, [&now] { return now; });
    Preferences changed;
    changed.welcomed = true;
    for (int i = 0; i < 7; ++i) {
        if (i % 2 == 0) {
            store.values["preferences"] = "unreadable " + std::to_string(i);
        } else {
            store.unreadableKeys.insert("preferences");
        }
        EXPECT_EQ(prefs.load(), Preferences{});
        ASSERT_TRUE(prefs.save(changed));
        now += std::chrono::seconds(i < 5 ? 1 : 0); // the last two in the same second
    }
    EXPECT_EQ(store.keys("preferences.unreadable"),
              (std::vector<std::string>{
                  "preferences.unreadable",
                  "preferences.unreadable-20261207T000002Z",
                  "preferences.unreadable-20261207T000003Z", // an unread document, moved
                  "preferences.unreadable-20261207T000004Z",
                  "preferences.unreadable-20261207T000005Z",
                  "preferences.unreadable-20261207T000005Z-2",
              }));
    EXPECT_EQ(store.values.at("preferences.unreadable-20261207T000005Z-2"), "unreadable 6");
    EXPECT_TRUE(store.unreadableKeys.contains("preferences.unreadable-20261207T000003Z"));
    EXPECT_EQ(Preferences::load(store), changed);
    EXPECT_EQ(
        prefs.takeNotice()->text(),
        "Couldn’t read settings; kept them as ~/preferences.unreadable-20261207T000005Z-2.json");
}

// A document with a bad value loads everything else, and is set aside before the first save
// like an unreadable one.
TEST(PreferencesStoreTest, PartlyBadDocumentLoadsItsSoundFieldsAndIsSetAside) {
    FakeDefaultsStore store;
    const std::string document = R"({"unit":"pixels","tolerance":"abc","welcomed":true})";
    store.values["preferences"] = document;
    PreferencesStore prefs(store,
                           [] { return std::chrono::system_clock::from_time_t(1796601600); });
    Preferences expected;
    expected.unit = MeasureUnit::pixels;
    expected.welcomed = true;
    EXPECT_EQ(prefs.load(), expected);
    EXPECT_TRUE(prefs.holdsUnreadable());
    ASSERT_TRUE(prefs.save(expected));
    EXPECT_EQ(store.values.at("preferences.unreadable-20261207T000000Z"), document);
    EXPECT_EQ(Preferences::load(store), expected);
    EXPECT_EQ(prefs.takeNotice()->kind, PreferencesNotice::Kind::unreadableKept);

    prefs.load(); // what it just saved is sound
    EXPECT_FALSE(prefs.holdsUnreadable());
}

// A document that cannot be set aside is never saved over; the user hears of it once, and the
// next save tries again.
TEST(PreferencesStoreTest, UnreadableDocumentThatCannotBeSetAsideBlocksSaving) {
    FakeDefaultsStore store;
    store.unreadableKeys.insert("preferences");
    store.refusedKeys.insert("preferences.unreadable-20261207T000000Z");
    PreferencesStore prefs(store,
                           [] { return std::chrono::system_clock::from_time_t(1796601600); });
    prefs.load();
    EXPECT_FALSE(prefs.save(Preferences{}));
    EXPECT_FALSE(prefs.save(Preferences{}));
    EXPECT_TRUE(store.unreadableKeys.contains("preferences"));
    EXPECT_EQ(store.writes["preferences"], 0);
    EXPECT_EQ(prefs.takeNotice()->text(), "Couldn’t read settings; changes won’t be saved");
    EXPECT_EQ(prefs.takeNotice(), std::nullopt);

    store.refusedKeys.clear();
    ASSERT_TRUE(prefs.save(Preferences{}));
    EXPECT_FALSE(prefs.holdsUnreadable());
}

// A failing save is told once, with its reason, and again only after a save succeeded.
TEST(PreferencesStoreTest, AFailingSaveIsToldOnceWithItsReason) {
    const std::pair<StoreFailure, const char*> rows[] = {
        {StoreFailure::readOnly, "Couldn’t save settings: the folder is read-only"},
        {StoreFailure::diskFull, "Couldn’t save settings: the disk is full"},
        {StoreFailure::denied, "Couldn’t save settings: permission denied"},
        {StoreFailure::other, "Couldn’t save settings"},
    };
    for (const auto& [failure, message] : rows) {
        SCOPED_TRACE(message);
        FakeDefaultsStore store;
        store.refusedKeys.insert("preferences");
        store.refusal = failure;
        PreferencesStore prefs(store);
        EXPECT_FALSE(prefs.save(Preferences{}));
        EXPECT_EQ(prefs.takeNotice()->text(), message);
        EXPECT_FALSE(prefs.save(Preferences{}));
        EXPECT_EQ(prefs.takeNotice(), std::nullopt);
        store.refusedKeys.clear();
        ASSERT_TRUE(prefs.save(Preferences{}));
        store.refusedKeys.insert("preferences");
        EXPECT_FALSE(prefs.save(Preferences{}));
        EXPECT_EQ(prefs.takeNotice()->text(), message);
    }
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
