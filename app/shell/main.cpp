// Spanlet: a screen-measuring tool that lives in the system tray.
#include <QApplication>

#include <spanlet/shell/BuildInfo.hpp>
#include <spanlet/shell/QuitOnSignal.hpp>
#include <spanlet/shell/SingleInstance.hpp>
#include <spanlet/shell/SpanletApp.hpp>

int main(int argc, char** argv) {
    // Every adapter talks to the X server; under a Wayland session this runs through XWayland.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Spanlet"));
    QApplication::setApplicationVersion(QString::fromUtf8(spanlet::BuildInfo::version));
    QApplication::setDesktopFileName(QStringLiteral("io.github.spanlet.Spanlet"));
    // A tray tool: closing its last window does not end it; only "Quit Spanlet" does.
    QApplication::setQuitOnLastWindowClosed(false);

    // A second start hands over to the running instance before touching grabs or settings.
    spanlet::SingleInstance instance;
    if (instance.handOver()) {
        return 0;
    }

    // Listen before anything else is made, so that the grabs and the settings stay the first
    // instance's even if it was too busy to answer.
    spanlet::SpanletApp* running = nullptr;
    instance.listen([&running] {
        if (running) {
            running->openWindow(spanlet::Windows::Kind::welcome);
        }
    });
    if (instance.otherRunning()) {
        return 0;
    }
    spanlet::SpanletApp spanlet({
        .updateFeed = QUrl(QString::fromUtf8(spanlet::BuildInfo::updateFeed)),
    });
    running = &spanlet;
    spanlet::QuitOnSignal quitOnSignal;
    spanlet.start();
    return QApplication::exec();
}
