#include "FakeFramePortal.hpp"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QPoint>
#include <QSize>
#include <QUrl>
#include <algorithm>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

#include <spanlet/stillframe/PortalStream.hpp>

namespace spanlet::testing {

namespace {

constexpr QLatin1String kService("org.freedesktop.portal.Desktop");
constexpr QLatin1String kPath("/org/freedesktop/portal/desktop");
constexpr QLatin1String kConnection("fake-frame-portal");

/// ScreenCast's streams with each one's position and size.
stillframe::PortalStreams wired(const std::vector<FakeFramePortal::Stream>& streams) {
    stillframe::PortalStreams out;
    for (const FakeFramePortal::Stream& s : streams) {
        out.push_back({s.node,
                       {{QStringLiteral("position"), QPoint(s.x, s.y)},
                        {QStringLiteral("size"), QSize(s.width, s.height)}}});
    }
    return out;
}

/// A stream socket connected to `path`, or -1.
int connected(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        return -1;
    }
    std::copy(name.begin(), name.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

FakeFramePortal::FakeFramePortal(QString folder)
    : folder_(std::move(folder)),
      bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection)) {
    stillframe::registerPortalStreamTypes();
    // The name comes last: once it is on the bus, everything answers.
    ok_ = bus_.isConnected() && bus_.registerVirtualObject(kPath, this, QDBusConnection::SubPath) &&
          bus_.registerService(kService);
}

FakeFramePortal::~FakeFramePortal() {
    bus_.unregisterService(kService);
    bus_.unregisterObject(kPath, QDBusConnection::UnregisterTree);
    QDBusConnection::disconnectFromBus(kConnection);
}

QString FakeFramePortal::introspect(const QString& /*path*/) const {
    return {};
}

bool FakeFramePortal::handleMessage(const QDBusMessage& message,
                                    const QDBusConnection& /*connection*/) {
    const QString interface = message.interface();
    const QString member = message.member();
    const QVariantList args = message.arguments();
    const auto options = [&](int index) { return qdbus_cast<QVariantMap>(args.value(index)); };
    if (interface == QStringLiteral("org.freedesktop.portal.Screenshot") &&
        member == QStringLiteral("Screenshot")) {
        lastScreenshotFile = folder_ + QStringLiteral("/Screenshot-%1.png").arg(++shots_);
        picture.save(lastScreenshotFile, "PNG");
        respond(message, options(1), screenshotCode,
                {{QStringLiteral("uri"), QUrl::fromLocalFile(lastScreenshotFile).toString()}});
    } else if (interface == QStringLiteral("org.freedesktop.portal.ScreenCast") &&
               member == QStringLiteral("CreateSession")) {
        ++openSessions;
        const QString session = QString(kPath) + QStringLiteral("/session/x/") +
                                options(0).value(QStringLiteral("session_handle_token")).toString();
        respond(message, options(0), 0, {{QStringLiteral("session_handle"), session}});
    } else if (interface == QStringLiteral("org.freedesktop.portal.ScreenCast") &&
               member == QStringLiteral("SelectSources")) {
        selected = options(1);
        respond(message, options(1), 0, {});
    } else if (interface == QStringLiteral("org.freedesktop.portal.ScreenCast") &&
               member == QStringLiteral("Start")) {
        QVariantMap results{{QStringLiteral("streams"), QVariant::fromValue(wired(streams))}};
        if (!restoreToken.isEmpty()) {
            results.insert(QStringLiteral("restore_token"), restoreToken);
        }
        respond(message, options(2), startCode, results);
    } else if (interface == QStringLiteral("org.freedesktop.portal.ScreenCast") &&
               member == QStringLiteral("OpenPipeWireRemote")) {
        const int fd = remoteSocket.isEmpty() ? ::open("/dev/null", O_RDWR | O_CLOEXEC)
                                              : connected(remoteSocket);
        bus_.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(fd))));
        ::close(fd);
    } else if (interface == QStringLiteral("org.freedesktop.portal.Session") &&
               member == QStringLiteral("Close")) {
        --openSessions;
        bus_.send(message.createReply());
    } else {
        return false;
    }
    return true;
}

void FakeFramePortal::respond(const QDBusMessage& call, const QVariantMap& options,
                              std::uint32_t code, const QVariantMap& results) {
    QString sender = call.service().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString request = QString(kPath) + QStringLiteral("/request/") + sender +
                            QLatin1Char('/') +
                            options.value(QStringLiteral("handle_token")).toString();
    bus_.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
    QDBusMessage response = QDBusMessage::createSignal(
        request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    response.setArguments({code, results});
    bus_.send(response);
}

} // namespace spanlet::testing
