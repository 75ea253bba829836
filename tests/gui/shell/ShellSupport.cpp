#include "ShellSupport.hpp"

#include <QCursor>
#include <QSystemTrayIcon>

#include <spanlet/model/FileDefaultsStore.hpp>

namespace spanlet::test {

void storePrefs(const std::filesystem::path& directory, const Preferences& prefs) {
    FileDefaultsStore store(directory);
    prefs.save(store);
}

AppSession::AppSession(std::optional<Preferences> prefs, std::filesystem::path dir)
    : directory(dir.empty() ? config.path() : std::move(dir)) {
    if (prefs) {
        storePrefs(directory, *prefs);
    }
    SpanletApp::Options options;
    options.configDirectory = directory;
    options.autostartFile = config.path() / "autostart" / "spanlet.desktop";
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

bool movePointer(QPoint global) {
    return xdotool({"mousemove", std::to_string(global.x()), std::to_string(global.y())}) &&
           waitUntil([&] { return QCursor::pos() == global; });
}

void clickAt(QPoint global, int button) {
    movePointer(global);
    xdotool({"click", std::to_string(button)});
}

} // namespace spanlet::test
