// The tray icon under a real tray host, its menu as a QMenu following the model, and the
// fallback without a tray.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
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

/// The centre of our icon inside the tray host (root coordinates), found as another client
/// sees it: the small embedded window named "Spanlet" that xwininfo lists as
/// `0x20000b "Spanlet": ("…" "Spanlet")  22x22+0+0  +1257+1`.
std::optional<QPoint> dockedIconCentre() {
    std::istringstream lines(output({"xwininfo", "-root", "-tree"}).value_or(""));
    for (std::string line; std::getline(lines, line);) {
        const auto sizeAt = line.rfind(')');
        int w = 0, h = 0, relX = 0, relY = 0, x = 0, y = 0;
        if (line.find("\"Spanlet\": (") == std::string::npos || sizeAt == std::string::npos ||
            std::sscanf(line.c_str() + sizeAt + 1, " %dx%d%d%d %d%d", &w, &h, &relX, &relY, &x,
                        &y) != 6) {
            continue;
        }
        // Embedded: inside the host's panel, so not where it sits in its parent.
        if ((x != relX || y != relY) && w >= 8 && w <= 64 && h >= 8 && h <= 64) {
            return QPoint(x + w / 2, y + h / 2);
        }
    }
    return std::nullopt;
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

    // Embedding and the first menu can take long on a loaded machine: generous deadlines.
    constexpr std::chrono::seconds patience{30};
    std::optional<QPoint> docked;
    ASSERT_TRUE(waitUntil([&] { return (docked = dockedIconCentre()).has_value(); }, patience));
    // The host may still be embedding the icon, and may move it once it has: look it up again
    // before each right click until the menu opens.
    ASSERT_TRUE(waitUntil(
        [&] {
            if (!menu.isVisible()) {
                docked = dockedIconCentre().value_or(*docked);
                clickAt(*docked, 3);
                waitUntil([&] { return menu.isVisible(); }, std::chrono::milliseconds(500));
            }
            return menu.isVisible();
        },
        patience));
    // Which entries each state enables and checks is menu_model_test's; here the key equivalents.
    EXPECT_EQ(action(menu, "Ruler")->text(), QStringLiteral("Ruler\tCtrl+Shift+R"));
    EXPECT_EQ(action(menu, "Settings…")->text(), QStringLiteral("Settings…\tCtrl+,"));
    clickAt(menu.mapToGlobal(menu.actionGeometry(action(menu, "Ruler")).center()));
    EXPECT_TRUE(waitUntil([&] { return *model.rulerVisible(); }));
    EXPECT_FALSE(menu.isVisible());
    clickAt(*docked, 3); // the next opening shows the new state
    ASSERT_TRUE(waitUntil([&] { return menu.isVisible(); }));
    EXPECT_TRUE(action(menu, "Ruler")->isChecked());

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
