#include "DBusMenu.hpp"

#include <QTimer>
#include <utility>

namespace spanlet {

namespace {

/// Item ids: 1 + the action for entries with one, so that an entry keeps its id while its
/// title and state change; above those, by position, for titles and separators.
constexpr int kPositionIds = 1000;

int idOf(const Menu::Entry& entry, std::size_t index) {
    return entry.action ? 1 + static_cast<int>(*entry.action)
                        : kPositionIds + static_cast<int>(index);
}

/// dbusmenu marks a mnemonic with an underscore; a literal one is doubled.
QString label(const std::string& title) {
    return QString::fromStdString(title).replace(QLatin1Char('_'), QStringLiteral("__"));
}

/// "Ctrl+Shift+R" as [["Control", "Shift", "R"]].
dbus::Shortcut shortcut(const Menu::KeyEquivalent& key) {
    QStringList parts = QString::fromStdString(Menu::keyText(key)).split(QLatin1Char('+'));
    for (QString& part : parts) {
        if (part == QStringLiteral("Ctrl")) {
            part = QStringLiteral("Control");
        }
    }
    return {parts};
}

QVariantMap propertiesOf(const Menu::Entry& entry) {
    QVariantMap p;
    switch (entry.kind) {
    case Menu::EntryKind::separator:
        p.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return p;
    case Menu::EntryKind::header:
        p.insert(QStringLiteral("label"), label(entry.title));
        p.insert(QStringLiteral("enabled"), false);
        return p;
    case Menu::EntryKind::toggle:
    case Menu::EntryKind::choice:
        p.insert(QStringLiteral("toggle-type"), entry.kind == Menu::EntryKind::toggle
                                                    ? QStringLiteral("checkmark")
                                                    : QStringLiteral("radio"));
        p.insert(QStringLiteral("toggle-state"), entry.checked ? 1 : 0);
        break;
    case Menu::EntryKind::button:
        break;
    }
    p.insert(QStringLiteral("label"), label(entry.title));
    p.insert(QStringLiteral("enabled"), entry.enabled);
    if (entry.key) {
        p.insert(QStringLiteral("shortcut"), QVariant::fromValue(shortcut(*entry.key)));
    }
    return p;
}

QVariantMap only(QVariantMap properties, const QStringList& names) {
    if (!names.isEmpty()) {
        for (auto it = properties.begin(); it != properties.end();) {
            it = names.contains(it.key()) ? std::next(it) : properties.erase(it);
        }
    }
    return properties;
}

QVariantMap rootProperties() {
    return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
}

} // namespace

DBusMenu::DBusMenu(Entries entries, Act act)
    : entries_(std::move(entries)), act_(std::move(act)), current_(entries_()) {
    dbus::registerTypes();
    new DBusMenuAdaptor(*this);
    // Chosen entries are carried out after the answer to the call: one may open a modal window
    // or quit.
    later_.setSingleShot(true);
    later_.setInterval(0);
    connect(&later_, &QTimer::timeout, this, [this] {
        for (Menu::Action action : std::exchange(chosen_, {})) {
            act_(action);
        }
    });
}

void DBusMenu::refresh() {
    std::vector<Menu::Entry> now = entries_();
    if (now != current_) {
        current_ = std::move(now);
        ++revision_;
        Q_EMIT layoutUpdated(revision_, 0);
    }
}

uint DBusMenu::layout(int parentId, int depth, const QStringList& names,
                      dbus::MenuLayout& out) const {
    out = dbus::MenuLayout{parentId, {}, {}};
    if (parentId == 0) {
        out.properties = only(rootProperties(), names);
        if (depth != 0) {
            for (std::size_t i = 0; i < current_.size(); ++i) {
                out.children.append(dbus::MenuLayout{
                    idOf(current_[i], i), only(propertiesOf(current_[i]), names), {}});
            }
        }
        return revision_;
    }
    for (std::size_t i = 0; i < current_.size(); ++i) {
        if (idOf(current_[i], i) == parentId) {
            out.properties = only(propertiesOf(current_[i]), names);
        }
    }
    return revision_;
}

dbus::MenuItems DBusMenu::properties(const QList<int>& ids, const QStringList& names) const {
    dbus::MenuItems items;
    for (std::size_t i = 0; i < current_.size(); ++i) {
        const int id = idOf(current_[i], i);
        if (ids.isEmpty() || ids.contains(id)) {
            items.append(dbus::MenuItem{id, only(propertiesOf(current_[i]), names)});
        }
    }
    if (ids.contains(0)) {
        items.prepend(dbus::MenuItem{0, only(rootProperties(), names)});
    }
    return items;
}

bool DBusMenu::has(int id) const {
    if (id == 0) {
        return true;
    }
    for (std::size_t i = 0; i < current_.size(); ++i) {
        if (idOf(current_[i], i) == id) {
            return true;
        }
    }
    return false;
}

void DBusMenu::handle(int id, const QString& eventId) {
    if (eventId != QStringLiteral("clicked")) {
        return;
    }
    for (std::size_t i = 0; i < current_.size(); ++i) {
        const Menu::Entry& entry = current_[i];
        if (idOf(entry, i) == id && entry.action && entry.enabled) {
            chosen_.push_back(*entry.action);
            later_.start();
        }
    }
}

bool DBusMenu::aboutToShow() {
    const uint before = revision_;
    refresh();
    return revision_ != before;
}

DBusMenuAdaptor::DBusMenuAdaptor(DBusMenu& menu) : QDBusAbstractAdaptor(&menu), menu_(menu) {
    connect(&menu, &DBusMenu::layoutUpdated, this, &DBusMenuAdaptor::LayoutUpdated);
}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                dbus::MenuLayout& layout) {
    return menu_.layout(parentId, recursionDepth, propertyNames, layout);
}

dbus::MenuItems DBusMenuAdaptor::GetGroupProperties(const QList<int>& ids,
                                                    const QStringList& propertyNames) {
    return menu_.properties(ids, propertyNames);
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString& name) {
    const dbus::MenuItems items = menu_.properties({id}, {name});
    // An unknown item or property reads as an empty label rather than as nothing, which has no
    // D-Bus type.
    const QVariant value = items.isEmpty() ? QVariant() : items.first().properties.value(name);
    return QDBusVariant(value.isValid() ? value : QVariant(QString()));
}

void DBusMenuAdaptor::Event(int id, const QString& eventId, const QDBusVariant& /*data*/,
                            uint /*timestamp*/) {
    menu_.handle(id, eventId);
}

QList<int> DBusMenuAdaptor::EventGroup(const QList<dbus::MenuEvent>& events) {
    QList<int> unknown;
    for (const dbus::MenuEvent& event : events) {
        if (menu_.has(event.id)) {
            menu_.handle(event.id, event.eventId);
        } else {
            unknown.append(event.id);
        }
    }
    return unknown;
}

bool DBusMenuAdaptor::AboutToShow(int /*id*/) {
    return menu_.aboutToShow();
}

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    for (int id : ids) {
        if (!menu_.has(id)) {
            idErrors.append(id);
        }
    }
    return menu_.aboutToShow() ? QList<int>{0} : QList<int>{};
}

} // namespace spanlet
