// Start-up: the welcome window on the first launch only, the overlay panels, hot keys as the
// preference says, and an idle application that wakes for nothing.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/qt/QtOverlayController.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

using Windows::Kind;

/// Whether, within a few seconds, `app` rests for half a second: no timer event for any object
/// and no wake-up of its clock. One-off work may run first; work that repeats keeps it awake.
bool rests(SpanletApp& app) {
    struct TimerCount : QObject {
        int timers = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            timers += event->type() == QEvent::Timer ? 1 : 0;
            return false;
        }
    } count;
    QCoreApplication::instance()->installEventFilter(&count);
    bool rested = false;
    for (int tries = 0; tries < 6 && !rested; ++tries) {
        count.timers = 0;
        const auto wakeUps = app.clock().wakeUps();
        QElapsedTimer elapsed;
        elapsed.start();
        while (elapsed.elapsed() < 500) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        rested = count.timers == 0 && app.clock().wakeUps() == wakeUps;
    }
    QCoreApplication::instance()->removeEventFilter(&count);
    return rested;
}

TEST(StartupTest, WelcomeOnlyOnTheFirstLaunchThenPanelsHotKeysAndRest) {
    TrayHost tray;
    ASSERT_TRUE(tray.ok());
    TempDir shared;
    {
        AppSession first(std::nullopt, shared.path()); // nothing stored: a first launch
        first.app->start();
        QWidget* welcome = first.app->windows().window(Kind::welcome);
        ASSERT_NE(welcome, nullptr);
        EXPECT_TRUE(waitUntil([&] { return welcome->isVisible(); }));
    }
    AppSession session(std::nullopt, shared.path());
    EXPECT_TRUE(session.app->overlays().panels().empty());
    session.app->start();
    EXPECT_TRUE(session.app->trayShown());
    for (Kind kind : allCases<Kind>) {
        EXPECT_EQ(session.app->windows().window(kind), nullptr) << Windows::rawValue(kind);
    }
    Mensor& model = session.app->model();
    EXPECT_FALSE(session.app->overlays().panels().empty());
    EXPECT_EQ(session.app->overlays().panels().size(), model.screens()->size());
    EXPECT_EQ(session.app->hotkeys().commands().size(), 10U);
    EXPECT_TRUE(session.app->hotkeys().unavailable().empty());

    // The ruler, snapping and the editor are off: no task, no timer, no wake-up.
    EXPECT_TRUE(rests(*session.app));
    EXPECT_FALSE(model.hasPointerTask());
    // The ruler wakes the pointer task; hiding it again lets everything rest.
    model.toggleRuler();
    ASSERT_TRUE(waitUntil([&] { return session.app->clock().fired() > 3; }));
    model.toggleRuler();
    EXPECT_TRUE(rests(*session.app));
    EXPECT_FALSE(model.hasPointerTask());

    model.updatePrefs([](Preferences& p) { p.hotkeysEnabled = false; });
    EXPECT_TRUE(session.app->hotkeys().commands().empty());
}

} // namespace
} // namespace spanlet::test
