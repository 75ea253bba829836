#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <spanlet/platform/qt/TurnEnd.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandEventPump.hpp>

namespace spanlet::wayland {

WaylandEventPump::WaylandEventPump(WaylandConnection& connection)
    : context_(std::make_unique<QObject>()) {
    auto* notifier = new QSocketNotifier(connection.fd(), QSocketNotifier::Read, context_.get());
    QObject::connect(
        notifier, &QSocketNotifier::activated, context_.get(), [this, &connection, notifier] {
            if (!held_) {
                held_ = std::make_unique<WaylandConnection::Batch>(connection);
                afterTurnEndWork(context_.get(), [this] { held_.reset(); });
            }
            if (!connection.dispatch()) {
                notifier->setEnabled(false); // the compositor is gone; nothing more will come
            }
        });
    // Events read on the way (a round trip elsewhere) wait in the queue, and requests in the
    // buffer: both are handled before the loop sleeps.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     context_.get(), [&connection] { connection.flush(); });
}

WaylandEventPump::~WaylandEventPump() {
    held_.reset(); // sends what it held back
}

} // namespace spanlet::wayland
