#pragma once

#include <string>
#include <string_view>

#include <spanlet/ShortcutBindings.hpp>

/// The lines that bind the user's shortcuts to `PROGRAM --command NAME` in a compositor's
/// configuration, for compositors that give clients no global shortcuts. One line per command
/// that has a shortcut, in command order, each ending in a newline.
namespace spanlet::CompositorBindings {

/// sway's `~/.config/sway/config`:
/// "bindsym Ctrl+Shift+s exec spanlet --command toggleSnapping".
std::string sway(const ShortcutBindings& bindings, std::string_view program);

/// Hyprland's `~/.config/hypr/hyprland.conf`:
/// "bind = CTRL SHIFT, S, exec, spanlet --command toggleSnapping".
std::string hyprland(const ShortcutBindings& bindings, std::string_view program);

/// `path` as one word of a shell command line (both compositors hand `exec` to `sh -c`):
/// unchanged when it holds only letters, digits and `/._+-`, else in single quotes.
std::string shellWord(std::string_view path);

} // namespace spanlet::CompositorBindings
