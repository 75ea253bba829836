// Spanlet's shortcuts in GNOME's keyboard settings, on a real GSettings keyfile store, read
// back by the gsettings tool as another process would.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include <spanlet/gnome/GnomeAccelerator.hpp>
#include <spanlet/gnome/GnomeShortcuts.hpp>

#include "TempDir.hpp"

namespace spanlet::testing {
namespace {

using M = Shortcut::Modifiers;

constexpr const char* kList = "org.gnome.settings-daemon.plugins.media-keys";
constexpr const char* kEntry = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr const char* kBase = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";

/// What `gsettings ARGUMENTS` prints, without the final newline.
std::string gsettings(const std::string& arguments) {
    std::string out;
    FILE* pipe = ::popen(("gsettings " + arguments).c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    std::array<char, 4096> chunk{};
    while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) {
        out += chunk.data();
    }
    ::pclose(pipe);
    if (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
}

std::string entryKey(const std::string& path, const char* key) {
    return gsettings("get " + std::string(kEntry) + ':' + path + ' ' + key);
}

class GnomeShortcutsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        store_ = new TempDir;
        // Before GLib first reads them: it keeps the folders and the store for the process.
        ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
        ::setenv("XDG_CONFIG_HOME", store_->path().c_str(), 1);
        ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
    }
    static void TearDownTestSuite() { delete store_; }

    /// The user's own custom shortcut, and nothing of Spanlet's.
    void SetUp() override {
        const std::string path = std::string(kBase) + "custom0/";
        GSettings* entry = g_settings_new_with_path(kEntry, path.c_str());
        g_settings_set_string(entry, "name", "Terminal");
        g_settings_set_string(entry, "command", "kgx");
        g_settings_set_string(entry, "binding", "<Super>t");
        g_object_unref(entry);
        GSettings* list = g_settings_new(kList);
        const std::array<const gchar*, 2> paths{path.c_str(), nullptr};
        g_settings_set_strv(list, "custom-keybindings", paths.data());
        g_object_unref(list);
        g_settings_sync();
        ASSERT_EQ(gsettings(std::string("get ") + kList + " custom-keybindings"),
                  "['" + path + "']");
    }

    static std::string listed() {
        return gsettings(std::string("get ") + kList + " custom-keybindings");
    }

    static inline TempDir* store_ = nullptr;
    std::unique_ptr<gnome::GnomeShortcuts> shortcuts =
        gnome::GnomeShortcuts::make("/opt/My Apps/spanlet");
};

TEST_F(GnomeShortcutsTest, OfferedOnGnomeWithItsSchemasOnly) {
    ASSERT_NE(shortcuts, nullptr);
    ::setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    EXPECT_EQ(gnome::GnomeShortcuts::make("spanlet"), nullptr);
    ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
}

TEST_F(GnomeShortcutsTest, AddingKeepsTheUsersShortcutsAndReadsOursBack) {
    ASSERT_NE(shortcuts, nullptr);
    const std::vector<Binding> defaults = ShortcutBindings().registrable();
    ASSERT_EQ(shortcuts->add(defaults), "");

    std::string expected = "['" + std::string(kBase) + "custom0/'";
    for (const Binding& b : defaults) {
        expected += ", '" + gnome::GnomeShortcuts::path(b.command) + "'";
    }
    EXPECT_EQ(listed(), expected + "]");
    EXPECT_EQ(entryKey(std::string(kBase) + "custom0/", "command"), "'kgx'");
    const std::string snapping = gnome::GnomeShortcuts::path(MensorCommand::toggleSnapping);
    EXPECT_EQ(entryKey(snapping, "binding"), "'<Control><Shift>s'");
    EXPECT_EQ(entryKey(snapping, "command"), "\"'/opt/My Apps/spanlet' --command toggleSnapping\"");

    std::vector<DesktopTrigger> bound;
    bound.reserve(defaults.size());
    for (const Binding& b : defaults) {
        bound.push_back({b.command, b.shortcut.display()});
    }
    EXPECT_EQ(shortcuts->read(), bound);
}

TEST_F(GnomeShortcutsTest, AddingAgainReplacesOursOnly) {
    ASSERT_NE(shortcuts, nullptr);
    ASSERT_EQ(shortcuts->add(ShortcutBindings().registrable()), "");
    ShortcutBindings changed;
    changed.set(MensorCommand::pickColor, std::nullopt);
    changed.set(MensorCommand::toggleRuler, Shortcut{0x19, {M::control, M::option}, "9"});
    ASSERT_EQ(shortcuts->add(changed.registrable()), "");

    const std::string now = listed();
    EXPECT_EQ(now.find(gnome::GnomeShortcuts::path(MensorCommand::pickColor)), std::string::npos);
    const std::string ruler = gnome::GnomeShortcuts::path(MensorCommand::toggleRuler);
    EXPECT_EQ(now.find(ruler), now.rfind(ruler)) << now;
    EXPECT_TRUE(now.starts_with("['" + std::string(kBase) + "custom0/', ")) << now;

    const std::vector<DesktopTrigger> read = shortcuts->read();
    ASSERT_EQ(read.size(), allCases<MensorCommand>.size() - 1);
    EXPECT_EQ(read.front(), (DesktopTrigger{MensorCommand::toggleRuler, "Ctrl+Alt+9"}));
}

TEST(GnomeAccelerator, WrittenAsGnomeStoresItAndReadInLinuxWords) {
    EXPECT_EQ(gnome::accelerator(Shortcut{1, {M::shift, M::control}, "S"}), "<Control><Shift>s");
    EXPECT_EQ(gnome::accelerator(Shortcut{0x19, {M::command, M::option}, "9"}), "<Alt><Super>9");
    // As GNOME Settings writes what the user records there, and GTK's other names.
    EXPECT_EQ(gnome::display("<Shift><Primary>s"), "Ctrl+Shift+S");
    EXPECT_EQ(gnome::display("<Mod4><Hyper>Print"), "Super+Hyper+Print");
    EXPECT_EQ(gnome::display(""), "");
}

} // namespace
} // namespace spanlet::testing
