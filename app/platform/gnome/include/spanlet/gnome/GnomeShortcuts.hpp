#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include <spanlet/platform/PlatformHotkeys.hpp>

namespace spanlet::gnome {

/// Spanlet's shortcuts as custom shortcuts in GNOME's keyboard settings (GSettings schema
/// org.gnome.settings-daemon.plugins.media-keys, key custom-keybindings: a list of paths, each
/// a relocatable org.gnome.settings-daemon.plugins.media-keys.custom-keybinding with name,
/// command and binding), which GNOME's settings daemon binds for as long as they are there.
/// Spanlet's own are at .../custom-keybindings/spanlet-<command>/; every other path in the
/// list is the user's and stays as it is. Main thread only.
class GnomeShortcuts final : public DesktopShortcuts {
public:
    /// The settings of a GNOME session (XDG_CURRENT_DESKTOP names GNOME) whose schemas are
    /// installed; nothing elsewhere. The shortcuts run `program --command NAME`.
    static std::unique_ptr<GnomeShortcuts> make(std::string program);
    /// This process's own executable, as an absolute path.
    static std::string ownProgram();

    explicit GnomeShortcuts(std::string program) : program_(std::move(program)) {}

    [[nodiscard]] std::string action() const override;
    [[nodiscard]] std::string question(std::span<const Binding> bindings) const override;
    /// Writes the entries, then the list, and waits until the settings store has them.
    std::string add(std::span<const Binding> bindings) override;
    [[nodiscard]] std::vector<DesktopTrigger> read() const override;

    /// What a shortcut runs: the program (quoted for the shell where it needs it), then
    /// "--command NAME".
    [[nodiscard]] std::string commandLine(MensorCommand command) const;
    /// Where Spanlet keeps the shortcut for `command`.
    [[nodiscard]] static std::string path(MensorCommand command);

private:
    std::string program_;
};

} // namespace spanlet::gnome
