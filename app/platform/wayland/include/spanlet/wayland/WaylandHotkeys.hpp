#pragma once

#include <spanlet/platform/PlatformHotkeys.hpp>

namespace spanlet::wayland {

/// Wayland gives clients no global key grabs: the compositor binds keys to
/// `spanlet --command NAME` in its configuration instead, so nothing is registered here and
/// nothing is ever held by another application. (Where the desktop offers the GlobalShortcuts
/// portal, the shell binds through that instead.)
class WaylandHotkeys final : public PlatformHotkeys {
public:
    void setOnCommand(std::function<void(MensorCommand)> /*handler*/) override {}
    void registerCommands(std::span<const Binding> /*bindings*/) override {}
    void unregisterAll() override {}
    [[nodiscard]] std::vector<MensorCommand> unavailable() const override { return {}; }
    void setOnStatusChanged(std::function<void()> /*handler*/) override {}
    [[nodiscard]] HotkeyRoute route() const override { return HotkeyRoute::configuration; }
};

} // namespace spanlet::wayland
