// Showing, hiding, shaping and drawing the ruler window through the model, its accessibility,
// and when a display goes away.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QRegion>

#include "RulerSession.hpp"
#include "support/Processes.hpp"

namespace spanlet::test {
namespace {

constexpr auto H = RulerOrientation::horizontal;
// Display B, scale 1, holds every ruler here unless a test says otherwise.
constexpr Point kOnB{1300, 200};

TEST_F(RulerWindow, TheModelShowsAndHidesTheRulerAndReusesItsPanel) {
    session().place(H, 300, kOnB);
    EXPECT_EQ(session().panel(), nullptr) << "no panel before the ruler is first shown";
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    EXPECT_EQ(panel->geometry(), QRect(1300, 200, 300, 40));
    EXPECT_EQ(nativeGeometry(panel->winId()), QRect(1300, 200, 300, 40)) << "B has scale 1";
    EXPECT_TRUE(session().ownWindows().contains(static_cast<std::uint32_t>(panel->winId())))
        << "captures must leave the ruler out";
    // Not X11BypassWindowManagerHint: it must take the focus once clicked.
    EXPECT_EQ(panel->windowFlags(), Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    settle();
    EXPECT_FALSE(panel->hasFocus()) << "it appears without taking the focus";

    model().toggleRuler();
    EXPECT_TRUE(waitUntil([&] { return !panel->isVisible(); }));
    ASSERT_TRUE(session().show());
    EXPECT_EQ(session().panel(), panel) << "the one panel is kept while hidden";
}

TEST_F(RulerWindow, WithoutACompositorIsCutToItsRoundedFace) {
    session().controller().setCompositing(false);
    session().place(H, 300, kOnB);
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    EXPECT_TRUE(panel->shaped());
    EXPECT_TRUE(panel->mask().contains(QPoint(150, 20)));
    EXPECT_TRUE(panel->mask().contains(QPoint(150, 0))) << "edges between the corners stay";
    EXPECT_FALSE(panel->mask().contains(QPoint(0, 0))) << "corners are cut round";
    EXPECT_FALSE(panel->mask().contains(QPoint(299, 39)));

    model().toggleRulerOrientation();
    ASSERT_TRUE(waitUntil([&] { return panel->size() == QSize(40, 300); }));
    EXPECT_TRUE(panel->mask().contains(QPoint(20, 290))) << "the shape follows a turn";
    EXPECT_FALSE(panel->mask().contains(QPoint(39, 299)));

    session().controller().setCompositing(true);
    EXPECT_TRUE(panel->mask().isEmpty());
}

TEST_F(RulerWindow, IsPulledBackOntoARemainingDisplayWhenItsDisplayGoes) {
    session().place(H, 300, {1500, 300});
    ASSERT_TRUE(session().show());
    ASSERT_EQ(model().screens()->size(), 2u);

    ASSERT_EQ(run({"xrandr", "--delmonitor", "B"}), 0);
    const bool gone = waitUntil([&] { return model().screens()->size() == 1; });
    // Whatever happens, B comes back for the tests that follow in this process.
    struct RestoreB {
        ~RestoreB() {
            run({"xrandr", "--setmonitor", "B", "1152/300x800/300+1152+0", "none"});
            waitUntil([] { return QGuiApplication::screens().size() == 2; });
            settle();
        }
    } restoreB;
    ASSERT_TRUE(gone);

    // Only A (576 × 400 points) is left: the ruler is clamped until a grip-sized part of it
    // (40 × 20) lies on A, and stored there.
    EXPECT_EQ(prefs().rulerX, 536);
    EXPECT_EQ(prefs().rulerY, 300);
    EXPECT_TRUE(
        waitUntil([&] { return session().panel()->geometry() == QRect(536, 300, 300, 40); }));
    EXPECT_TRUE(session().panel()->isVisible());
    // On A, two device pixels per point.
    EXPECT_TRUE(waitUntil(
        [&] { return nativeGeometry(session().panel()->winId()) == QRect(1072, 600, 600, 80); }));
}

TEST_F(RulerWindow, TheFaceFollowsThePalettesWindowColour) {
    session().place(H, 300, kOnB);
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    // The pointer away from the ruler, so no marker.
    ASSERT_TRUE(pointAt({1250, 500}));
    model().updatePointer();
    struct Row {
        const char* name;
        QColor window;
        QColor face; // at the face's opacity, 0.96
    };
    for (const Row& r : {Row{"light", QColor(240, 240, 240), QColor(255, 247, 219, 245)},
                         Row{"dark", QColor(30, 30, 30), QColor(43, 41, 38, 245)}}) {
        SCOPED_TRACE(r.name);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, r.window);
        panel->setPalette(palette);
        EXPECT_EQ(panel->darkAppearance(), r.window.lightness() < 128);
        // Below the tick labels, left of the grip, right of the unit label: bare face.
        const QColor pixel = panel->grab().toImage().pixelColor(153, 33);
        EXPECT_NEAR(pixel.red(), r.face.red(), 3);
        EXPECT_NEAR(pixel.green(), r.face.green(), 3);
        EXPECT_NEAR(pixel.blue(), r.face.blue(), 3);
        EXPECT_NEAR(pixel.alpha(), r.face.alpha(), 3);
    }
}

// The value texts themselves are unit tests'; here one case on display A (two device pixels per
// point) shows that the real window, display and pointer reach them.
TEST_F(RulerWindow, ExposesRoleNameHelpAndValue) {
    session().place(H, 200, {100, 100}, MeasureUnit::pixels);
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt({150.5, 110}));
    model().updatePointer();

    QAccessibleInterface* ruler = QAccessible::queryAccessibleInterface(session().panel());
    ASSERT_NE(ruler, nullptr);
    EXPECT_EQ(ruler->role(), QAccessible::Slider);
    EXPECT_EQ(ruler->text(QAccessible::Name), QStringLiteral("Ruler"));
    const QString help = QStringLiteral(
        "Drag to move. Arrow keys move it, Option-arrow keys change its length, R turns it, G "
        "adds a guide at the pointer, Escape hides it.");
    EXPECT_EQ(ruler->text(QAccessible::Description), help);
    EXPECT_EQ(ruler->text(QAccessible::Help), help);
    const QString value = QStringLiteral("Horizontal, 400 px long. Pointer at 101 px");
    EXPECT_EQ(ruler->text(QAccessible::Value), value);
    ASSERT_NE(ruler->valueInterface(), nullptr);
    EXPECT_EQ(ruler->valueInterface()->currentValue().toString(), value);
}

} // namespace
} // namespace spanlet::test
