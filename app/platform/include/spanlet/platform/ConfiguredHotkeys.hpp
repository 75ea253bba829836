#pragma once

#include <memory>

#include <spanlet/platform/PlatformHotkeys.hpp>

namespace spanlet {

/// The hot keys of a desktop that gives clients no global key grabs: the user binds keys to
/// `spanlet --command NAME` in its configuration, so nothing is registered here and nothing is
/// ever held by another application. Where the desktop's settings can take those bindings
/// (`settings`), Spanlet adds them on request. (Where the desktop offers the GlobalShortcuts
/// portal, the shell binds through that instead.)
class ConfiguredHotkeys final : public PlatformHotkeys {
public:
    explicit ConfiguredHotkeys(std::unique_ptr<DesktopShortcuts> settings = nullptr)
        : settings_(std::move(settings)) {}

    void setOnCommand(std::function<void(MensorCommand)> /*handler*/) override {}
    void registerCommands(std::span<const Binding> /*bindings*/) override {}
    void unregisterAll() override {}
    [[nodiscard]] std::vector<MensorCommand> unavailable() const override { return {}; }
    void setOnStatusChanged(std::function<void()> /*handler*/) override {}
    [[nodiscard]] HotkeyRoute route() const override { return HotkeyRoute::configuration; }
    [[nodiscard]] DesktopShortcuts* desktopShortcuts() override { return settings_.get(); }

private:
    std::unique_ptr<DesktopShortcuts> settings_;
};

} // namespace spanlet
