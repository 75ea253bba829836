#include <algorithm>

#include <spanlet/ColorText.hpp>
#include <spanlet/NumberText.hpp>
#include <spanlet/views/ViewText.hpp>

namespace spanlet::ViewText {

std::string_view toleranceState(double tolerance) {
    if (tolerance < 0.07) {
        return "Finds faint edges";
    }
    if (tolerance > 0.3) {
        return "Strong edges only";
    }
    return "Normal";
}

std::string contrastLine(const SRGBColor& color) {
    const SRGBColor white(1, 1, 1, 1);
    const SRGBColor black(0, 0, 0, 1);
    return "Contrast with white " + NumberText::string(ColorText::contrast(color, white), 1) +
           ":1 · with black " + NumberText::string(ColorText::contrast(color, black), 1) + ":1";
}

std::string shortcutRowLabel(MensorCommand command, const std::optional<Shortcut>& keys) {
    return std::string(title(command)) + ", " + (keys ? keys->spoken() : "no shortcut");
}

std::string shortcutConflict(MensorCommand command, const ShortcutBindings& bindings,
                             const std::vector<MensorCommand>& unavailable) {
    if (std::find(unavailable.begin(), unavailable.end(), command) != unavailable.end()) {
        return "In use by another app";
    }
    const std::vector<MensorCommand> others = bindings.sharing(command);
    if (!others.empty()) {
        return "Same keys as \u201C" + std::string(title(others.front())) + "\u201D";
    }
    return {};
}

std::string sharedDefaultsNote() {
    const auto keys = [](MensorCommand c) { return shortcut(c).display(); };
    return "Terminals also use " + keys(MensorCommand::pickColor) + " and " +
           keys(MensorCommand::addVerticalGuide) + ", editors " +
           keys(MensorCommand::pinMeasurement) + ", browsers " + keys(MensorCommand::pickColor) +
           " and " + keys(MensorCommand::copyMeasurement) + ".";
}

std::string noColorsHint(const ShortcutBindings& bindings) {
    const auto& pick = bindings.shortcut(MensorCommand::pickColor);
    return std::string("Pick a color with ") + (pick ? pick->display() + " or " : "") +
           "the button below. With edge snapping on, it takes the pixel under the pointer "
           "straight from the loupe.";
}

std::string noMeasurementsHint(const ShortcutBindings& bindings) {
    const auto& snap = bindings.shortcut(MensorCommand::toggleSnapping);
    const auto& pin = bindings.shortcut(MensorCommand::pinMeasurement);
    return "Turn on edge snapping" + (snap ? " (" + snap->display() + ")" : std::string()) +
           ", point at something and " +
           (pin ? "press " + pin->display() : std::string("choose Keep Measurement on Screen")) +
           " to keep its measurement on screen.";
}

} // namespace spanlet::ViewText
