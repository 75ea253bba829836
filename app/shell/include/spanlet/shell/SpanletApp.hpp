#pragma once

#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <memory>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/PreferencesStore.hpp>
#include <spanlet/platform/Platform.hpp>
#include <spanlet/ruler/qt/RulerController.hpp>
#include <spanlet/shell/Backends.hpp>
#include <spanlet/shell/MenuModel.hpp>
#include <spanlet/shell/QtAnnouncer.hpp>
#include <spanlet/shell/QtClock.hpp>
#include <spanlet/shell/QtColorSampler.hpp>
#include <spanlet/shell/SessionHotkeys.hpp>
#include <spanlet/shell/ToolWindowRegistry.hpp>
#include <spanlet/shell/UpdateFramework.hpp>
#include <spanlet/shell/UpdatePrompts.hpp>
#include <spanlet/shell/Updater.hpp>
#include <spanlet/views/AutostartEntry.hpp>
#include <spanlet/views/HotkeyStatus.hpp>
#include <spanlet/views/ViewContext.hpp>

class QWidget;

namespace spanlet {

class LatencyTrace;

class Mensor;
class Tray;

/// The whole application, put together in start-up order: the display-server back end first
/// (capture may need to be in place before any window of ours is shown), then the preferences,
/// the ports, the model, and on start() the model's start-up, the tray icon and the update
/// checks. It lives as long as the event loop runs.
class SpanletApp final : public Menu::Platform {
public:
    struct Options {
        /// The defaults folder (preferences, window positions).
        std::filesystem::path configDirectory = FileDefaultsStore::defaultDirectory();
        /// The autostart entry the settings turn on and off.
        std::filesystem::path autostartFile = AutostartEntry::standardFile();
        QUrl updateFeed;
        /// Where the update checks show their windows; null: message boxes.
        UpdatePrompts* prompts = nullptr;
        /// The address "Spanlet Help" opens.
        QUrl helpPage = QUrl(QStringLiteral("https://github.com/spanlet/spanlet#readme"));
    };

    explicit SpanletApp(Options options);
    ~SpanletApp() override;
    SpanletApp(const SpanletApp&) = delete;
    SpanletApp& operator=(const SpanletApp&) = delete;

    /// The model's start-up, then the tray icon, then the update checker. Without a tray host
    /// the welcome window opens instead (see trayShown()).
    void start();

    // Menu::Platform
    void openWindow(Windows::Kind kind) override;
    void checkForUpdates() override;
    void openHelp() override;
    void about() override;
    void quit() override;

    [[nodiscard]] Mensor& model() const { return *model_; }
    [[nodiscard]] ToolWindowRegistry& windows() { return windows_; }
    /// Null until start().
    [[nodiscard]] Tray* tray() const { return tray_.get(); }
    /// Whether a tray host shows the icon now.
    [[nodiscard]] bool trayShown() const;
    [[nodiscard]] QtClock& clock() { return clock_; }
    [[nodiscard]] spanlet::Platform& platform() { return *platform_; }
    [[nodiscard]] QtColorSampler& sampler() { return sampler_; }
    [[nodiscard]] OverlayController& overlays() { return *overlays_.controller; }
    [[nodiscard]] Updater& updater() { return updater_; }
    [[nodiscard]] UpdateFramework& updateFramework() { return framework_; }
    [[nodiscard]] FileDefaultsStore& defaults() { return defaults_; }

private:
    /// Leaves one of our windows out of every capture.
    void ownWindow(QWidget& window);

    Options options_;
    std::unique_ptr<spanlet::Platform> platform_;
    SessionHotkeys hotkeys_;
    FileDefaultsStore defaults_;
    PreferencesStore preferences_;
    QtClock clock_;
    QtAnnouncer announcer_;
    HotkeyStatusValue hotkeyStatus_;
    AutostartEntry autostart_;
    // Made in the constructor's body, once the ports below exist; the windows and controllers
    // that use it go before it.
    std::unique_ptr<Mensor> model_;
    std::unique_ptr<ViewContext> viewContext_;
    ToolWindowRegistry windows_;
    Overlays overlays_;
    std::unique_ptr<RulerController> ruler_;
    QtColorSampler sampler_;
    QNetworkAccessManager network_;
    DesktopUpdatePrompts desktopPrompts_;
    UpdateFramework framework_;
    Updater updater_;
    std::unique_ptr<Tray> tray_;
    std::unique_ptr<LatencyTrace> trace_;
};

} // namespace spanlet
