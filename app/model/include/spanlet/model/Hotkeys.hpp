#pragma once

#include <functional>
#include <span>

#include <spanlet/Commands.hpp>

namespace spanlet {

/// The global keyboard shortcuts, one per command.
class Hotkeys {
public:
    virtual ~Hotkeys() = default;
    /// Called on the main thread with the command of each shortcut the user presses.
    virtual void setOnCommand(std::function<void(MensorCommand)> handler) = 0;
    /// Registers the shortcuts of `commands` (replacing any registered before).
    virtual void registerCommands(std::span<const MensorCommand> commands) = 0;
    virtual void unregisterAll() = 0;
};

} // namespace spanlet
