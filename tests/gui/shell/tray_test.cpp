// The tray icon under a real tray host, its menu as a QMenu following the model, and the
// fallback without a tray.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/Tray.hpp>
#include <spanlet/shell/WindowPositions.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

/// The entry titled `text` (its key equivalent follows a tab).
QAction* action(QMenu& menu, const char* text) {
    for (QAction* a : menu.actions()) {
        if (a->text().section(QLatin1Char('\t'), 0, 0) == QString::fromUtf8(text)) {
            return a;
        }
    }
    throw std::runtime_error(std::string("no menu entry ") + text); // fails the test
}

TEST(TrayTest, IconMenuAndLabelFollowTheModel) {
    TrayHost host;
    ASSERT_TRUE(host.ok());
    AppSession session;
    session.app->start();
    ASSERT_TRUE(session.app->trayShown());
    Tray& tray = *session.app->tray();
    QMenu& menu = tray.menu();
    Mensor& model = session.app->model();

    // Docking in the host and a right click on the icon are the end-to-end scenarios'; which
    // entries each state enables and checks is menu_model_test's. Here the key equivalents, and
    // the state at the next opening.
    const auto open = [&] {
        menu.popup(QPoint(100, 100));
        return waitUntil([&] { return menu.isVisible(); });
    };
    ASSERT_TRUE(open());
    EXPECT_EQ(action(menu, "Ruler")->text(), QStringLiteral("Ruler\tCtrl+Shift+R"));
    EXPECT_EQ(action(menu, "Settings…")->text(), QStringLiteral("Settings…\tCtrl+,"));
    menu.hide();
    model.ruler().toggle();
    ASSERT_TRUE(open());
    EXPECT_TRUE(action(menu, "Ruler")->isChecked());
    menu.hide();

    // The icon and its label follow edge snapping, whichever route turned it on.
    model.enableSnapping();
    EXPECT_EQ(tray.iconName(), QStringLiteral("ruler.fill"));
    EXPECT_EQ(tray.icon().toolTip(), QStringLiteral("Spanlet, edge snapping on"));
    model.disableSnapping();
    EXPECT_EQ(tray.iconName(), QStringLiteral("ruler"));
    EXPECT_EQ(tray.icon().toolTip(), QStringLiteral("Spanlet"));
}

// Without a tray host the welcome window opens, and its "Menu" button opens the tray icon's
// menu: Settings, Measurements and Quit are reached by clicks alone.
TEST(TrayFallbackTest, WithoutATrayHostTheWelcomeMenuReachesEveryEntry) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    AppSession session; // welcomed before: only the fallback opens a window
    // Settings opens at the right edge, where it leaves the welcome window's button free.
    FileDefaultsStore store(session.directory);
    WindowPositions(store).remember(Windows::Kind::settings, {740, 40});
    session.app->start();
    EXPECT_FALSE(session.app->trayShown());
    ToolWindowRegistry& windows = session.app->windows();
    QWidget* welcome = windows.window(Windows::Kind::welcome);
    ASSERT_NE(welcome, nullptr);
    ASSERT_TRUE(waitUntil([&] { return welcome->isVisible(); }));
    auto* button = welcome->findChild<QWidget*>(QStringLiteral("menu"));
    ASSERT_NE(button, nullptr);
    QMenu& menu = session.app->tray()->menu();
    const auto choose = [&](const char* entry) {
        ASSERT_TRUE(waitUntil(
            [&] {
                if (!menu.isVisible()) {
                    clickAt(button->mapToGlobal(button->rect().center()));
                    waitUntil([&] { return menu.isVisible(); }, std::chrono::milliseconds(500));
                }
                return menu.isVisible();
            },
            std::chrono::seconds(10)));
        clickAt(menu.mapToGlobal(menu.actionGeometry(action(menu, entry)).center()));
    };
    choose("Settings…");
    EXPECT_TRUE(waitUntil([&] {
        QWidget* w = windows.window(Windows::Kind::settings);
        return w && w->isVisible();
    }));
    choose("Measurements…");
    EXPECT_TRUE(waitUntil([&] {
        QWidget* w = windows.window(Windows::Kind::measurements);
        return w && w->isVisible();
    }));
    // Quitting ends the event loop: run one, and choose Quit from inside it.
    QTimer::singleShot(0, welcome, [&] { choose("Quit Spanlet"); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(20000);
    EXPECT_EQ(QApplication::exec(), 0);
}

} // namespace
} // namespace spanlet::test
