#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace spanlet {

class RulerPanel;

/// The ruler panel as assistive technology sees it. Qt has no ruler role; Slider is the
/// nearest: a single control with a value text that the arrow keys change, which screen readers
/// read out on every value change. Name "Ruler", the usage help as description and help text,
/// and the value text (orientation, length and pointer position) through both text(Value) and
/// the value interface. The value interface has no numeric range: the value is a text.
class RulerAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit RulerAccessible(RulerPanel* panel);

    [[nodiscard]] QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    [[nodiscard]] QVariant currentValue() const override;
    /// The value is read-only.
    void setCurrentValue(const QVariant& value) override;
    [[nodiscard]] QVariant maximumValue() const override;
    [[nodiscard]] QVariant minimumValue() const override;
    [[nodiscard]] QVariant minimumStepSize() const override;

    /// Registers the factory that gives every RulerPanel this interface. Idempotent; call it
    /// before the first panel is made.
    static void install();

private:
    [[nodiscard]] const RulerPanel& panel() const;
};

} // namespace spanlet
