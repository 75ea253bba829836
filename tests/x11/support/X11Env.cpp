#include "X11Env.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdlib>

namespace spanlet::test {

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeout.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void settle() {
    // A round trip on Qt's connection puts every event the server generated before it into
    // Qt's queue; a few passes of the loop handle those and whatever they queued in turn.
    xcb_connection_t* c = qtConnection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
    }
}

xcb_connection_t* qtConnection() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

std::string describe(const ScreenCapture::Error& error) {
    if (const auto* text = std::get_if<std::string>(&error.reason)) {
        return *text;
    }
    return std::get<ScreenCapture::Failure>(error.reason) == ScreenCapture::Failure::noDisplay
               ? "noDisplay"
               : "noImage";
}

} // namespace spanlet::test
