#include <QAccessible>

#include <spanlet/ruler/RulerAccessibility.hpp>
#include <spanlet/ruler/qt/RulerAccessible.hpp>
#include <spanlet/ruler/qt/RulerPanel.hpp>

namespace spanlet {

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QAccessibleInterface* rulerFactory(const QString& /*className*/, QObject* object) {
    if (auto* panel = qobject_cast<RulerPanel*>(object)) {
        return new RulerAccessible(panel);
    }
    return nullptr;
}

} // namespace

RulerAccessible::RulerAccessible(RulerPanel* panel)
    : QAccessibleWidget(panel, QAccessible::Slider) {}

const RulerPanel& RulerAccessible::panel() const {
    return *static_cast<const RulerPanel*>(widget());
}

QString RulerAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        return fromView(RulerAccessibility::label);
    case QAccessible::Description:
    case QAccessible::Help:
        return fromView(RulerAccessibility::help);
    case QAccessible::Value:
        return panel().accessibleValue();
    default:
        return QAccessibleWidget::text(t);
    }
}

void* RulerAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QVariant RulerAccessible::currentValue() const {
    return panel().accessibleValue();
}

void RulerAccessible::setCurrentValue(const QVariant& /*value*/) {}

QVariant RulerAccessible::maximumValue() const {
    return {};
}

QVariant RulerAccessible::minimumValue() const {
    return {};
}

QVariant RulerAccessible::minimumStepSize() const {
    return {};
}

void RulerAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(rulerFactory);
        return true;
    }();
    (void)installed;
}

} // namespace spanlet
