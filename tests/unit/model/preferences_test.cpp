#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <random>
#include <set>
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

std::set<std::string> keysOf(const std::string& document) {
    std::set<std::string> keys;
    const Json object = Json::parse(document);
    for (const auto& [key, value] : object.items()) {
        keys.insert(key);
    }
    return keys;
}

TEST(PreferencesTest, FreshRecordHasTheDocumentedDefaults) {
    const Preferences p;
    EXPECT_EQ(p.unit, MeasureUnit::points);
    EXPECT_EQ(p.tolerance, 0.1);
    EXPECT_TRUE(p.showLoupe);
    EXPECT_EQ(p.copyStyle, CopyStyle::plain);
    EXPECT_EQ(p.colorStyle, ColorStyle::hex);
    EXPECT_TRUE(p.showGuides);
    EXPECT_TRUE(p.showGapLabels);
    EXPECT_TRUE(p.hotkeysEnabled);
    EXPECT_EQ(p.rulerOrientation, RulerOrientation::horizontal);
    EXPECT_EQ(p.rulerLength, 600);
    EXPECT_FALSE(p.rulerX.has_value());
    EXPECT_FALSE(p.rulerY.has_value());
    EXPECT_TRUE(p.guides.isEmpty());
    EXPECT_FALSE(p.explainerSeen);
    EXPECT_FALSE(p.welcomed);
    EXPECT_TRUE(p.recentColors.empty());
}

// --- Loading --------------------------------------------------------------------------------

struct LoadCase {
    const char* name;
    std::optional<std::string> stored;
    std::function<void(Preferences&)> expected; // applied to a default record
};

class PreferencesLoadTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(PreferencesLoadTest, Loads) {
    const auto& c = GetParam();
    FakeDefaultsStore store;
    if (c.stored) {
        store.values["preferences"] = *c.stored;
    }
    Preferences expected;
    if (c.expected) {
        c.expected(expected);
    }
    EXPECT_EQ(Preferences::load(store), expected);
}

const std::string kGuide = R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","axis":"vertical")"
                           R"(,"position":12.5})";

INSTANTIATE_TEST_SUITE_P(
    Cases, PreferencesLoadTest,
    ::testing::Values(
        LoadCase{"empty_store", std::nullopt, {}},
        LoadCase{"only_unit_pixels", R"({"unit":"pixels"})",
                 [](Preferences& p) { p.unit = MeasureUnit::pixels; }},
        LoadCase{
            "unknown_raw_value_gives_whole_default", R"({"unit":"Pixels","welcomed":true})", {}},
        LoadCase{"nulls_take_defaults",
                 R"({"unit":null,"tolerance":null,"rulerX":null,"guides":null,)"
                 R"("recentColors":null,"showLoupe":false})",
                 [](Preferences& p) { p.showLoupe = false; }},
        LoadCase{"unknown_keys_ignored", R"({"futureSetting":{"a":[1]},"welcomed":true})",
                 [](Preferences& p) { p.welcomed = true; }},

        LoadCase{"out_of_range_loaded_as_stored", R"({"tolerance":5,"rulerLength":-3})",
                 [](Preferences& p) {
                     p.tolerance = 5;
                     p.rulerLength = -3;
                 }},
        LoadCase{"guides_decoded", R"({"guides":{"guides":[)" + kGuide + "]}}",
                 [](Preferences& p) {
                     p.guides.guides.push_back(
                         {*Uuid::parse("6F9619FF-8B86-D011-B42D-00C04FC964FF"), Axis::vertical,
                          12.5});
                 }},
        LoadCase{"number_for_flag", R"({"showLoupe":1,"welcomed":true})", {}},
        LoadCase{"string_for_number", R"({"tolerance":"0.5","welcomed":true})", {}},

        LoadCase{"bad_guide_gives_whole_default",
                 R"({"guides":{"guides":[{"id":"x","axis":"vertical","position":1}]},)"
                 R"("welcomed":true})",
                 {}},

        LoadCase{"color_missing_component",
                 R"({"recentColors":[{"red":1,"green":1,"blue":1}],"welcomed":true})",
                 {}},
        LoadCase{"not_an_object", "[1,2,3]", {}}, LoadCase{"not_json", "{\"unit\":", {}},
        LoadCase{"invalid_utf8", "{\"unit\":\"\xff\"}", {}}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Saving ---------------------------------------------------------------------------------

TEST(PreferencesSaveTest, StoresCompactJsonWithRawValues) {
    FakeDefaultsStore store;
    ASSERT_TRUE(everyFieldChanged().save(store));
    const std::string& document = store.values.at("preferences");
    EXPECT_EQ(document.find('\n'), std::string::npos);
    EXPECT_EQ(document.find(": "), std::string::npos);
    const Json j = Json::parse(document);
    EXPECT_EQ(j.size(), 16U);
    EXPECT_EQ(j.at("unit"), "pixels");
    EXPECT_EQ(j.at("copyStyle"), "swiftUI");
    EXPECT_EQ(j.at("colorStyle"), "nsColor");
    EXPECT_EQ(j.at("rulerOrientation"), "vertical");
    EXPECT_EQ(j.at("guides").at("guides").size(), 2U);
    EXPECT_EQ(j.at("recentColors").at(1).at("alpha"), 0.5);
}

TEST(PreferencesSaveTest, AbsentRulerCoordinateIsLeftOutAndLoadsBackAbsent) {
    FakeDefaultsStore store;
    Preferences p;
    p.rulerY = 40;
    ASSERT_TRUE(p.save(store));
    const auto keys = keysOf(store.values.at("preferences"));
    EXPECT_FALSE(keys.contains("rulerX"));
    EXPECT_TRUE(keys.contains("rulerY"));
    const Preferences loaded = Preferences::load(store);
    EXPECT_FALSE(loaded.rulerX.has_value());
    EXPECT_EQ(loaded.rulerY, 40);
}

TEST(PreferencesSaveTest, SaveThenLoadGivesAnEqualRecord) {
    for (const Preferences& p : {Preferences{}, everyFieldChanged()}) {
        FakeDefaultsStore store;
        ASSERT_TRUE(p.save(store));
        EXPECT_EQ(Preferences::load(store), p);
    }
}

TEST(PreferencesSaveTest, RefusedWriteReportsFalseAndKeepsOldDocument) {
    const Preferences changed = everyFieldChanged();
    FakeDefaultsStore store;
    store.values["preferences"] = R"({"welcomed":true})";
    store.refusedKeys.insert("preferences");
    EXPECT_FALSE(changed.save(store));
    EXPECT_EQ(store.values.at("preferences"), R"({"welcomed":true})");
}

// Damaged documents (one character changed, dropped or added) must load without throwing,
// and whatever they load as must survive further save and load cycles unchanged.
TEST(PreferencesLoadTest, DamagedDocumentsLoadAndThenRoundTrip) {
    const std::string document = encode(everyFieldChanged());
    const std::string alphabet = "{}[]\",:.-+eE0123456789truefalsnul \\\xff";
    std::mt19937 random(20261206);
    for (int i = 0; i < 1000; ++i) {
        std::string damaged = document;
        const std::size_t at = random() % damaged.size();
        const char c = alphabet[random() % alphabet.size()];
        switch (random() % 3) {
        case 0:
            damaged[at] = c;
            break;
        case 1:
            damaged.erase(at, 1);
            break;
        default:
            damaged.insert(at, 1, c);
            break;
        }
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

TEST(PreferencesStoreTest, UnreadableDocumentIsCopiedBeforeTheFirstSave) {
    const Preferences changed = everyFieldChanged();
    FakeDefaultsStore store;
    store.values["preferences"] = R"({"unit":"Pixels","guides":{"guides":[]}})";
    PreferencesStore prefs(store);
    EXPECT_EQ(prefs.load(), Preferences{});
    EXPECT_TRUE(prefs.holdsUnreadable());
    EXPECT_FALSE(store.values.contains(kBackup)); // loading alone writes nothing

    ASSERT_TRUE(prefs.save(changed));
    EXPECT_EQ(store.values.at(kBackup), R"({"unit":"Pixels","guides":{"guides":[]}})");
    EXPECT_EQ(Preferences::load(store), changed);

    ASSERT_TRUE(prefs.save(Preferences{}));
    EXPECT_EQ(store.writes[kBackup], 1);
}

TEST(PreferencesStoreTest, EarlierCopyIsNeverReplaced) {
    const Preferences changed = everyFieldChanged();
    FakeDefaultsStore store;
    store.values[kBackup] = "first unreadable";
    store.values["preferences"] = "second unreadable";
    PreferencesStore prefs(store);
    prefs.load();
    ASSERT_TRUE(prefs.save(changed));
    EXPECT_EQ(store.values.at(kBackup), "first unreadable");
    EXPECT_EQ(Preferences::load(store), changed);
}

TEST(PreferencesStoreTest, ReadableOrMissingDocumentsMakeNoCopy) {
    const Preferences changed = everyFieldChanged();
    for (const std::optional<std::string>& stored :
         {std::optional<std::string>{}, std::optional<std::string>{R"({"unknown":1})"}}) {
        FakeDefaultsStore store;
        if (stored) {
            store.values["preferences"] = *stored;
        }
        PreferencesStore prefs(store);
        prefs.load();
        EXPECT_FALSE(prefs.holdsUnreadable());
        ASSERT_TRUE(prefs.save(changed));
        EXPECT_FALSE(store.values.contains(kBackup));
    }
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
