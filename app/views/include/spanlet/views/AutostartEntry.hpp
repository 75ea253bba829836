#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <spanlet/views/LoginItem.hpp>

namespace spanlet {

/// The login item as a freedesktop autostart entry: a desktop file in
/// $XDG_CONFIG_HOME/autostart. The application starts at login while the file exists and does
/// not say Hidden=true.
class AutostartEntry final : public LoginItem {
public:
    /// `file` is the entry to keep; `executable` the absolute path the entry starts.
    AutostartEntry(std::filesystem::path file, std::string executable);

    /// <config>/autostart/spanlet.desktop, with <config> the XDG_CONFIG_HOME given when it is an
    /// absolute path, else <home>/.config; empty when neither is known. Null means unset.
    static std::filesystem::path standardFile(const char* xdgConfigHome, const char* home);
    /// The same for this process, in the configuration folder the preferences use
    /// (XdgFolders::folder).
    static std::filesystem::path standardFile();

    [[nodiscard]] bool isEnabled() const override;
    /// On: writes the entry (making the folder), replacing any hidden one atomically. Off:
    /// removes the file. False when the folder or file cannot be written or removed.
    bool setEnabled(bool enabled) override;

    [[nodiscard]] const std::filesystem::path& file() const noexcept { return file_; }

    /// The whole desktop file that starts `executable`.
    static std::string entryText(std::string_view executable);
    /// `executable` as the Exec key's value: quoted when it holds reserved characters, with
    /// the quoting and string escapes of the desktop-entry format and "%" doubled.
    static std::string execValue(std::string_view executable);
    /// Whether desktop-file text has Hidden=true in its [Desktop Entry] group.
    static bool isHidden(std::string_view text);

private:
    std::filesystem::path file_;
    std::string executable_;
};

} // namespace spanlet
