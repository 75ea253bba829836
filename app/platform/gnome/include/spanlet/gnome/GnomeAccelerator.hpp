#pragma once

#include <string>
#include <string_view>

#include <spanlet/Commands.hpp>

/// Key combinations in GNOME's accelerator syntax (GTK's), as its keyboard settings store them.
namespace spanlet::gnome {

/// "<Control><Shift>s" for Ctrl+Shift+S: a modifier in angle brackets each, in the order
/// Control, Alt, Shift, Super, then the key's name (a letter in lower case, as its keysym).
std::string accelerator(const Shortcut& shortcut);

/// The combination of `accelerator` as Linux desktops write it, "Ctrl+Shift+S"; the key's own
/// name where it is not one character ("Super+Print"). Empty for an empty accelerator (GNOME's
/// "no keys").
std::string display(std::string_view accelerator);

} // namespace spanlet::gnome
