#include <gtest/gtest.h>
#include <ostream>
#include <random>
#include <string>

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

// A record with every field away from its default; each call makes new guide ids.
Preferences everyFieldChanged() {
    Preferences p;
    p.unit = MeasureUnit::pixels;
    p.tolerance = 0.25;
    p.showLoupe = false;
    p.copyStyle = CopyStyle::swiftUI;
    p.colorStyle = ColorStyle::nsColor;
    p.showGuides = false;
    p.showGapLabels = false;
    p.hotkeysEnabled = false;
    p.rulerOrientation = RulerOrientation::vertical;
    p.rulerLength = 812.5;
    p.rulerX = -1200.25;
    p.rulerY = 0.1 + 0.2; // not exactly representable in short decimal form
    p.guides.add(Axis::vertical, 100, DisplayScale::retina);
    p.guides.add(Axis::horizontal, 33.5, DisplayScale::retina);
    p.explainerSeen = true;
    p.welcomed = true;
    p.recentColors = {SRGBColor(0.1, 0.2, 0.3, 1), SRGBColor(1, 1, 1, 0.5)};
    return p;
}

Preferences loaded(const std::string& document) {
    FakeDefaultsStore store;
    store.values["preferences"] = document;
    return Preferences::load(store);
}

// Missing or null keys take the defaults, unknown keys are ignored, and out-of-range values are
// kept as stored (they are limited where used).
TEST(PreferencesTest, PartialDocumentsFillInTheDefaults) {
    Preferences expected;
    expected.unit = MeasureUnit::pixels;
    expected.tolerance = 5;
    expected.rulerLength = -3;
    expected.showLoupe = false;
    EXPECT_EQ(loaded(R"({"unit":"pixels","tolerance":5,"rulerLength":-3,"showLoupe":false,)"
                     R"("rulerX":null,"guides":null,"recentColors":null,"future":{"a":[1]}})"),
              expected);
}

// One bad value discards the whole document: "welcomed" must not survive it.
TEST(PreferencesTest, UndecodableDocumentsLoadWholeDefaults) {
    FakeDefaultsStore empty;
    EXPECT_EQ(Preferences::load(empty), Preferences{});
    for (const char* document : {
             R"({"unit":"Pixels","welcomed":true})",   // unknown raw value
             R"({"showLoupe":1,"welcomed":true})",     // number for a flag
             R"({"tolerance":"0.5","welcomed":true})", // string for a number
             R"({"guides":{"guides":[{"id":"x","axis":"vertical","position":1}]},"welcomed":true})",
             R"({"recentColors":[{"red":1,"green":1,"blue":1}],"welcomed":true})",
             R"({"recentColors":{},"welcomed":true})",
             "[1,2,3]",
             "{\"unit\":",
             "{\"unit\":\"\xff\"}",
         }) {
        EXPECT_EQ(loaded(document), Preferences{}) << document;
    }
}

TEST(PreferencesTest, SavesCompactJsonWithRawValuesAndLoadsItBack) {
    FakeDefaultsStore store;
    const Preferences changed = everyFieldChanged();
    ASSERT_TRUE(changed.save(store));
    const std::string& document = store.values.at("preferences");
    EXPECT_EQ(document.find('\n'), std::string::npos);
    EXPECT_EQ(document.find(": "), std::string::npos);
    const Json j = Json::parse(document);
    EXPECT_EQ(j.size(), 16U);
    EXPECT_EQ(j.at("unit"), "pixels");
    EXPECT_EQ(j.at("recentColors").at(1).at("alpha"), 0.5);
    EXPECT_EQ(Preferences::load(store), changed);

    // An absent ruler coordinate is left out and loads back absent.
    Preferences p;
    p.rulerY = 40;
    ASSERT_TRUE(p.save(store));
    EXPECT_FALSE(Json::parse(store.values.at("preferences")).contains("rulerX"));
    EXPECT_EQ(Preferences::load(store), p);
}

// Damaged documents (one character changed, dropped or added) must load without throwing,
// and whatever they load as must survive further save and load cycles unchanged.
TEST(PreferencesTest, DamagedDocumentsLoadAndThenRoundTrip) {
    const std::string document = encode(everyFieldChanged());
    const std::string alphabet = "{}[]\",:.-+eE0123456789truefalsnul \\\xff";
    std::mt19937 random(20261206);
    for (int i = 0; i < 1000; ++i) {
        std::string damaged = document;
        const std::size_t at = random() % damaged.size();
        const char c = alphabet[random() % alphabet.size()];
        const auto kind = random() % 3; // 0 changes, 1 drops, 2 adds a character
        damaged.replace(at, kind == 2 ? 0 : 1, kind == 1 ? 0 : 1, c);
        FakeDefaultsStore store;
        store.values["preferences"] = damaged;
        const Preferences first = Preferences::load(store);
        ASSERT_TRUE(first.save(store)) << damaged;
        const Preferences second = Preferences::load(store);
        ASSERT_TRUE(second.save(store)) << damaged;
        ASSERT_EQ(Preferences::load(store), second) << damaged;
    }
}

// --- Unreadable documents are kept ------------------------------------------------------------

constexpr const char* kBackup = "preferences.unreadable";

TEST(PreferencesStoreTest, UnreadableDocumentIsCopiedOnceBeforeTheFirstSave) {
    const Preferences changed = everyFieldChanged();
    FakeDefaultsStore store;
    store.values["preferences"] = "first unreadable";
    PreferencesStore prefs(store);
    EXPECT_EQ(prefs.load(), Preferences{});
    EXPECT_TRUE(prefs.holdsUnreadable());
    EXPECT_FALSE(store.values.contains(kBackup)); // loading alone writes nothing

    ASSERT_TRUE(prefs.save(changed));
    EXPECT_EQ(store.values.at(kBackup), "first unreadable");
    EXPECT_EQ(Preferences::load(store), changed);
    ASSERT_TRUE(prefs.save(Preferences{}));
    EXPECT_EQ(store.writes[kBackup], 1);

    // A later unreadable document never replaces the earlier copy.
    store.values["preferences"] = "second unreadable";
    prefs.load();
    ASSERT_TRUE(prefs.save(changed));
    EXPECT_EQ(store.values.at(kBackup), "first unreadable");

    // Readable documents make no copy.
    FakeDefaultsStore readable;
    readable.values["preferences"] = R"({"unknown":1})";
    PreferencesStore readablePrefs(readable);
    readablePrefs.load();
    EXPECT_FALSE(readablePrefs.holdsUnreadable());
    ASSERT_TRUE(readablePrefs.save(changed));
    EXPECT_FALSE(readable.values.contains(kBackup));
}

TEST(PreferencesStoreTest, FailedCopyLeavesTheUnreadableDocumentInPlace) {
    const Preferences changed = everyFieldChanged();
    FakeDefaultsStore store;
    store.values["preferences"] = "not json";
    store.refusedKeys.insert(kBackup);
    PreferencesStore prefs(store);
    prefs.load();
    EXPECT_FALSE(prefs.save(changed));
    EXPECT_EQ(store.values.at("preferences"), "not json");

    store.refusedKeys.clear(); // the next save catches up
    ASSERT_TRUE(prefs.save(changed));
    EXPECT_EQ(store.values.at(kBackup), "not json");
    EXPECT_EQ(Preferences::load(store), changed);
}

} // namespace
} // namespace spanlet
