#include <cctype>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/MenuModel.hpp>

namespace spanlet::Menu {

namespace {

Entry button(std::string title, Action action, bool enabled = true,
             std::optional<KeyEquivalent> key = std::nullopt) {
    return Entry{EntryKind::button, std::move(title), action, enabled, false, key};
}

Entry toggle(std::string title, Action action, bool on,
             std::optional<KeyEquivalent> key = std::nullopt) {
    return Entry{EntryKind::toggle, std::move(title), action, true, on, key};
}

Entry header(std::string title) {
    return Entry{EntryKind::header, std::move(title), std::nullopt, true, false, std::nullopt};
}

Entry separator() {
    return Entry{EntryKind::separator, {}, std::nullopt, true, false, {}};
}

/// The application keys: Control (Command on a Mac) and a character.
KeyEquivalent appKey(char key) {
    return KeyEquivalent{key, Shortcut::Modifiers::control};
}

} // namespace

State state(const Mensor& model) {
    const Preferences& prefs = *model.prefs();
    return State{
        .rulerVisible = *model.ruler().visible(),
        .rulerOrientation = prefs.rulerOrientation,
        .editingGuides = *model.guides().editing(),
        .showGuides = prefs.showGuides,
        .hasGuides = !prefs.guides.isEmpty(),
        .snapping = *model.snapping(),
        .hasKeptMeasurements = !model.measurements().pinned()->empty(),
        .unit = prefs.unit,
        .shortcuts = prefs.shortcuts,
    };
}

std::optional<KeyEquivalent> keyEquivalent(const Shortcut& shortcut) {
    if (shortcut.key.empty()) {
        return std::nullopt;
    }
    const auto first = static_cast<unsigned char>(shortcut.key.front());
    return KeyEquivalent{static_cast<char>(std::tolower(first)), shortcut.modifiers};
}

std::string keyText(const KeyEquivalent& key) {
    const auto upper = static_cast<char>(std::toupper(static_cast<unsigned char>(key.key)));
    return Shortcut{0, key.modifiers, std::string(1, upper)}.display();
}

std::vector<Entry> entries(const State& s) {
    const auto keyOf = [&s](MensorCommand command) -> std::optional<KeyEquivalent> {
        const auto& bound = s.shortcuts.shortcut(command);
        return bound ? keyEquivalent(*bound) : std::nullopt;
    };
    const bool horizontal = s.rulerOrientation == RulerOrientation::horizontal;
    Entry orientation = button(horizontal ? "Make Ruler Vertical" : "Make Ruler Horizontal",
                               Action::toggleRulerOrientation, s.rulerVisible);
    Entry points{
        EntryKind::choice, "Points", Action::unitPoints, true, s.unit == MeasureUnit::points,
        std::nullopt};
    Entry pixels{
        EntryKind::choice, "Pixels", Action::unitPixels, true, s.unit == MeasureUnit::pixels,
        std::nullopt};
    return {
        toggle("Ruler", Action::toggleRuler, s.rulerVisible, keyOf(MensorCommand::toggleRuler)),
        std::move(orientation),
        button("Reset Ruler Position", Action::resetRuler),
        header("Guides"),
        button("Add Vertical Guide", Action::addVerticalGuide, true,
               keyOf(MensorCommand::addVerticalGuide)),
        button("Add Horizontal Guide", Action::addHorizontalGuide, true,
               keyOf(MensorCommand::addHorizontalGuide)),
        toggle("Edit Guides", Action::editGuides, s.editingGuides,
               keyOf(MensorCommand::editGuides)),
        toggle("Show Guides", Action::showGuides, s.showGuides),
        button("Clear Guides", Action::clearGuides, s.hasGuides),
        header("Measure"),
        toggle("Edge Snapping", Action::toggleSnapping, s.snapping,
               keyOf(MensorCommand::toggleSnapping)),
        button("Pick Color", Action::pickColor, true, keyOf(MensorCommand::pickColor)),
        button("Keep Measurement on Screen", Action::pinMeasurement, true,
               keyOf(MensorCommand::pinMeasurement)),
        button("Copy Measurement", Action::copyMeasurement, true,
               keyOf(MensorCommand::copyMeasurement)),
        button("Clear Kept Measurements", Action::clearMeasurements, s.hasKeptMeasurements,
               keyOf(MensorCommand::clearMeasurements)),
        button("Measurements…", Action::openMeasurements),
        button("Colors…", Action::openColors),
        header("Units"),
        std::move(points),
        std::move(pixels),
        separator(),
        button("Check for Updates…", Action::checkForUpdates),
        button("Settings…", Action::openSettings, true, appKey(',')),
        button("Welcome and Shortcuts", Action::openWelcome),
        button("Spanlet Help", Action::openHelp),
        button("About Spanlet", Action::about),
        separator(),
        button("Quit Spanlet", Action::quit, true, appKey('q')),
    };
}

void perform(Action action, Mensor& model, Platform& platform) {
    switch (action) {
    case Action::toggleRuler:
        model.perform(MensorCommand::toggleRuler);
        break;
    case Action::toggleRulerOrientation:
        model.ruler().toggleOrientation();
        break;
    case Action::resetRuler:
        model.ruler().reset();
        break;
    case Action::addVerticalGuide:
        model.perform(MensorCommand::addVerticalGuide);
        break;
    case Action::addHorizontalGuide:
        model.perform(MensorCommand::addHorizontalGuide);
        break;
    case Action::editGuides:
        model.perform(MensorCommand::editGuides);
        break;
    case Action::showGuides:
        model.updatePrefs([](Preferences& p) { p.showGuides = !p.showGuides; });
        break;
    case Action::clearGuides:
        model.guides().clear();
        break;
    case Action::toggleSnapping:
        model.perform(MensorCommand::toggleSnapping);
        break;
    case Action::pickColor:
        model.perform(MensorCommand::pickColor);
        break;
    case Action::pinMeasurement:
        model.perform(MensorCommand::pinMeasurement);
        break;
    case Action::copyMeasurement:
        model.perform(MensorCommand::copyMeasurement);
        break;
    case Action::clearMeasurements:
        model.perform(MensorCommand::clearMeasurements);
        break;
    case Action::openMeasurements:
        platform.openWindow(Windows::Kind::measurements);
        break;
    case Action::openColors:
        platform.openWindow(Windows::Kind::colors);
        break;
    case Action::unitPoints:
        model.updatePrefs([](Preferences& p) { p.unit = MeasureUnit::points; });
        break;
    case Action::unitPixels:
        model.updatePrefs([](Preferences& p) { p.unit = MeasureUnit::pixels; });
        break;
    case Action::checkForUpdates:
        platform.checkForUpdates();
        break;
    case Action::openSettings:
        platform.openWindow(Windows::Kind::settings);
        break;
    case Action::openWelcome:
        platform.openWindow(Windows::Kind::welcome);
        break;
    case Action::openHelp:
        platform.openHelp();
        break;
    case Action::about:
        platform.about();
        break;
    case Action::quit:
        platform.quit();
        break;
    }
}

} // namespace spanlet::Menu
