#include "ShellSupport.hpp"

#include <QSystemTrayIcon>
#include <cstdlib>

#include <spanlet/model/FileDefaultsStore.hpp>

namespace spanlet::test {

TempDir::TempDir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string pattern = std::string(runtime ? runtime : "/tmp") + "/dir-XXXXXX";
    if (mkdtemp(pattern.data())) {
        path_ = pattern;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void storePrefs(const std::filesystem::path& directory, const Preferences& prefs) {
    FileDefaultsStore store(directory);
    prefs.save(store);
}

Preferences welcomedPrefs() {
    Preferences p;
    p.welcomed = true;
    return p;
}

AppSession::AppSession(std::optional<Preferences> prefs, QUrl feed, std::filesystem::path dir)
    : directory(dir.empty() ? config.path() : std::move(dir)) {
    if (prefs) {
        storePrefs(directory, *prefs);
    }
    SpanletApp::Options options;
    options.configDirectory = directory;
    options.autostartFile = config.path() / "autostart" / "spanlet.desktop";
    options.updateFeed = std::move(feed);
    options.prompts = &prompts;
    app = std::make_unique<SpanletApp>(std::move(options));
}

AppSession::~AppSession() {
    app.reset();
    settle();
}

TrayHost::TrayHost()
    : trayer_({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height",
               "24", "--SetDockType", "true", "--expand", "true"}) {
    ok_ = waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); });
}

TrayHost::~TrayHost() {
    trayer_.stop();
    waitUntil([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, std::chrono::seconds(5));
}

void clickAt(QPoint global, int button) {
    xdotool({"mousemove", "--sync", std::to_string(global.x()), std::to_string(global.y())});
    xdotool({"click", std::to_string(button)});
}

} // namespace spanlet::test
