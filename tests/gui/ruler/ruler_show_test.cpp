// Showing, hiding and placing the ruler window through the model, and when a display goes
// away.
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QRegion>
#include <QWindow>
#include <ostream>
#include <string>

#include "RulerFixture.hpp"
#include "support/Processes.hpp"

namespace spanlet::test {
namespace {

// Display B, scale 1, holds every ruler here unless a test says otherwise.
constexpr Point kOnB{1300, 200};

TEST_F(RulerWindow, TheModelShowsAndHidesTheRulerAndReusesItsPanel) {
    session().place(RulerOrientation::horizontal, 300, kOnB);
    EXPECT_EQ(session().panel(), nullptr) << "no panel before the ruler is first shown";

    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    EXPECT_EQ(panel->geometry(), QRect(1300, 200, 300, 40));
    EXPECT_EQ(nativeGeometry(panel->winId()), QRect(1300, 200, 300, 40)) << "B has scale 1";
    EXPECT_TRUE(session().ownWindows().contains(static_cast<std::uint32_t>(panel->winId())))
        << "captures must leave the ruler out";
    const Qt::WindowFlags flags = panel->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_FALSE(flags.testFlag(Qt::X11BypassWindowManagerHint)) << "it must take the focus";

    model().toggleRuler();
    EXPECT_FALSE(*model().rulerVisible());
    EXPECT_TRUE(waitUntil([&] { return !panel->isVisible(); }));

    ASSERT_TRUE(session().show());
    EXPECT_EQ(session().panel(), panel) << "the one panel is kept while hidden";
}

TEST_F(RulerWindow, AppearsWithoutTakingTheFocusAndTakesItWhenClicked) {
    session().place(RulerOrientation::horizontal, 300, kOnB);
    ASSERT_TRUE(session().show());
    settle();
    EXPECT_FALSE(session().panel()->hasFocus());
    // A single click (away from the grip) changes nothing but the focus.
    ASSERT_TRUE(pointAt(session().displays(), {1377, 233}));
    ASSERT_TRUE(xdo({"click", "1"}));
    EXPECT_TRUE(waitUntil([&] { return session().panel()->hasFocus(); }));
    EXPECT_EQ(prefs().rulerX, 1300);
    EXPECT_EQ(prefs().rulerOrientation, RulerOrientation::horizontal);
}

TEST_F(RulerWindow, WithoutACompositorIsCutToItsRoundedFace) {
    session().controller().setCompositing(false);
    session().place(RulerOrientation::horizontal, 300, kOnB);
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    EXPECT_TRUE(panel->shaped());
    const QRegion face = panel->mask();
    EXPECT_TRUE(face.contains(QPoint(150, 20)));
    EXPECT_TRUE(face.contains(QPoint(150, 0))) << "edges between the corners stay";
    EXPECT_FALSE(face.contains(QPoint(0, 0))) << "corners are cut round";
    EXPECT_FALSE(face.contains(QPoint(299, 39)));

    model().toggleRulerOrientation();
    ASSERT_TRUE(waitUntil([&] { return panel->size() == QSize(40, 300); }));
    EXPECT_TRUE(panel->mask().contains(QPoint(20, 290))) << "the shape follows a turn";
    EXPECT_FALSE(panel->mask().contains(QPoint(39, 299)));

    session().controller().setCompositing(true);
    EXPECT_TRUE(panel->mask().isEmpty());
}

TEST_F(RulerWindow, IsPulledBackOntoARemainingDisplayWhenItsDisplayGoes) {
    session().place(RulerOrientation::horizontal, 300, {1500, 300});
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
    EXPECT_TRUE(waitUntil([&] {
        return session().panel()->geometry() == QRect(536, 300, 300, 40);
    })) << "panel at "
        << session().panel()->geometry().x() << ", " << session().panel()->geometry().y()
        << " size " << session().panel()->width() << " × " << session().panel()->height();
    EXPECT_TRUE(session().panel()->isVisible());
    // On A, two device pixels per point.
    EXPECT_TRUE(waitUntil(
        [&] { return nativeGeometry(session().panel()->winId()) == QRect(1072, 600, 600, 80); }));
}

struct AppearanceCase {
    const char* name;
    bool dark;
    QColor face; // the face's colour at its opacity, 0.96
};

void PrintTo(const AppearanceCase& c, std::ostream* os) {
    *os << c.name;
}

using RulerAppearance = RulerWindowWith<AppearanceCase>;

TEST_P(RulerAppearance, FollowsThePalettesWindowColour) {
    session().place(RulerOrientation::horizontal, 300, kOnB);
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window,
                     GetParam().dark ? QColor(30, 30, 30) : QColor(240, 240, 240));
    panel->setPalette(palette);
    EXPECT_EQ(panel->darkAppearance(), GetParam().dark);

    // The pointer away from the ruler, so no marker; then below the tick labels, left of the
    // grip, right of the unit label: bare face.
    ASSERT_TRUE(pointAt(session().displays(), {1250, 500}));
    model().updatePointer();
    const QImage image = panel->grab().toImage();
    const QColor pixel = image.pixelColor(153, 33);
    const QColor& face = GetParam().face;
    EXPECT_NEAR(pixel.red(), face.red(), 3);
    EXPECT_NEAR(pixel.green(), face.green(), 3);
    EXPECT_NEAR(pixel.blue(), face.blue(), 3);
    EXPECT_NEAR(pixel.alpha(), face.alpha(), 3);
}

INSTANTIATE_TEST_SUITE_P(RulerWindow, RulerAppearance,
                         ::testing::Values(AppearanceCase{"light", false,
                                                          QColor(255, 247, 219, 245)},
                                           AppearanceCase{"dark", true, QColor(43, 41, 38, 245)}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet::test
