#include "StatusNotifierItem.hpp"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QPixmap>
#include <utility>

#include "DBusMenu.hpp"

namespace spanlet {

namespace {

constexpr QLatin1String kWatcher("org.kde.StatusNotifierWatcher");
constexpr QLatin1String kWatcherPath("/StatusNotifierWatcher");
constexpr QLatin1String kItemPath("/StatusNotifierItem");
constexpr QLatin1String kMenuPath("/MenuBar");

/// How long a watcher has to answer; until then neither this item nor the fallback shows.
constexpr int kAnswerWaitMs = 3000;

dbus::IconPixmaps pixmapsOf(const QIcon& icon) {
    dbus::IconPixmaps out;
    for (int size : {16, 22, 32, 48, 64}) {
        const QImage image =
            icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull()) {
            continue;
        }
        dbus::IconPixmap pixmap{image.width(), image.height(), {}};
        pixmap.pixels.reserve(qsizetype{image.width()} * image.height() * 4);
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb argb = row[x];
                pixmap.pixels.append(static_cast<char>(qAlpha(argb)));
                pixmap.pixels.append(static_cast<char>(qRed(argb)));
                pixmap.pixels.append(static_cast<char>(qGreen(argb)));
                pixmap.pixels.append(static_cast<char>(qBlue(argb)));
            }
        }
        out.append(pixmap);
    }
    return out;
}

} // namespace

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, DBusMenu& menu,
                                       std::function<void()> activate)
    : bus_(std::move(bus)), menu_(menu), activate_(std::move(activate)) {
    dbus::registerTypes();
    new StatusNotifierItemAdaptor(*this);
}

StatusNotifierItem::~StatusNotifierItem() {
    if (started_) {
        bus_.unregisterObject(kItemPath);
        bus_.unregisterObject(kMenuPath);
        if (service_ != bus_.baseService()) {
            bus_.unregisterService(service_);
        }
    }
}

void StatusNotifierItem::start() {
    if (started_ || !bus_.isConnected()) {
        return;
    }
    if (!bus_.registerObject(kItemPath, this, QDBusConnection::ExportAdaptors) ||
        !bus_.registerObject(kMenuPath, &menu_, QDBusConnection::ExportAdaptors)) {
        bus_.unregisterObject(kItemPath);
        return;
    }
    started_ = true;
    // A name of the form hosts expect, beside the one Qt's own tray icon would take; the
    // connection's own name if that is taken.
    service_ = QStringLiteral("org.kde.StatusNotifierItem-%1-spanlet")
                   .arg(QCoreApplication::applicationPid());
    if (!bus_.registerService(service_)) {
        service_ = bus_.baseService();
    }
    watcher_ = std::make_unique<QDBusServiceWatcher>(
        kWatcher, bus_,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration);
    connect(watcher_.get(), &QDBusServiceWatcher::serviceRegistered, this,
            &StatusNotifierItem::watcherAppeared);
    connect(watcher_.get(), &QDBusServiceWatcher::serviceUnregistered, this,
            &StatusNotifierItem::watcherGone);
    // From any sender on the watcher's path: whoever owns the watcher name now.
    bus_.connect(QString(), kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"),
                 this, SLOT(askHost()));
    bus_.connect(QString(), kWatcherPath, kWatcher,
                 QStringLiteral("StatusNotifierHostUnregistered"), this, SLOT(askHost()));
    if (bus_.interface()->isServiceRegistered(kWatcher)) {
        watcherAppeared();
    }
}

void StatusNotifierItem::setIcon(const QIcon& icon, const QString& toolTip) {
    pixmaps_ = pixmapsOf(icon);
    Q_EMIT iconChanged();
    if (toolTip != toolTip_) {
        toolTip_ = toolTip;
        Q_EMIT toolTipChanged();
    }
}

void StatusNotifierItem::watcherAppeared() {
    ++generation_;
    registered_ = false;
    hostThere_ = false;
    asking_ = 0;
    QDBusMessage registration = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, kWatcher, QStringLiteral("RegisterStatusNotifierItem"));
    registration << service_;
    await(bus_.asyncCall(registration, kAnswerWaitMs),
          [this](const QDBusPendingCall& reply) { registered_ = !reply.isError(); });
    askHost();
}

void StatusNotifierItem::watcherGone() {
    ++generation_;
    registered_ = false;
    hostThere_ = false;
    asking_ = 0;
    Q_EMIT changed();
}

void StatusNotifierItem::askHost() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    await(bus_.asyncCall(get, kAnswerWaitMs), [this](const QDBusPendingCall& reply) {
        const QDBusMessage answer = reply.reply();
        hostThere_ = !reply.isError() && !answer.arguments().isEmpty() &&
                     qvariant_cast<QDBusVariant>(answer.arguments().first()).variant().toBool();
    });
}

void StatusNotifierItem::await(const QDBusPendingCall& call,
                               std::function<void(const QDBusPendingCall&)> done) {
    ++asking_;
    Q_EMIT changed();
    auto* pending = new QDBusPendingCallWatcher(call, this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, pending, done = std::move(done), generation = generation_] {
                pending->deleteLater();
                if (generation != generation_) {
                    return;
                }
                done(*pending);
                --asking_;
                Q_EMIT changed();
            });
}

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem& item)
    : QDBusAbstractAdaptor(&item), item_(item) {
    connect(&item, &StatusNotifierItem::iconChanged, this, &StatusNotifierItemAdaptor::NewIcon);
    connect(&item, &StatusNotifierItem::toolTipChanged, this,
            &StatusNotifierItemAdaptor::NewToolTip);
}

dbus::ToolTip StatusNotifierItemAdaptor::toolTip() const {
    return dbus::ToolTip{{}, {}, item_.toolTip(), {}};
}

QDBusObjectPath StatusNotifierItemAdaptor::menu() const {
    return QDBusObjectPath(kMenuPath);
}

// A host that shows the menu itself (ItemIsMenu) calls none of these on a click. One that
// calls them gets the welcome window, which lists the shortcuts and opens the same menu: a
// menu of our own could not be placed beside the panel on Wayland.
void StatusNotifierItemAdaptor::Activate(int /*x*/, int /*y*/) {
    item_.activate();
}

void StatusNotifierItemAdaptor::SecondaryActivate(int /*x*/, int /*y*/) {}

void StatusNotifierItemAdaptor::ContextMenu(int /*x*/, int /*y*/) {
    item_.activate();
}

void StatusNotifierItemAdaptor::Scroll(int /*delta*/, const QString& /*orientation*/) {}

} // namespace spanlet
