#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <utility>

#include <spanlet/stillframe/PortalRequest.hpp>

namespace spanlet::stillframe {

namespace {

constexpr QLatin1String kRequestInterface("org.freedesktop.portal.Request");

} // namespace

QString PortalRequest::freshToken() {
    static unsigned next = 0;
    return QStringLiteral("spanlet%1").arg(++next);
}

PortalRequest::PortalRequest(const QDBusConnection& bus, QObject* owner,
                             std::function<void(PortalAnswer)> done)
    : QObject(owner), bus_(bus), done_(std::move(done)) {}

void PortalRequest::call(const QDBusConnection& bus, const QString& interface,
                         const QString& method, const QVariantList& arguments, QVariantMap options,
                         QObject* owner, std::function<void(PortalAnswer)> done) {
    auto* request = new PortalRequest(bus, owner, std::move(done));
    const QString token = freshToken();
    options.insert(QStringLiteral("handle_token"), token);
    // The handle the portal makes of our token: the sender's unique name without its ':' and
    // with '_' for '.'.
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    request->listenOn(QString(path) + QStringLiteral("/request/") + sender + QLatin1Char('/') +
                      token);

    // A portal that leaves while the user is still asked would otherwise keep us waiting.
    auto* gone =
        new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForUnregistration, request);
    connect(gone, &QDBusServiceWatcher::serviceUnregistered, request, [request] {
        request->finish({2, {}, QStringLiteral("The desktop portal went away.")});
    });

    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(QVariantList(arguments) << options);
    auto* watcher = new QDBusPendingCallWatcher(request->bus_.asyncCall(message), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request,
            [request](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *call;
                if (reply.isError()) {
                    request->finish({2, {}, reply.error().message()});
                } else if (reply.value().path() != request->handle_) {
                    request->listenOn(reply.value().path());
                }
            });
}

void PortalRequest::listenOn(const QString& handle) {
    if (!handle_.isEmpty()) {
        bus_.disconnect(service, handle_, kRequestInterface, QStringLiteral("Response"), this,
                        SLOT(onResponse(uint, QVariantMap)));
    }
    handle_ = handle;
    bus_.connect(service, handle_, kRequestInterface, QStringLiteral("Response"), this,
                 SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint code, const QVariantMap& results) {
    finish({code, results, {}});
}

void PortalRequest::finish(PortalAnswer answer) {
    if (!done_) {
        return;
    }
    bus_.disconnect(service, handle_, kRequestInterface, QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap)));
    // Before the answer: it may delete the owner, and this with it.
    deleteLater();
    std::exchange(done_, nullptr)(std::move(answer));
}

} // namespace spanlet::stillframe
