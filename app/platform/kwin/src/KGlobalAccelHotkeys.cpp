#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <algorithm>
#include <utility>

#include <spanlet/kwin/KGlobalAccelHotkeys.hpp>

namespace spanlet::kwin {

namespace {

QString service() {
    return QStringLiteral("org.kde.kglobalaccel");
}
QString component() {
    return QStringLiteral("spanlet");
}

// setShortcut's flags (KGlobalAccel's SetShortcutFlag): make the keys the present ones, and
// take these keys rather than those the service remembers from before.
constexpr uint setPresent = 2;
constexpr uint noAutoloading = 4;

// Qt's modifier bits and key codes, which the service stores (Qt::CTRL, Qt::Key_A, ...).
constexpr int qtShift = 0x02000000;
constexpr int qtControl = 0x04000000;
constexpr int qtAlt = 0x08000000;
constexpr int qtMeta = 0x10000000;

QString qstring(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

std::unique_ptr<KGlobalAccelHotkeys> KGlobalAccelHotkeys::make(const QDBusConnection& bus) {
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(service()).value()) {
        return nullptr;
    }
    return std::make_unique<KGlobalAccelHotkeys>(bus);
}

KGlobalAccelHotkeys::KGlobalAccelHotkeys(const QDBusConnection& bus) : bus_(bus) {
    qDBusRegisterMetaType<QList<int>>();
    bus_.connect(service(), QStringLiteral("/component/") + component(),
                 QStringLiteral("org.kde.kglobalaccel.Component"),
                 QStringLiteral("globalShortcutPressed"), this,
                 SLOT(onPressed(QString, QString, qlonglong)));
}

KGlobalAccelHotkeys::~KGlobalAccelHotkeys() {
    unregisterAll();
    // Messages on one connection arrive in order: once this is answered, so are the others,
    // even when the process ends next.
    QDBusMessage ping = QDBusMessage::createMethodCall(service(), QStringLiteral("/kglobalaccel"),
                                                       QStringLiteral("org.freedesktop.DBus.Peer"),
                                                       QStringLiteral("Ping"));
    bus_.call(ping, QDBus::Block, 500);
}

void KGlobalAccelHotkeys::setOnCommand(std::function<void(MensorCommand)> handler) {
    onCommand_ = std::move(handler);
}

void KGlobalAccelHotkeys::setOnStatusChanged(std::function<void()> handler) {
    onStatusChanged_ = std::move(handler);
}

std::optional<int> KGlobalAccelHotkeys::qtKey(const Shortcut& shortcut) {
    if (shortcut.key.size() != 1) {
        return std::nullopt;
    }
    const auto c = static_cast<unsigned char>(shortcut.key.front());
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
        return std::nullopt;
    }
    using M = Shortcut::Modifiers;
    int key = c; // Qt::Key_A is 'A', Qt::Key_0 is '0'
    for (const auto& [modifier, bit] :
         {std::pair{M::control, qtControl}, std::pair{M::option, qtAlt},
          std::pair{M::shift, qtShift}, std::pair{M::command, qtMeta}}) {
        if (shortcut.modifiers.contains(modifier)) {
            key |= bit;
        }
    }
    return key;
}

QStringList KGlobalAccelHotkeys::actionId(MensorCommand command) {
    return {component(), qstring(rawValue(command)), QStringLiteral("Spanlet"),
            qstring(title(command))};
}

void KGlobalAccelHotkeys::call(const QString& method, const QVariantList& arguments,
                               std::function<void(const QDBusMessage&)> answer) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        service(), QStringLiteral("/kglobalaccel"), QStringLiteral("org.kde.KGlobalAccel"), method);
    message.setArguments(arguments);
    if (!answer) {
        bus_.send(message);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [watcher, answer = std::move(answer)] {
                watcher->deleteLater();
                answer(watcher->reply());
            });
}

void KGlobalAccelHotkeys::registerCommands(std::span<const Binding> bindings) {
    unregisterAll();
    const std::uint64_t generation = generation_;
    for (const Binding& b : bindings) {
        registered_.push_back(b.command);
        const std::optional<int> key = qtKey(b.shortcut);
        if (!key) {
            refused_.push_back(b.command);
            continue;
        }
        const QStringList id = actionId(b.command);
        call(QStringLiteral("doRegister"), {id});
        call(QStringLiteral("setShortcut"),
             {id, QVariant::fromValue(QList<int>{*key}), setPresent | noAutoloading},
             [this, generation, command = b.command, key](const QDBusMessage& reply) {
                 if (generation != generation_) {
                     return;
                 }
                 const QList<int> keys =
                     reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                         ? qdbus_cast<QList<int>>(reply.arguments().constFirst())
                         : QList<int>();
                 // The service leaves out keys another application holds.
                 if (!keys.contains(*key)) {
                     refused_.push_back(command);
                     if (onStatusChanged_) {
                         onStatusChanged_();
                     }
                 }
             });
    }
    if (!refused_.empty() && onStatusChanged_) {
        onStatusChanged_();
    }
}

void KGlobalAccelHotkeys::unregisterAll() {
    ++generation_;
    const bool hadRefused = !refused_.empty();
    for (const MensorCommand command : registered_) {
        call(QStringLiteral("unRegister"), {actionId(command)});
    }
    registered_.clear();
    refused_.clear();
    if (hadRefused && onStatusChanged_) {
        onStatusChanged_();
    }
}

std::vector<MensorCommand> KGlobalAccelHotkeys::unavailable() const {
    // In registration order.
    std::vector<MensorCommand> out;
    for (const MensorCommand command : registered_) {
        if (std::find(refused_.begin(), refused_.end(), command) != refused_.end()) {
            out.push_back(command);
        }
    }
    return out;
}

void KGlobalAccelHotkeys::onPressed(const QString& componentName, const QString& action,
                                    qlonglong /*timestamp*/) {
    if (componentName != component() || !onCommand_) {
        return;
    }
    for (const MensorCommand command : registered_) {
        if (action == qstring(rawValue(command))) {
            onCommand_(command);
            return;
        }
    }
}

} // namespace spanlet::kwin
