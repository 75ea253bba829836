#pragma once

#include <string>

#include <spanlet/Color.hpp>

namespace spanlet::ColorText {

/// The colour as copied text: "#1A334D", "rgb(26, 51, 77)", "Color(red: 0.1, …)" or
/// "NSColor(srgbRed: 0.1, …)". Translucent colours (alpha byte below 255) carry their alpha.
std::string string(const SRGBColor& color, ColorStyle style);

/// The colour as words for assistive technology: "red 26, green 51, blue 77, opacity 50 percent".
std::string spoken(const SRGBColor& color);

/// WCAG contrast ratio of two colours, from 1 to 21 for colours within range.
double contrast(const SRGBColor& first, const SRGBColor& second);

} // namespace spanlet::ColorText
