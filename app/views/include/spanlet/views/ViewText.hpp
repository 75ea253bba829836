#pragma once

#include <string>
#include <string_view>

#include <spanlet/Color.hpp>
#include <spanlet/Commands.hpp>

/// Texts of the tool views that depend on values: thresholds, ratios and shortcuts.
namespace spanlet::ViewText {

/// The tolerance slider's ends, in the preference's own scale.
inline constexpr double toleranceMinimum = 0.0;
inline constexpr double toleranceMaximum = 0.6;

/// The state line under the tolerance slider: "Finds faint edges" below 0.07, "Strong edges
/// only" above 0.3, "Normal" from 0.07 to 0.3 inclusive.
std::string_view toleranceState(double tolerance);

/// "Contrast with white 1:1 · with black 21:1": WCAG ratios with at most one fraction digit.
std::string contrastLine(const SRGBColor& color);

/// The accessibility label of a shortcut-list row: "Show or Hide the Ruler, Control Shift R".
std::string shortcutRowLabel(MensorCommand command);

/// The hint of the empty colours view, naming the pickColor shortcut.
std::string noColorsHint();

/// The hint of the empty measurements view, naming the toggleSnapping and pinMeasurement
/// shortcuts.
std::string noMeasurementsHint();

} // namespace spanlet::ViewText
