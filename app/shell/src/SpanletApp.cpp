#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QWidget>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/SpanletApp.hpp>
#include <spanlet/shell/Tray.hpp>
#include <spanlet/views/ToolViews.hpp>

#include "LatencyTrace.hpp"

namespace spanlet {

SpanletApp::SpanletApp(Options options)
    : options_(std::move(options)), capture_(displays_), defaults_(options_.configDirectory),
      preferences_(defaults_),
      autostart_(options_.autostartFile, QCoreApplication::applicationFilePath().toStdString()),
      windows_(
          defaults_, [this](Windows::Kind kind, Mensor& model) { return makeView(kind, model); },
          [this](QWidget& window) { ownWindow(window); }),
      overlays_(displays_,
                [this](std::uint32_t id, bool added) {
                    if (added) {
                        capture_.addOwnWindow(id);
                    } else {
                        capture_.removeOwnWindow(id);
                    }
                }),
      ruler_(displays_, [this](WId id) { capture_.addOwnWindow(id); }),
      sampler_(displays_, [this](QWidget& window) { ownWindow(window); }),
      framework_(network_, options_.updateFeed, QCoreApplication::applicationVersion(),
                 options_.prompts ? *options_.prompts : desktopPrompts_),
      updater_(framework_, network_, options_.prompts ? *options_.prompts : desktopPrompts_) {
    Preferences prefs = preferences_.load();
    model_ = std::make_unique<Mensor>(
        MensorPorts{
            .clock = clock_,
            .displays = displays_,
            .capture = capture_,
            .permission = permission_,
            .clipboard = clipboard_,
            .announcer = announcer_,
            .preferences = preferences_,
            .windows = windows_,
            .hotkeys = hotkeys_,
            .overlays = overlays_,
            .ruler = ruler_,
            .sampler = sampler_,
        },
        std::move(prefs));
    viewContext_ = std::make_unique<ViewContext>(ViewContext{
        .model = *model_,
        .permission = permission_,
        .hotkeys = hotkeyStatus_,
        .loginItem = autostart_,
        .closeWindow = [this](Windows::Kind kind) { windows_.close(kind); },
        .openMenu =
            [this](QWidget& anchor) {
                if (tray_) {
                    tray_->menu().popup(anchor.mapToGlobal(QPoint(0, anchor.height())));
                }
            },
    });
    hotkeys_.setOnUnavailableChanged([this] { hotkeyStatus_.set(hotkeys_.unavailable()); });
    overlays_.attach(*model_);
    ruler_.attach(*model_);
    trace_ = LatencyTrace::fromEnvironment(*model_);
}

SpanletApp::~SpanletApp() {
    trace_.reset();
    // The views and panels go before the model (members go in reverse order, the model after
    // the controllers); the key grabs are released before anything else.
    hotkeys_.unregisterAll();
    tray_.reset();
    windows_.destroyAll();
    sampler_.cancel();
    ruler_.detach();
}

void SpanletApp::start() {
    model_->start();
    hotkeyStatus_.set(hotkeys_.unavailable());
    tray_ = std::make_unique<Tray>(*model_, *this);
    trayShown_ = tray_->show();
    if (!trayShown_) {
        // No tray host (stock GNOME, a bare window manager): the welcome window, with the
        // shortcut list and a "Menu" button that opens the tray icon's menu, stands in for the
        // icon. Starting Spanlet again brings it back.
        windows_.open(Windows::Kind::welcome);
    }
    framework_.startUpdater();
}

void SpanletApp::ownWindow(QWidget& window) {
    capture_.addOwnWindow(window.winId());
}

QWidget* SpanletApp::makeView(Windows::Kind kind, Mensor&) {
    return makeToolView(kind, *viewContext_);
}

void SpanletApp::openWindow(Windows::Kind kind) {
    windows_.open(kind);
}

void SpanletApp::checkForUpdates() {
    updater_.checkForUpdates();
}

void SpanletApp::openHelp() {
    QDesktopServices::openUrl(options_.helpPage);
}

void SpanletApp::about() {
    QMessageBox::about(
        nullptr, QStringLiteral("About Spanlet"),
        QStringLiteral("<b>Spanlet %1</b><p>Measure anything on screen: edge snapping, a ruler, "
                       "guides and colours, from the tray and with Ctrl+Shift shortcuts.</p>")
            .arg(QCoreApplication::applicationVersion()));
}

void SpanletApp::quit() {
    // exit(), not quit(): a window refusing its close (the ruler panel) must not cancel quitting.
    QCoreApplication::exit(0);
}

} // namespace spanlet
