#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <gio/gio.h>
#include <optional>
#include <string_view>
#include <system_error>

#include <spanlet/gnome/GnomeAccelerator.hpp>
#include <spanlet/gnome/GnomeShortcuts.hpp>

namespace spanlet::gnome {

namespace {

constexpr const char* kListSchema = "org.gnome.settings-daemon.plugins.media-keys";
constexpr const char* kEntrySchema =
    "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr const char* kListKey = "custom-keybindings";
constexpr std::string_view kOurs = "/org/gnome/settings-daemon/plugins/media-keys/"
                                   "custom-keybindings/spanlet-";
constexpr const char* kWhere = "GNOME’s keyboard settings (Settings › Keyboard › View and "
                               "Customize Shortcuts › Custom Shortcuts)";

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Settings = std::unique_ptr<GSettings, Unref>;

struct FreeStrv {
    void operator()(gchar** strv) const { g_strfreev(strv); }
};
using Strv = std::unique_ptr<gchar*, FreeStrv>;

struct FreeString {
    void operator()(gchar* text) const { g_free(text); }
};
using String = std::unique_ptr<gchar, FreeString>;

Settings entry(MensorCommand command) {
    return Settings(g_settings_new_with_path(kEntrySchema, GnomeShortcuts::path(command).c_str()));
}

std::vector<std::string> listed(GSettings* list) {
    std::vector<std::string> paths;
    const Strv strv(g_settings_get_strv(list, kListKey));
    for (gchar** p = strv.get(); p != nullptr && *p != nullptr; ++p) {
        paths.emplace_back(*p);
    }
    return paths;
}

/// The command Spanlet keeps at `path`; nothing for the user's own paths.
std::optional<MensorCommand> ourCommand(std::string_view path) {
    if (!path.starts_with(kOurs) || !path.ends_with('/')) {
        return std::nullopt;
    }
    path.remove_prefix(kOurs.size());
    path.remove_suffix(1);
    return fromRawValue<MensorCommand>(path);
}

bool isGnomeSession() {
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    std::string_view rest = desktops != nullptr ? desktops : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view name = rest.substr(0, colon);
        if (name.size() == 5 && g_ascii_strncasecmp(name.data(), "GNOME", 5) == 0) {
            return true;
        }
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return false;
}

bool schemaInstalled(const char* id) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (source == nullptr) {
        return false;
    }
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, id, TRUE);
    if (schema == nullptr) {
        return false;
    }
    g_settings_schema_unref(schema);
    return true;
}

bool plainWord(std::string_view word) {
    bool plain = !word.empty();
    for (const char c : word) {
        plain = plain && (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '/' ||
                          c == '.' || c == '_' || c == '+' || c == '-');
    }
    return plain;
}

} // namespace

std::unique_ptr<GnomeShortcuts> GnomeShortcuts::make(std::string program) {
    if (!isGnomeSession() || !schemaInstalled(kListSchema) || !schemaInstalled(kEntrySchema)) {
        return nullptr;
    }
    return std::make_unique<GnomeShortcuts>(std::move(program));
}

std::string GnomeShortcuts::ownProgram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("spanlet") : self.string();
}

std::string GnomeShortcuts::path(MensorCommand command) {
    return std::string(kOurs) + std::string(rawValue(command)) + '/';
}

std::string GnomeShortcuts::commandLine(MensorCommand command) const {
    std::string program = program_;
    if (!plainWord(program)) {
        const String quoted(g_shell_quote(program.c_str()));
        program = quoted.get();
    }
    return program + " --command " + std::string(rawValue(command));
}

std::string GnomeShortcuts::action() const {
    return "Add to GNOME Shortcuts…";
}

std::string GnomeShortcuts::question(std::span<const Binding> bindings) const {
    if (bindings.empty()) {
        return std::string("No command has a shortcut. Spanlet will remove the custom shortcuts it "
                           "added to ") +
               kWhere + "; your other shortcuts stay as they are.";
    }
    std::string text = "Spanlet will add " + std::to_string(bindings.size()) +
                       " custom shortcuts to " + kWhere + ", each running “" +
                       commandLine(bindings.front().command) + "” with the command’s name:\n\n";
    for (const Binding& b : bindings) {
        text += b.shortcut.display() + "  " + std::string(title(b.command)) + '\n';
    }
    return text + "\nShortcuts Spanlet added before are replaced; your other shortcuts stay as "
                  "they are. Remove them there to take them back.";
}

std::string GnomeShortcuts::add(std::span<const Binding> bindings) {
    const Settings list(g_settings_new(kListSchema));
    std::vector<std::string> paths;
    for (std::string& p : listed(list.get())) {
        if (!ourCommand(p)) {
            paths.push_back(std::move(p));
        }
    }
    bool written = true;
    std::array<bool, EnumTraits<MensorCommand>::allCases.size()> bound{};
    for (const Binding& b : bindings) {
        const Settings keys = entry(b.command);
        const std::string name = "Spanlet: " + std::string(title(b.command));
        written = g_settings_set_string(keys.get(), "name", name.c_str()) != FALSE && written;
        written =
            g_settings_set_string(keys.get(), "command", commandLine(b.command).c_str()) != FALSE &&
            written;
        written = g_settings_set_string(keys.get(), "binding", accelerator(b.shortcut).c_str()) !=
                      FALSE &&
                  written;
        paths.push_back(path(b.command));
        bound[static_cast<std::size_t>(b.command)] = true;
    }
    // A command that lost its shortcut leaves nothing behind.
    for (const MensorCommand command : EnumTraits<MensorCommand>::allCases) {
        if (!bound[static_cast<std::size_t>(command)]) {
            const Settings keys = entry(command);
            for (const char* key : {"name", "command", "binding"}) {
                g_settings_reset(keys.get(), key);
            }
        }
    }
    // The list last, so the settings daemon finds every entry it names complete.
    std::vector<const gchar*> strv;
    strv.reserve(paths.size() + 1);
    for (const std::string& p : paths) {
        strv.push_back(p.c_str());
    }
    strv.push_back(nullptr);
    written = g_settings_set_strv(list.get(), kListKey, strv.data()) != FALSE && written;
    g_settings_sync();
    if (!written) {
        return "GNOME’s keyboard settings did not take the shortcuts: an administrator has "
               "locked them.";
    }
    return {};
}

std::vector<DesktopTrigger> GnomeShortcuts::read() const {
    const Settings list(g_settings_new(kListSchema));
    std::array<std::optional<DesktopTrigger>, EnumTraits<MensorCommand>::allCases.size()> found;
    for (const std::string& p : listed(list.get())) {
        if (const std::optional<MensorCommand> command = ourCommand(p)) {
            const String binding(g_settings_get_string(entry(*command).get(), "binding"));
            found[static_cast<std::size_t>(*command)] =
                DesktopTrigger{*command, display(binding.get())};
        }
    }
    std::vector<DesktopTrigger> triggers;
    for (const std::optional<DesktopTrigger>& t : found) {
        if (t) {
            triggers.push_back(*t);
        }
    }
    return triggers;
}

} // namespace spanlet::gnome
