#pragma once

#include <memory>

#include <spanlet/gnome/GnomeShortcuts.hpp>
#include <spanlet/platform/PlatformHotkeys.hpp>

namespace spanlet::gnome {

/// The hot keys of a GNOME session without the GlobalShortcuts portal: nothing is grabbed,
/// the user binds keys to `spanlet --command NAME`, and where GNOME's keyboard settings are
/// there, Spanlet adds those shortcuts to them on request. (Where the portal is offered, the
/// shell binds through it instead.)
class GnomeHotkeys final : public PlatformHotkeys {
public:
    GnomeHotkeys() : GnomeHotkeys(GnomeShortcuts::make(GnomeShortcuts::ownProgram())) {}
    explicit GnomeHotkeys(std::unique_ptr<DesktopShortcuts> settings)
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

} // namespace spanlet::gnome
