#include <QAccessible>
#include <QAccessibleObject>
#include <QCoreApplication>

#include <spanlet/shell/QtAnnouncer.hpp>

namespace spanlet {

namespace {

/// The accessible side of the announcement object: a notification whose name is the text
/// last announced. It is never shown on screen.
class AnnouncementInterface final : public QAccessibleObject {
public:
    explicit AnnouncementInterface(QObject* object) : QAccessibleObject(object) {}

    [[nodiscard]] QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(QCoreApplication::instance());
    }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] QAccessibleInterface* child(int) const override { return nullptr; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    [[nodiscard]] QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? object()->objectName() : QString();
    }
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Notification; }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = true;
        return s;
    }
};

} // namespace

QtAnnouncer::QtAnnouncer() : object_(std::make_unique<QObject>()) {
    id_ = QAccessible::registerAccessibleInterface(new AnnouncementInterface(object_.get()));
}

QtAnnouncer::~QtAnnouncer() {
    QAccessible::deleteAccessibleInterface(id_);
}

void QtAnnouncer::announce(const std::string& text) {
    object_->setObjectName(QString::fromStdString(text));
    QAccessibleInterface* iface = QAccessible::accessibleInterface(id_);
    if (!iface) {
        return;
    }
    QAccessibleEvent nameChanged(iface, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleEvent shown(iface, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace spanlet
