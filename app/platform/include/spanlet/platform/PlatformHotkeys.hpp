#pragma once

#include <functional>
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
};

} // namespace spanlet
