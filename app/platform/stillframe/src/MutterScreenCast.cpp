#include <QDBusConnectionInterface>
#include <QTimer>
#include <utility>

#include <spanlet/stillframe/MutterScreenCast.hpp>

#include "MutterScreenCastGrab.hpp"

namespace spanlet::stillframe {

MutterScreenCast::MutterScreenCast(QDBusConnection bus)
    : bus_(std::move(bus)), grabs_(std::make_unique<QObject>()) {}

MutterScreenCast::~MutterScreenCast() = default;

bool MutterScreenCast::offered(const QDBusConnection& bus) {
    return bus.isConnected() && bus.interface() != nullptr &&
           bus.interface()
               ->isServiceRegistered(QStringLiteral("org.gnome.Mutter.ScreenCast"))
               .value();
}

void MutterScreenCast::grab(const std::vector<ScreenInfo>& displays,
                            std::function<void(FrameResult)> done) {
    if (!offered(bus_)) {
        QTimer::singleShot(0, grabs_.get(), [done = std::move(done)] {
            done(FrameRefusal{FrameRefusal::Kind::unavailable,
                              "GNOME’s screen cast service is not running."});
        });
        return;
    }
    if (displays.empty()) {
        QTimer::singleShot(0, grabs_.get(),
                           [done = std::move(done)] { done(std::vector<DisplayFrame>{}); });
        return;
    }
    (new MutterScreenCastGrab(bus_, displays, std::move(done), grabs_.get()))->start();
}

} // namespace spanlet::stillframe
