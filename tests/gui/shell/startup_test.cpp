// Start-up: the welcome window on the first launch only, hot keys as the preference says, the
// overlay panels, and an idle application that wakes for nothing.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <spanlet/model/FileDefaultsStore.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/qt/QtOverlayController.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

using Windows::Kind;

std::optional<Preferences> savedPrefs(const std::filesystem::path& directory) {
    FileDefaultsStore store(directory);
    if (!store.hasData(Preferences::key)) {
        return std::nullopt;
    }
    return Preferences::load(store);
}

TEST(StartupTest, FirstLaunchOpensWelcomeOnceAndSavesIt) {
    TrayHost tray;
    ASSERT_TRUE(tray.ok());
    TempDir shared;
    {
        AppSession first(std::nullopt, {}, shared.path()); // nothing stored: a first launch
        first.app->start();
        QWidget* welcome = first.app->windows().window(Kind::welcome);
        ASSERT_NE(welcome, nullptr);
        EXPECT_TRUE(waitUntil([&] { return welcome->isVisible(); }));
        const auto saved = savedPrefs(shared.path());
        ASSERT_TRUE(saved.has_value());
        EXPECT_TRUE(saved->welcomed);
    }
    AppSession second(std::nullopt, {}, shared.path());
    second.app->start();
    EXPECT_TRUE(second.app->trayShown());
    for (Kind kind : allCases<Kind>) {
        EXPECT_EQ(second.app->windows().window(kind), nullptr) << Windows::rawValue(kind);
    }
}

TEST(StartupTest, GrabsTheHotkeysAndReleasesThemWhenTurnedOff) {
    AppSession session(welcomedPrefs());
    session.app->start();
    EXPECT_EQ(session.app->hotkeys().commands().size(), 10U);
    EXPECT_TRUE(session.app->hotkeys().unavailable().empty());
    session.app->model().updatePrefs([](Preferences& p) { p.hotkeysEnabled = false; });
    EXPECT_TRUE(session.app->hotkeys().commands().empty());
}

TEST(StartupTest, BuildsTheOverlayPanels) {
    AppSession session;
    EXPECT_TRUE(session.app->overlays().panels().empty());
    session.app->start();
    EXPECT_EQ(session.app->overlays().panels().size(), session.app->model().screens()->size());
    EXPECT_FALSE(session.app->overlays().panels().empty());
}

/// Counts the timer events delivered to any object of the application.
struct TimerCount : QObject {
    int timers = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        timers += event->type() == QEvent::Timer ? 1 : 0;
        return false;
    }
};

/// Runs the event loop for `span`, counting timer events.
int timerEventsDuring(std::chrono::milliseconds span) {
    TimerCount count;
    QCoreApplication::instance()->installEventFilter(&count);
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < span.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::instance()->removeEventFilter(&count);
    return count.timers;
}

TEST(StartupTest, NothingRunsWhileIdle) {
    TrayHost tray;
    ASSERT_TRUE(tray.ok());
    AppSession session;
    session.app->start();
    Mensor& model = session.app->model();
    settle();
    timerEventsDuring(std::chrono::milliseconds(300)); // start-up's own one-off work

    // The ruler, snapping and the editor are off: no task, no timer, no wake-up.
    const auto wakeUps = session.app->clock().wakeUps();
    EXPECT_FALSE(model.hasPointerTask());
    EXPECT_EQ(timerEventsDuring(std::chrono::milliseconds(500)), 0);
    EXPECT_EQ(session.app->clock().wakeUps(), wakeUps);

    // The ruler wakes the pointer task; hiding it again lets everything rest.
    model.toggleRuler();
    ASSERT_TRUE(waitUntil([&] { return session.app->clock().fired() > 3; }));
    model.toggleRuler();
    settle();
    timerEventsDuring(std::chrono::milliseconds(100)); // the last scheduled run wakes once
    const auto rested = session.app->clock().wakeUps();
    EXPECT_EQ(timerEventsDuring(std::chrono::milliseconds(500)), 0);
    EXPECT_EQ(session.app->clock().wakeUps(), rested);
}

} // namespace
} // namespace spanlet::test
