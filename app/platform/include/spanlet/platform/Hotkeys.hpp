#pragma once

#include <functional>
#include <span>

#include <spanlet/ShortcutBindings.hpp>

namespace spanlet {

/// The global keyboard shortcuts, one per bound command.
class Hotkeys {
public:
    virtual ~Hotkeys() = default;
    /// Called on the main thread with the command of each shortcut the user presses.
    virtual void setOnCommand(std::function<void(MensorCommand)> handler) = 0;
    /// Registers each command's shortcut (replacing any registered before).
    virtual void registerCommands(std::span<const Binding> bindings) = 0;
    virtual void unregisterAll() = 0;
};

} // namespace spanlet
