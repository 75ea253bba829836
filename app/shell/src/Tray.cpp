#include <QDBusConnection>
#include <QMenu>
#include <QPainter>
#include <QSvgRenderer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <chrono>
#include <utility>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/Tray.hpp>
#include <spanlet/shell/TrayMenu.hpp>

#include "DBusMenu.hpp"
#include "StatusNotifierItem.hpp"

// The icons are compiled into this static library; their registration must be asked for, or
// the linker drops it.
static void initTrayResources() {
    Q_INIT_RESOURCE(spanlet);
}

namespace spanlet {

namespace {

/// How long a StatusNotifierWatcher without a host is given for its host to come.
constexpr std::chrono::seconds kHostWait{5};

QIcon render(const QString& resource) {
    static const bool registered = (initTrayResources(), true);
    (void)registered;
    QSvgRenderer renderer(resource);
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

Tray::Tray(Mensor& model, Menu::Platform& platform)
    : model_(model), platform_(platform), menu_(std::make_unique<QMenu>()),
      icon_(std::make_unique<QSystemTrayIcon>()),
      dbusMenu_(std::make_unique<DBusMenu>(
          [this] { return Menu::entries(Menu::state(model_)); },
          [this](Menu::Action action) { Menu::perform(action, model_, platform_); })),
      item_(std::make_unique<StatusNotifierItem>(QDBusConnection::sessionBus(), *dbusMenu_, [this] {
          platform_.openWindow(Windows::Kind::welcome);
      })) {
    menu_->setObjectName(QStringLiteral("spanletMenu"));
    connect(menu_.get(), &QMenu::aboutToShow, this, &Tray::rebuildMenu);
    icon_->setContextMenu(menu_.get());
    // A left click opens the same menu, as a menu-bar icon does.
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    menu_->popup(QCursor::pos());
                }
            });
    connect(item_.get(), &StatusNotifierItem::changed, this, &Tray::place);
    hostWait_.setSingleShot(true);
    hostWait_.setInterval(kHostWait);
    connect(&hostWait_, &QTimer::timeout, this, [this] {
        hostWaited_ = true;
        place();
    });
    rebuildMenu();
    update(*model_.snapping());
    snapping_ = model_.snapping().subscribe([this](bool on) { update(on); });
}

Tray::~Tray() = default;

void Tray::show(std::function<void()> withoutHost) {
    withoutHost_ = std::move(withoutHost);
    placing_ = true;
    item_->start();
    place();
}

void Tray::place() {
    if (!placing_) {
        return;
    }
    if (item_->visible()) {
        // One icon only: Qt's would be a second one where the panel also docks XEmbed icons.
        icon_->hide();
        shown_ = true;
        withoutHost_ = {};
        return;
    }
    if (item_->asking()) {
        return;
    }
    // Qt's icon also docks in an XEmbed tray that appears later.
    icon_->show();
    shown_ = QSystemTrayIcon::isSystemTrayAvailable();
    if (shown_ || !withoutHost_) {
        withoutHost_ = {};
        return;
    }
    if (item_->registered() && !hostWaited_) {
        // A watcher without a host yet is a panel starting up (Plasma starts its watcher before
        // the panel that hosts the icons, at login too): give it a moment before the welcome
        // window stands in for the icon.
        if (!hostWait_.isActive()) {
            hostWait_.start();
        }
        return;
    }
    std::exchange(withoutHost_, {})();
}

QIcon Tray::image(bool snapping) {
    return render(snapping ? QStringLiteral(":/spanlet/icons/spanlet-ruler-fill.svg")
                           : QStringLiteral(":/spanlet/icons/spanlet-ruler.svg"));
}

QString Tray::label(bool snapping) {
    return snapping ? QStringLiteral("Spanlet, edge snapping on") : QStringLiteral("Spanlet");
}

QString Tray::label() const {
    return icon_->toolTip();
}

void Tray::update(bool snapping) {
    iconName_ = snapping ? QStringLiteral("ruler.fill") : QStringLiteral("ruler");
    const QIcon picture = image(snapping);
    icon_->setIcon(picture);
    icon_->setToolTip(label(snapping));
    item_->setIcon(picture, label(snapping));
    // Hosts that read the menu ahead of showing it see the new check mark.
    dbusMenu_->refresh();
}

void Tray::rebuildMenu() {
    TrayMenu::fill(*menu_, Menu::entries(Menu::state(model_)),
                   [this](Menu::Action action) { Menu::perform(action, model_, platform_); });
}

} // namespace spanlet
