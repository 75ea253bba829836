// The ruler window as assistive technology sees it, through Qt's accessibility interface.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <ostream>
#include <string>

#include "RulerFixture.hpp"

namespace spanlet::test {
namespace {

const QString kHelp = QStringLiteral(
    "Drag to move. Arrow keys move it, Option-arrow keys change its length, R turns it, G adds a "
    "guide at the pointer, Escape hides it.");

struct ValueCase {
    const char* name;
    RulerOrientation orientation;
    MeasureUnit unit;
    double length;
    Point origin;
    Point pointer; // global points
    const char* value;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

using RulerAccessibilityTest = RulerWindowWith<ValueCase>;

TEST_P(RulerAccessibilityTest, ExposesRoleNameHelpAndValue) {
    const ValueCase& c = GetParam();
    session().place(c.orientation, c.length, c.origin, c.unit);
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt(session().displays(), c.pointer));
    model().updatePointer();

    QAccessibleInterface* ruler = QAccessible::queryAccessibleInterface(session().panel());
    ASSERT_NE(ruler, nullptr);
    EXPECT_EQ(ruler->role(), QAccessible::Slider);
    EXPECT_EQ(ruler->text(QAccessible::Name), QStringLiteral("Ruler"));
    EXPECT_EQ(ruler->text(QAccessible::Description), kHelp);
    EXPECT_EQ(ruler->text(QAccessible::Help), kHelp);
    const QString expected = QString::fromUtf8(c.value);
    EXPECT_EQ(ruler->text(QAccessible::Value), expected);
    QAccessibleValueInterface* value = ruler->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toString(), expected);
}

INSTANTIATE_TEST_SUITE_P(RulerWindow, RulerAccessibilityTest,
                         ::testing::Values(ValueCase{"pointer_on_the_ruler",
                                                     RulerOrientation::horizontal,
                                                     MeasureUnit::points,
                                                     300,
                                                     {1300, 200},
                                                     {1325, 220},
                                                     "Horizontal, 300 pt long. Pointer at 25 pt"},

                                           // On A, two device pixels per point.
                                           ValueCase{"scale_2_in_pixels",
                                                     RulerOrientation::horizontal,
                                                     MeasureUnit::pixels,
                                                     200,
                                                     {100, 100},
                                                     {150.5, 110},
                                                     "Horizontal, 400 px long. Pointer at 101 px"}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet::test
