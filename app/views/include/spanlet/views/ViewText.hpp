#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/Color.hpp>
#include <spanlet/ShortcutBindings.hpp>

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

/// The accessibility label of a shortcut-list row: "Show or Hide the Ruler, Control Shift R",
/// or "…, no shortcut" for a cleared one.
std::string shortcutRowLabel(MensorCommand command, const std::optional<Shortcut>& keys);

/// What the shortcut list says beside a command whose combination does not reach it: "In use
/// by another app" when another client holds it (`unavailable`), "Same keys as “Edit Guides”"
/// when another command is bound to it too; otherwise empty.
std::string shortcutConflict(MensorCommand command, const ShortcutBindings& bindings,
                             const std::vector<MensorCommand>& unavailable);

/// The line under the shortcut list naming the default shortcuts that terminals, editors and
/// browsers use for their own commands.
std::string sharedDefaultsNote();

/// Where the settings and the explainer speak of the screen-recording permission and none is
/// needed (X11).
inline constexpr std::string_view noPermissionNeeded =
    "Spanlet reads the screen without any permission on this desktop: there is nothing to allow.";

/// What works where nothing can allow reading the screen in this session (Xwayland): the
/// color picker's loupe reads the screen as edge snapping does.
inline constexpr std::string_view captureUnavailable =
    "The ruler and guides work here. Edge snapping and the color picker need to read the screen, "
    "so they can’t work in this session yet.";

/// The hint of the empty colours view, naming the pickColor shortcut if it has one.
std::string noColorsHint(const ShortcutBindings& bindings);

/// The hint of the empty measurements view, naming the toggleSnapping and pinMeasurement
/// shortcuts where they have one.
std::string noMeasurementsHint(const ShortcutBindings& bindings);

} // namespace spanlet::ViewText
