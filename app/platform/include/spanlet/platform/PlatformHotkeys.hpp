#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/platform/Hotkeys.hpp>

namespace spanlet {

/// Who turns key presses into commands.
enum class HotkeyRoute {
    /// Spanlet grabs the user's shortcuts itself.
    grabbed,
    /// The desktop binds them (the XDG GlobalShortcuts portal): the user's shortcuts are only
    /// suggestions, and the desktop says what it bound.
    desktop,
    /// Nothing binds them for Spanlet: the user binds keys to `spanlet --command NAME` in the
    /// compositor's configuration.
    configuration,
};

/// A command's keys as the desktop bound them, in the desktop's own words.
struct DesktopTrigger {
    MensorCommand command = MensorCommand::toggleRuler;
    /// E.g. "Ctrl+Shift+S"; empty where the desktop bound no keys.
    std::string description;

    friend bool operator==(const DesktopTrigger&, const DesktopTrigger&) = default;
};

/// Shortcuts in the desktop's own keyboard settings that each run `spanlet --command NAME`,
/// added at the user's request where the desktop gives applications no global shortcuts but
/// lets the user bind keys to programs.
class DesktopShortcuts {
public:
    virtual ~DesktopShortcuts() = default;
    /// The label of the button that adds them, e.g. "Add to GNOME Shortcuts…".
    [[nodiscard]] virtual std::string action() const = 0;
    /// The question to ask before add(bindings): what it writes and where, in whole sentences.
    [[nodiscard]] virtual std::string question(std::span<const Binding> bindings) const = 0;
    /// Adds a shortcut for each of `bindings`, replacing those Spanlet added before and leaving
    /// every other alone. Empty when it worked, else why not, in the user's words.
    virtual std::string add(std::span<const Binding> bindings) = 0;
    /// Spanlet's shortcuts as the desktop's settings hold them now, in command order.
    [[nodiscard]] virtual std::vector<DesktopTrigger> read() const = 0;
};

/// The global shortcuts as a back end provides them: the model's Hotkeys port, plus which
/// combinations could not be had because another application holds them.
class PlatformHotkeys : public Hotkeys {
public:
    /// The commands whose combination could not be registered, in registration order.
    [[nodiscard]] virtual std::vector<MensorCommand> unavailable() const = 0;
    /// `handler` runs whenever unavailable() or triggers() change.
    virtual void setOnStatusChanged(std::function<void()> handler) = 0;
    [[nodiscard]] virtual HotkeyRoute route() const { return HotkeyRoute::grabbed; }
    /// What the desktop bound for each registered command, in registration order (route
    /// desktop only; empty until it answers).
    [[nodiscard]] virtual std::vector<DesktopTrigger> triggers() const { return {}; }
    /// Whether the desktop has a dialog of its own to change the bound keys.
    [[nodiscard]] virtual bool triggersChangeable() const { return false; }
    /// Opens that dialog; nothing where there is none.
    virtual void changeTriggers() {}
    /// Route configuration: the desktop's keyboard settings, where Spanlet can add its
    /// shortcuts there; nothing elsewhere.
    [[nodiscard]] virtual DesktopShortcuts* desktopShortcuts() { return nullptr; }
};

} // namespace spanlet
