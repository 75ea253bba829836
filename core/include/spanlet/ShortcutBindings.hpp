#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/Json.hpp>

namespace spanlet {

/// The shortcut a command is bound to. The registry walks a list of these.
struct Binding {
    MensorCommand command = MensorCommand::toggleRuler;
    Shortcut shortcut;
    friend bool operator==(const Binding&, const Binding&) = default;
};

/// A global shortcut the user may choose: a letter or digit with Ctrl, Alt or Super held
/// (Shift may come on top). Without one of those the combination would take a plain or
/// capital letter from every application. The key is stored upper-case, with the key code of
/// the shortcut table's numbering. Nothing for anything else, and for modifier bits that are
/// not one of the four.
std::optional<Shortcut> userShortcut(std::string_view key, Shortcut::Modifiers modifiers);

/// Which shortcut each command has: the default table until the user changes or clears one.
class ShortcutBindings {
public:
    /// Every command on its default shortcut.
    ShortcutBindings();

    /// The command's shortcut; nothing when the user cleared it.
    [[nodiscard]] const std::optional<Shortcut>& shortcut(MensorCommand command) const;
    void set(MensorCommand command, std::optional<Shortcut> shortcut);
    [[nodiscard]] bool isDefault(MensorCommand command) const;
    [[nodiscard]] bool allDefault() const;

    /// The other commands bound to the same combination as `command`, in declaration order.
    [[nodiscard]] std::vector<MensorCommand> sharing(MensorCommand command) const;
    /// What to register, in declaration order: every bound command, except that a combination
    /// two commands share goes to the first of them only.
    [[nodiscard]] std::vector<Binding> registrable() const;
    /// The command a key pressed with these modifiers carries out, as registered: the key as it
    /// types without modifiers ("c" for Ctrl+Shift+C). Nothing for a combination bound to none.
    [[nodiscard]] std::optional<MensorCommand> commandFor(std::string_view key,
                                                          Shortcut::Modifiers modifiers) const;

    friend bool operator==(const ShortcutBindings&, const ShortcutBindings&) = default;

private:
    std::array<std::optional<Shortcut>, allCases<MensorCommand>.size()> shortcuts_;
};

/// Stored as an object holding only the commands off their default, by raw value:
/// `{ "key": "R", "modifiers": 4608 }`, or null for none. Decoding never throws on an entry: an
/// unknown command or a malformed or unacceptable entry is skipped and that command keeps its
/// default; anything but an object gives the defaults.
void to_json(Json& j, const ShortcutBindings& bindings);
void from_json(const Json& j, ShortcutBindings& bindings);

} // namespace spanlet
