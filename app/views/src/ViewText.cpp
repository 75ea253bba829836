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

std::string shortcutRowLabel(MensorCommand command) {
    return std::string(title(command)) + ", " + shortcut(command).spoken();
}

std::string noColorsHint() {
    return "Pick a color with " + shortcut(MensorCommand::pickColor).display() +
           " or the button below. With edge snapping on, it takes the pixel under the pointer "
           "straight from the loupe.";
}

std::string noMeasurementsHint() {
    return "Turn on edge snapping (" + shortcut(MensorCommand::toggleSnapping).display() +
           "), point at something and press " + shortcut(MensorCommand::pinMeasurement).display() +
           " to keep its measurement on screen.";
}

} // namespace spanlet::ViewText
