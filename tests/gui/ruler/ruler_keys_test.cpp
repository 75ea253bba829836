// Keys on the focused ruler window, typed with xdotool. The key table itself is checked in the
// unit tests; here one arrow, one Alt (Option's stand-in) arrow and G show that real key
// events reach it, and that an arrow reports the changed accessibility value (the change event
// reaches only a listening assistive client, so the panel's matching signal is watched).
#include "RulerFixture.hpp"

namespace spanlet::test {
namespace {

constexpr auto H = RulerOrientation::horizontal;

class RulerKeys : public RulerWindow {
protected:
    /// Shows a horizontal ruler of 300 points at (1300, 200) and focuses it, the pointer at
    /// `pointer`.
    void focused(Point pointer = {1320, 210}) {
        session().place(H, 300, {1300, 200});
        ASSERT_TRUE(session().show());
        ASSERT_TRUE(session().focusWithPointerAt(pointer));
    }
};

TEST_F(RulerKeys, AnArrowMovesItAndReportsTheNewValue) {
    focused();
    std::vector<QString> valueChanges;
    QObject::connect(session().panel(), &RulerPanel::accessibleValueChanged, session().panel(),
                     [&](const QString& value) { valueChanges.push_back(value); });
    ASSERT_TRUE(xdo({"key", "shift+Left"}));
    EXPECT_EQ(prefs().rulerX, 1290);
    EXPECT_EQ(prefs().rulerY, 200);
    ASSERT_EQ(valueChanges.size(), 1u);
    EXPECT_EQ(valueChanges[0], session().panel()->accessibleValue());
    QObject::disconnect(session().panel(), &RulerPanel::accessibleValueChanged, nullptr, nullptr);
    EXPECT_TRUE(
        waitUntil([&] { return session().panel()->geometry() == expectedGeometry(model()); }));
}

TEST_F(RulerKeys, AltArrowChangesTheLength) {
    focused();
    ASSERT_TRUE(xdo({"key", "alt+Right"}));
    EXPECT_EQ(prefs().rulerLength, 301);
    EXPECT_EQ(prefs().rulerX, 1300);
    EXPECT_TRUE(
        waitUntil([&] { return session().panel()->geometry() == expectedGeometry(model()); }));
}

TEST_F(RulerKeys, GAddsTheGuideAtThePointer) {
    focused({1345, 215});
    ASSERT_TRUE(xdo({"key", "g"}));
    const auto& guides = prefs().guides.guides;
    ASSERT_EQ(guides.size(), 1u);
    EXPECT_EQ(guides[0].axis, Axis::vertical);
    EXPECT_EQ(guides[0].position, 1345);
}

TEST_F(RulerKeys, EscapeHidesIt) {
    focused();
    ASSERT_TRUE(xdo({"key", "Escape"}));
    EXPECT_FALSE(*model().rulerVisible());
}

} // namespace
} // namespace spanlet::test
