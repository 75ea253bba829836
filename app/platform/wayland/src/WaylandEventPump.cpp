#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandEventPump.hpp>

namespace spanlet::wayland {

WaylandEventPump::WaylandEventPump(WaylandConnection& connection)
    : context_(std::make_unique<QObject>()) {
    auto* notifier = new QSocketNotifier(connection.fd(), QSocketNotifier::Read, context_.get());
    QObject::connect(
        notifier, &QSocketNotifier::activated, context_.get(), [&connection, notifier] {
            if (!connection.dispatch()) {
                notifier->setEnabled(false); // the compositor is gone; nothing more will come
            }
        });
    // Events read on the way (a round trip elsewhere) wait in the queue, and requests in the
    // buffer: both are handled before the loop sleeps.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     context_.get(), [&connection] { connection.flush(); });
}

WaylandEventPump::~WaylandEventPump() = default;

} // namespace spanlet::wayland
