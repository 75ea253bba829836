#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <algorithm>
#include <utility>

#include <spanlet/portal/PortalHotkeys.hpp>

namespace spanlet::portal {

namespace {

QString portalService() {
    return QStringLiteral("org.freedesktop.portal.Desktop");
}
QString portalPath() {
    return QStringLiteral("/org/freedesktop/portal/desktop");
}
QString shortcutsInterface() {
    return QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
}
QString requestInterface() {
    return QStringLiteral("org.freedesktop.portal.Request");
}

/// An object path the portal sends as "o" or, as GlobalShortcuts' session_handle, as "s".
QString pathOf(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
        return value.value<QDBusObjectPath>().path();
    }
    return value.toString();
}

} // namespace

std::unique_ptr<PortalHotkeys> PortalHotkeys::make(const QDBusConnection& bus,
                                                   std::chrono::milliseconds wait,
                                                   const QString& appId) {
    if (!bus.isConnected()) {
        return nullptr;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService(), portalPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get.setArguments({shortcutsInterface(), QStringLiteral("version")});
    const QDBusMessage reply =
        QDBusConnection(bus).call(get, QDBus::Block, static_cast<int>(wait.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return nullptr;
    }
    const std::uint32_t version =
        reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
    if (version < 1) {
        return nullptr;
    }
    if (!appId.isEmpty()) {
        // A program outside a sandbox names itself, before any portal call, so the desktop
        // files its shortcuts under Spanlet; portals older than 1.19 lack this, which is harmless.
        QDBusMessage registration = QDBusMessage::createMethodCall(
            portalService(), portalPath(), QStringLiteral("org.freedesktop.host.portal.Registry"),
            QStringLiteral("Register"));
        registration.setArguments({appId, QVariantMap()});
        QDBusConnection(bus).send(registration);
    }
    return std::make_unique<PortalHotkeys>(bus, version);
}

PortalHotkeys::PortalHotkeys(const QDBusConnection& bus, std::uint32_t version)
    : bus_(bus), version_(version) {
    registerPortalTypes();
    auto* watcher = new QDBusServiceWatcher(portalService(), bus_,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                portalOwnerChanged(owner);
            });
    bus_.connect(portalService(), portalPath(), shortcutsInterface(), QStringLiteral("Activated"),
                 this, SLOT(onActivated(QDBusMessage)));
    bus_.connect(portalService(), portalPath(), shortcutsInterface(),
                 QStringLiteral("ShortcutsChanged"), this, SLOT(onShortcutsChanged(QDBusMessage)));
}

PortalHotkeys::~PortalHotkeys() {
    closeSession();
}

void PortalHotkeys::setOnCommand(std::function<void(MensorCommand)> handler) {
    onCommand_ = std::move(handler);
}

void PortalHotkeys::setOnStatusChanged(std::function<void()> handler) {
    onStatusChanged_ = std::move(handler);
}

void PortalHotkeys::registerCommands(std::span<const Binding> bindings) {
    std::vector<Binding> kept(bindings.begin(), bindings.end());
    unregisterAll();
    bindings_ = std::move(kept);
    PortalShortcuts shortcuts;
    for (const Binding& b : bindings_) {
        commands_.push_back(b.command);
        shortcuts.push_back(PortalShortcut{
            QString::fromUtf8(rawValue(b.command).data(),
                              static_cast<qsizetype>(rawValue(b.command).size())),
            {{QStringLiteral("description"), QString::fromUtf8(std::string(title(b.command)))},
             {QStringLiteral("preferred_trigger"),
              QString::fromStdString(portalTrigger(b.shortcut))}}});
    }
    if (shortcuts.isEmpty()) {
        return;
    }
    const std::uint64_t generation = generation_;
    request(QStringLiteral("CreateSession"), {},
            {{QStringLiteral("session_handle_token"), nextToken()}},
            [this, generation, shortcuts](std::uint32_t response, const QVariantMap& results) {
                const QString session = pathOf(results.value(QStringLiteral("session_handle")));
                if (response != 0 || session.isEmpty()) {
                    return;
                }
                if (generation != generation_) {
                    close(session); // unregistered or registered again meanwhile
                    return;
                }
                session_ = session;
                bind(shortcuts);
            });
}

void PortalHotkeys::bind(const PortalShortcuts& shortcuts) {
    const std::uint64_t generation = generation_;
    request(
        QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString()},
        {}, [this, generation](std::uint32_t response, const QVariantMap& results) {
            if (generation != generation_ || response != 0) {
                return;
            }
            takeTriggers(qdbus_cast<PortalShortcuts>(results.value(QStringLiteral("shortcuts"))),
                         true);
        });
}

void PortalHotkeys::unregisterAll() {
    ++generation_;
    closeSession();
    bindings_.clear();
    commands_.clear();
    if (!triggers_.empty()) {
        triggers_.clear();
        if (onStatusChanged_) {
            onStatusChanged_();
        }
    }
}

void PortalHotkeys::portalOwnerChanged(const QString& owner) {
    session_.clear();
    for (const auto& waiting : std::map(pending_)) {
        forget(waiting.first);
    }
    const std::vector<Binding> bindings = bindings_;
    if (!owner.isEmpty() && !bindings.empty()) {
        registerCommands(bindings);
    } else {
        unregisterAll();
        bindings_ = bindings; // bound again when the portal comes back
    }
}

bool PortalHotkeys::triggersChangeable() const {
    return version_ >= 2;
}

void PortalHotkeys::changeTriggers() {
    if (!triggersChangeable() || session_.isEmpty()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        portalService(), portalPath(), shortcutsInterface(), QStringLiteral("ConfigureShortcuts"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QString(), QVariantMap()});
    bus_.send(call);
}

void PortalHotkeys::closeSession() {
    if (!session_.isEmpty()) {
        close(std::exchange(session_, QString()));
    }
}

void PortalHotkeys::close(const QString& session) {
    bus_.send(QDBusMessage::createMethodCall(portalService(), session,
                                             QStringLiteral("org.freedesktop.portal.Session"),
                                             QStringLiteral("Close")));
}

void PortalHotkeys::request(const QString& method, QVariantList arguments, QVariantMap options,
                            Answer answer) {
    const QString token = nextToken();
    options.insert(QStringLiteral("handle_token"), token);
    // Listen before calling: the Response may come before the call's reply.
    const QString expected = requestPath(token);
    listen(expected, std::move(answer));
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService(), portalPath(), shortcutsInterface(), method);
    arguments.append(options);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, expected](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                const auto waiting = pending_.find(expected);
                if (waiting == pending_.end()) {
                    return; // answered already
                }
                Answer waiter = waiting->second;
                if (reply.isError()) {
                    forget(expected);
                    waiter(2, {});
                } else if (reply.value().path() != expected) {
                    // An older portal names the Request differently.
                    forget(expected);
                    listen(reply.value().path(), std::move(waiter));
                }
            });
}

QString PortalHotkeys::requestPath(const QString& token) const {
    QString sender = bus_.baseService().mid(1); // ":1.42" → "1_42"
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return portalPath() + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

void PortalHotkeys::listen(const QString& requestPath, Answer answer) {
    pending_[requestPath] = std::move(answer);
    bus_.connect(portalService(), requestPath, requestInterface(), QStringLiteral("Response"), this,
                 SLOT(onResponse(QDBusMessage)));
}

void PortalHotkeys::forget(const QString& requestPath) {
    pending_.erase(requestPath);
    bus_.disconnect(portalService(), requestPath, requestInterface(), QStringLiteral("Response"),
                    this, SLOT(onResponse(QDBusMessage)));
}

void PortalHotkeys::onResponse(const QDBusMessage& message) {
    const auto waiting = pending_.find(message.path());
    const QVariantList arguments = message.arguments();
    if (waiting == pending_.end() || arguments.size() < 2) {
        return;
    }
    const Answer answer = waiting->second;
    forget(message.path());
    answer(arguments.at(0).toUInt(), qdbus_cast<QVariantMap>(arguments.at(1)));
}

void PortalHotkeys::onActivated(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (session_.isEmpty() || arguments.size() < 2 || pathOf(arguments.at(0)) != session_ ||
        !onCommand_) {
        return;
    }
    const auto command = fromRawValue<MensorCommand>(arguments.at(1).toString().toStdString());
    if (command && std::find(commands_.begin(), commands_.end(), *command) != commands_.end()) {
        onCommand_(*command);
    }
}

void PortalHotkeys::onShortcutsChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (session_.isEmpty() || arguments.size() < 2 || pathOf(arguments.at(0)) != session_) {
        return;
    }
    takeTriggers(qdbus_cast<PortalShortcuts>(arguments.at(1)), false);
}

void PortalHotkeys::takeTriggers(const PortalShortcuts& shortcuts, bool whole) {
    std::vector<DesktopTrigger> next;
    for (const MensorCommand command : commands_) {
        DesktopTrigger trigger{command, {}};
        if (!whole) {
            for (const DesktopTrigger& known : triggers_) {
                if (known.command == command) {
                    trigger = known;
                }
            }
        }
        for (const PortalShortcut& s : shortcuts) {
            if (s.id.toStdString() == rawValue(command)) {
                trigger.description =
                    s.details.value(QStringLiteral("trigger_description")).toString().toStdString();
            }
        }
        next.push_back(std::move(trigger));
    }
    if (next != triggers_) {
        triggers_ = std::move(next);
        if (onStatusChanged_) {
            onStatusChanged_();
        }
    }
}

QString PortalHotkeys::nextToken() {
    return QStringLiteral("spanlet%1").arg(++tokens_);
}

} // namespace spanlet::portal
