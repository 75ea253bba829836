#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/Backends.hpp>
#include <spanlet/shell/SpanletApp.hpp>
#include <spanlet/shell/Tray.hpp>
#include <spanlet/views/ToolViews.hpp>

#include "LatencyTrace.hpp"

namespace spanlet {

namespace {

/// The back end for this session. Without one there is nothing Spanlet can do: it says so in
/// one line and ends.
std::unique_ptr<Platform> requirePlatform() {
    std::unique_ptr<Platform> platform = loadPlatform();
    if (!platform) {
        std::fputs("spanlet: the display server could not be reached\n", stderr);
        std::exit(1);
    }
    return platform;
}

/// How long quitting waits for the desktop's clipboard manager to take the copied text.
constexpr std::chrono::milliseconds kClipboardHandOver{100};

} // namespace

SpanletApp::SpanletApp(Options options)
    : options_(std::move(options)), platform_(requirePlatform()), hotkeys_(platform_->hotkeys()),
      defaults_(options_.configDirectory), preferences_(defaults_),
      autostart_(options_.autostartFile, QCoreApplication::applicationFilePath().toStdString()),
      windows_(
          defaults_,
          [this](Windows::Kind kind, Mensor&) { return makeToolView(kind, *viewContext_); },
          [this](QWidget& window) { ownWindow(window); }),
      overlays_(makeOverlays(*platform_)), ruler_(makeRuler(*platform_)),
      sampler_(platform_->displays(), [this](QWidget& window) { ownWindow(window); }),
      framework_(network_, options_.updateFeed, QCoreApplication::applicationVersion(),
                 options_.prompts ? *options_.prompts : desktopPrompts_),
      updater_(framework_, network_, options_.prompts ? *options_.prompts : desktopPrompts_) {
    defaults_.removeStaleTemporaries();
    Preferences prefs = preferences_.load();
    model_ = std::make_unique<Mensor>(
        MensorPorts{
            .clock = clock_,
            .displays = platform_->displays(),
            .capture = platform_->capture(),
            .permission = platform_->permission(),
            .clipboard = platform_->clipboard(),
            .announcer = announcer_,
            .preferences = preferences_,
            .windows = windows_,
            .hotkeys = hotkeys_.get(),
            .overlays = *overlays_.controller,
            .sampler = overlays_.sampler ? *overlays_.sampler : sampler_,
        },
        std::move(prefs));
    viewContext_ = std::make_unique<ViewContext>(ViewContext{
        .model = *model_,
        .permission = platform_->permission(),
        .hotkeys = hotkeyStatus_,
        .clipboard = platform_->clipboard(),
        .loginItem = autostart_,
        .closeWindow = [this](Windows::Kind kind) { windows_.close(kind); },
        .openMenu =
            [this](QWidget& anchor) {
                if (tray_) {
                    tray_->menu().popup(anchor.mapToGlobal(QPoint(0, anchor.height())));
                }
            },
        .overlayTakesClicks = overlays_.takesClicks,
    });
    hotkeyStatus_.follow(hotkeys_.get());
    overlays_.attach(*model_);
    ruler_->attach(*model_);
    trace_ = LatencyTrace::fromEnvironment(*model_);
    if (trace_) {
        platform_->capture().setTrace([trace = trace_.get()](const char* e) { trace->mark(e); });
    }
}

SpanletApp::~SpanletApp() {
    platform_->capture().setTrace({});
    trace_.reset();
    // The views and panels go before the model (members go in reverse order, the model after
    // the controllers); the key grabs are released before anything else.
    hotkeys_.get().unregisterAll();
    tray_.reset();
    windows_.destroyAll();
    sampler_.cancel();
    if (overlays_.sampler) {
        overlays_.sampler->cancel();
    }
    ruler_->detach();
    platform_->clipboard().handOver(kClipboardHandOver);
}

void SpanletApp::start() {
    model_->start();
    tray_ = std::make_unique<Tray>(*model_, *this);
    // No tray host (stock GNOME, a bare window manager): the welcome window, with the shortcut
    // list and a "Menu" button that opens the tray icon's menu, stands in for the icon.
    // Starting Spanlet again brings it back. A panel that comes later gets the icon, and the
    // welcome window stays until the user closes it: it does not vanish under the pointer.
    tray_->show([this] { windows_.open(Windows::Kind::welcome); });
    framework_.startUpdater();
}

bool SpanletApp::trayShown() const {
    return tray_ && tray_->shown();
}

void SpanletApp::ownWindow(QWidget& window) {
    platform_->surfaces().addOwnWindow(window.winId());
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
