// The ruler window as assistive technology sees it, through Qt's accessibility interface. The
// value texts themselves are checked in the unit tests; here one case on display A (two device
// pixels per point) shows the real window, display and pointer reach them.
#include <QAccessible>
#include <QAccessibleValueInterface>

#include "RulerFixture.hpp"

namespace spanlet::test {
namespace {

const QString kHelp = QStringLiteral(
    "Drag to move. Arrow keys move it, Option-arrow keys change its length, R turns it, G adds a "
    "guide at the pointer, Escape hides it.");

TEST_F(RulerWindow, ExposesRoleNameHelpAndValue) {
    session().place(RulerOrientation::horizontal, 200, {100, 100}, MeasureUnit::pixels);
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt(session().displays(), {150.5, 110}));
    model().updatePointer();

    QAccessibleInterface* ruler = QAccessible::queryAccessibleInterface(session().panel());
    ASSERT_NE(ruler, nullptr);
    EXPECT_EQ(ruler->role(), QAccessible::Slider);
    EXPECT_EQ(ruler->text(QAccessible::Name), QStringLiteral("Ruler"));
    EXPECT_EQ(ruler->text(QAccessible::Description), kHelp);
    EXPECT_EQ(ruler->text(QAccessible::Help), kHelp);
    const QString expected = QStringLiteral("Horizontal, 400 px long. Pointer at 101 px");
    EXPECT_EQ(ruler->text(QAccessible::Value), expected);
    QAccessibleValueInterface* value = ruler->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toString(), expected);
}

} // namespace
} // namespace spanlet::test
