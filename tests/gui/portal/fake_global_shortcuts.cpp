// A stand-in for the desktop's GlobalShortcuts portal on the test's own session bus: it binds
// whatever it is asked to, describing each trigger as the preferred one, and a test drives it
// through the control interface org.spanlet.FakePortal on the same path (Bound, Activate,
// Change, Counts). The portal's version is the first argument.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSet>
#include <cstdio>

#include <spanlet/portal/PortalShortcut.hpp>

namespace {

using spanlet::portal::PortalShortcut;
using spanlet::portal::PortalShortcuts;

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

class FakePortal final : public QDBusVirtualObject {
public:
    explicit FakePortal(uint version) : version_(version) {}

    QString introspect(const QString& /*path*/) const override { return {}; }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        const QString member = m.member();
        const QVariantList args = m.arguments();
        const QString sender =
            QString(m.service().mid(1)).replace(QLatin1Char('.'), QLatin1Char('_'));
        QDBusConnection out(bus);
        if (m.interface() == QStringLiteral("org.freedesktop.DBus.Properties") &&
            member == QStringLiteral("Get") && args.value(0).toString() == kInterface) {
            out.send(m.createReply(QVariant::fromValue(QDBusVariant(version_))));
        } else if (m.interface() == kInterface && member == QStringLiteral("CreateSession")) {
            const QVariantMap options = qdbus_cast<QVariantMap>(args.value(0));
            session_ = kPath + QStringLiteral("/session/") + sender + QLatin1Char('/') +
                       options.value(QStringLiteral("session_handle_token")).toString();
            open_.insert(session_);
            respond(out, m, options, {{QStringLiteral("session_handle"), session_}});
        } else if (m.interface() == kInterface && member == QStringLiteral("BindShortcuts")) {
            bound_ = qdbus_cast<PortalShortcuts>(args.value(1));
            PortalShortcuts answer;
            for (const PortalShortcut& s : bound_) {
                answer.push_back({s.id,
                                  {{QStringLiteral("description"),
                                    s.details.value(QStringLiteral("description"))},
                                   {QStringLiteral("trigger_description"),
                                    s.details.value(QStringLiteral("preferred_trigger"))}}});
            }
            respond(out, m, qdbus_cast<QVariantMap>(args.value(3)),
                    {{QStringLiteral("shortcuts"), QVariant::fromValue(answer)}});
        } else if (m.interface() == kInterface && member == QStringLiteral("ConfigureShortcuts")) {
            ++configured_;
            out.send(m.createReply());
        } else if (m.interface() == QStringLiteral("org.freedesktop.portal.Session") &&
                   member == QStringLiteral("Close")) {
            open_.remove(m.path());
            out.send(m.createReply());
        } else if (m.interface() == QStringLiteral("org.spanlet.FakePortal")) {
            control(out, m);
        } else {
            return false;
        }
        return true;
    }

private:
    /// Answers a request at once: its handle, then its Response.
    static void respond(QDBusConnection& out, const QDBusMessage& m, const QVariantMap& options,
                        const QVariantMap& results) {
        const QString sender =
            QString(m.service().mid(1)).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') +
                                options.value(QStringLiteral("handle_token")).toString();
        out.send(m.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response.setArguments({0U, results});
        out.send(response);
    }

    void control(QDBusConnection& out, const QDBusMessage& m) {
        const QVariantList args = m.arguments();
        if (m.member() == QStringLiteral("Bound")) {
            out.send(m.createReply(QVariant::fromValue(bound_)));
        } else if (m.member() == QStringLiteral("Counts")) {
            out.send(m.createReply(QVariantList{configured_, uint(open_.size())}));
        } else if (m.member() == QStringLiteral("Activate")) {
            QDBusMessage activated =
                QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("Activated"));
            activated.setArguments({QVariant::fromValue(QDBusObjectPath(session_)),
                                    args.value(0).toString(), qulonglong(0), QVariantMap()});
            out.send(activated);
            out.send(m.createReply());
        } else if (m.member() == QStringLiteral("Change")) {
            QDBusMessage changed =
                QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("ShortcutsChanged"));
            const PortalShortcuts shortcuts{
                {args.value(0).toString(),
                 {{QStringLiteral("trigger_description"), args.value(1).toString()}}}};
            changed.setArguments(
                {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts)});
            out.send(changed);
            out.send(m.createReply());
        }
    }

    uint version_;
    QString session_;
    QSet<QString> open_;
    PortalShortcuts bound_;
    uint configured_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    spanlet::portal::registerPortalTypes();
    const uint version = argc > 1 ? QString::fromLocal8Bit(argv[1]).toUInt() : 1;
    FakePortal portal(version);
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The name comes last: once it is on the bus, everything answers.
    if (!bus.registerVirtualObject(kPath, &portal, QDBusConnection::SubPath) ||
        !bus.registerService(kService)) {
        std::fputs("fake portal: could not take the portal's name\n", stderr);
        return 1;
    }
    return QCoreApplication::exec();
}
