#pragma once

#include <optional>
#include <string>
#include <vector>

#include <spanlet/ShortcutBindings.hpp>
#include <spanlet/Units.hpp>
#include <spanlet/model/RulerOrientation.hpp>
#include <spanlet/model/ToolWindows.hpp>

namespace spanlet {

class Mensor;

/// The tray menu as plain data, read from the model each time the menu opens, and what each
/// entry does. The Qt menu is a thin rendering of this list.
namespace Menu {

enum class Action {
    toggleRuler,
    toggleRulerOrientation,
    resetRuler,
    addVerticalGuide,
    addHorizontalGuide,
    editGuides,
    showGuides,
    clearGuides,
    toggleSnapping,
    pickColor,
    pinMeasurement,
    copyMeasurement,
    clearMeasurements,
    openMeasurements,
    openColors,
    unitPoints,
    unitPixels,
    checkForUpdates,
    openSettings,
    openWelcome,
    openHelp,
    about,
    quit,
};

enum class EntryKind {
    /// Carries out its action.
    button,
    /// Shows a check mark while on; choosing it carries out its action.
    toggle,
    /// One option of an inline single choice; the current one is checked.
    choice,
    /// A section title (shown by styles that show them, else as a separator).
    header,
    separator,
};

/// A key equivalent: `key` is a lower-case character.
struct KeyEquivalent {
    char key = 0;
    Shortcut::Modifiers modifiers;
    friend bool operator==(const KeyEquivalent&, const KeyEquivalent&) = default;
};

struct Entry {
    EntryKind kind = EntryKind::button;
    std::string title;
    std::optional<Action> action;
    bool enabled = true;
    bool checked = false;
    std::optional<KeyEquivalent> key;
    friend bool operator==(const Entry&, const Entry&) = default;
};

/// What the menu shows of the model.
struct State {
    bool rulerVisible = false;
    RulerOrientation rulerOrientation = RulerOrientation::horizontal;
    bool editingGuides = false;
    bool showGuides = true;
    bool hasGuides = false;
    bool snapping = false;
    bool hasKeptMeasurements = false;
    MeasureUnit unit = MeasureUnit::points;
    /// The user's global shortcuts, shown beside their entries.
    ShortcutBindings shortcuts;
    friend bool operator==(const State&, const State&) = default;
};

[[nodiscard]] State state(const Mensor& model);
/// Every entry top to bottom, headers and separators included.
[[nodiscard]] std::vector<Entry> entries(const State& state);
/// The key equivalent a global shortcut shows in the menu: its modifiers, and the first
/// character of its key text, lower-cased.
[[nodiscard]] std::optional<KeyEquivalent> keyEquivalent(const Shortcut& shortcut);
/// How the menu writes a key equivalent: "Ctrl+Shift+R", "Ctrl+Q".
[[nodiscard]] std::string keyText(const KeyEquivalent& key);

/// The services outside the model that menu entries reach.
class Platform {
public:
    virtual ~Platform() = default;
    virtual void openWindow(Windows::Kind kind) = 0;
    virtual void checkForUpdates() = 0;
    virtual void openHelp() = 0;
    virtual void about() = 0;
    virtual void quit() = 0;
};

/// Carries out `action` on the model or the platform.
void perform(Action action, Mensor& model, Platform& platform);

} // namespace Menu
} // namespace spanlet
