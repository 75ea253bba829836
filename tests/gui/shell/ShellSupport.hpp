#pragma once

#include <QCursor>
#include <QPoint>
#include <QSystemTrayIcon>
#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/shell/SpanletApp.hpp>

#include "TempDir.hpp"
#include "support/Processes.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {

using spanlet::testing::TempDir;

/// Writes `prefs` as the stored preferences of the defaults folder `directory`.
inline void storePrefs(const std::filesystem::path& directory, const Preferences& prefs) {
    FileDefaultsStore store(directory);
    prefs.save(store);
}
/// The preferences of someone who has seen the welcome window.
inline Preferences welcomedPrefs() {
    Preferences p;
    p.welcomed = true;
    return p;
}

/// Whether a window whose name matches `name` (a regular expression) is mapped.
inline bool windowNamed(const std::string& name) {
    const auto found = output({"xdotool", "search", "--name", name});
    return found && !found->empty();
}

/// The instance's socket file name for this display: ":12" gives "spanlet-_12.socket".
inline std::string socketName() {
    std::string display = qEnvironmentVariable("DISPLAY").toStdString();
    for (char& c : display) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return "spanlet-" + display + ".socket";
}

/// The built spanlet on its own fresh config and runtime folders.
struct Spanlet {
    TempDir config;
    TempDir runtime;
    /// The command line that runs it with `args`.
    [[nodiscard]] std::vector<std::string>
    command(const std::vector<std::string>& args = {}) const {
        std::vector<std::string> argv{"env", "XDG_CONFIG_HOME=" + config.path().string(),
                                      "XDG_RUNTIME_DIR=" + runtime.path().string(), SPANLET_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }
    /// The same for a run that is to end by itself: stopped after 20 s if it does not.
    [[nodiscard]] std::vector<std::string> ending(const std::vector<std::string>& args = {}) const {
        std::vector<std::string> argv = command(args);
        argv.insert(argv.begin(), {"timeout", "20"});
        return argv;
    }
    [[nodiscard]] std::filesystem::path socket() const { return runtime.path() / socketName(); }
    /// Starts the instance, its command line after `prefix`; whether it is past its start-up
    /// (its overlay panels are there).
    bool start(Background& process, const std::vector<std::string>& args = {},
               std::vector<std::string> prefix = {}) {
        storePrefs(config.path() / "spanlet", welcomedPrefs());
        const std::vector<std::string> argv = command(args);
        prefix.insert(prefix.end(), argv.begin(), argv.end());
        process = Background(prefix);
        return waitUntil([&] { return std::filesystem::exists(socket()); }) &&
               waitUntil([] { return windowNamed("Spanlet Overlay"); }, std::chrono::seconds(30));
    }
};

/// A whole application on its own defaults folder (`directory`, or a fresh one), where `prefs`
/// are stored first unless nothing is given.
struct AppSession {
    explicit AppSession(std::optional<Preferences> prefs = welcomedPrefs(),
                        std::filesystem::path dir = {})
        : directory(dir.empty() ? config.path() : std::move(dir)) {
        if (prefs) {
            storePrefs(directory, *prefs);
        }
        SpanletApp::Options options;
        options.configDirectory = directory;
        options.autostartFile = config.path() / "autostart" / "spanlet.desktop";
        app = std::make_unique<SpanletApp>(std::move(options));
    }
    ~AppSession() {
        app.reset();
        settle();
    }

    TempDir config;
    std::filesystem::path directory;
    std::unique_ptr<SpanletApp> app;
};

/// A tray host (trayer) on the test's display, stopped when this goes.
class TrayHost {
public:
    TrayHost() {
        ok_ = waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); });
    }
    ~TrayHost() {
        trayer_.stop();
        waitUntil([] { return !QSystemTrayIcon::isSystemTrayAvailable(); },
                  std::chrono::seconds(5));
    }
    /// Whether it runs and Qt sees it.
    [[nodiscard]] bool ok() const noexcept { return ok_; }

private:
    Background trayer_{{"trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                        "--height", "24", "--SetDockType", "true", "--expand", "true"}};
    bool ok_ = false;
};

/// Moves the pointer to `global` (root coordinates) and waits until it is there. (xdotool's
/// own --sync waits out a long time-out when the pointer is there already.)
inline bool movePointer(QPoint global) {
    return xdotool({"mousemove", std::to_string(global.x()), std::to_string(global.y())}) &&
           waitUntil([&] { return QCursor::pos() == global; });
}
/// Moves the pointer to `global` and clicks `button` there.
inline void clickAt(QPoint global, int button = 1) {
    movePointer(global);
    xdotool({"click", std::to_string(button)});
}

} // namespace spanlet::test
