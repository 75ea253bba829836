#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/Color.hpp>
#include <spanlet/Guides.hpp>
#include <spanlet/Json.hpp>
#include <spanlet/MeasurementText.hpp>
#include <spanlet/ShortcutBindings.hpp>
#include <spanlet/Units.hpp>
#include <spanlet/model/DefaultsStore.hpp>
#include <spanlet/model/RulerOrientation.hpp>

namespace spanlet {

/// Every persisted setting, plus the guides, the ruler's place and the recent colours, stored
/// whole as one JSON document under "preferences". Values are kept as stored: ranges are
/// enforced where they are used (PreferenceLimits.hpp).
struct Preferences {
    /// The defaults key the record is stored under.
    static constexpr std::string_view key = "preferences";

    MeasureUnit unit = MeasureUnit::points;
    /// Edge-detection tolerance; meaningful from 0 to 1.
    double tolerance = 0.1;
    bool showLoupe = true;
    CopyStyle copyStyle = CopyStyle::plain;
    ColorStyle colorStyle = ColorStyle::hex;
    bool showGuides = true;
    bool showGapLabels = true;
    bool hotkeysEnabled = true;
    RulerOrientation rulerOrientation = RulerOrientation::horizontal;
    /// Points.
    double rulerLength = 600;
    /// The ruler's top-left corner in global top-left points; absent: centred on the pointer's
    /// display.
    std::optional<double> rulerX;
    std::optional<double> rulerY;
    GuideSet guides;
    bool explainerSeen = false;
    bool welcomed = false;
    /// Newest first, at most 12, unique by 8-bit RGBA.
    std::vector<SRGBColor> recentColors;
    /// The global shortcut of each command; stored under "shortcuts" only when one differs
    /// from the default table, so older files and fresh records look as they always did.
    ShortcutBindings shortcuts;

    /// The stored record; the defaults when there is none or it is not a JSON object, and the
    /// default of each field whose stored value is unusable.
    static Preferences load(const DefaultsStore& store);
    /// Stores the record as compact JSON, replacing the previous one. False when the store
    /// refused it (the previous document then stays).
    bool save(DefaultsStore& store) const;

    friend bool operator==(const Preferences&, const Preferences&) = default;
};

/// Every key is optional when decoding: missing or null takes the default, unknown keys are
/// ignored; a value of the wrong type or an unknown enumeration text throws, except inside
/// "shortcuts", where a bad entry is skipped on its own.
void to_json(Json& j, const Preferences& p);
void from_json(const Json& j, Preferences& p);

/// A stored document read field by field.
struct DecodedPreferences {
    /// Every usable field as stored; the others at their defaults.
    Preferences preferences;
    /// The keys whose stored value was unusable (a wrong type, an unknown enumeration text, a
    /// malformed guide or colour), in document field order; empty when from_json would accept
    /// the document.
    std::vector<std::string> fellBack;
};

/// Decodes a stored document, letting each unusable value fall back to its field's default
/// on its own; nothing when the text is not a JSON object. Never throws.
std::optional<DecodedPreferences> decodePreferences(std::string_view document) noexcept;

} // namespace spanlet
