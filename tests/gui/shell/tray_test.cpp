// The tray icon under a real tray host, its menu as a QMenu in each state, and the fallback
// without a tray.
#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <xcb/xcb.h>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/Tray.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

QAction* action(QMenu& menu, const QString& text) {
    for (QAction* a : menu.actions()) {
        if (a->text() == text) {
            return a;
        }
    }
    return nullptr;
}

/// The centre of our icon inside the tray host (root coordinates), found as another client
/// sees it: the small window named "Spanlet" in the window tree, as xwininfo lists it
/// (`0x20000b "Spanlet": ("…" "Spanlet")  22x22+0+0  +1257+1`).
std::optional<QPoint> dockedIconCentre() {
    const auto tree = output({"xwininfo", "-root", "-tree"});
    if (!tree) {
        return std::nullopt;
    }
    std::istringstream lines(*tree);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find("\"Spanlet\": (") == std::string::npos) {
            continue;
        }
        int w = 0;
        int h = 0;
        int relX = 0;
        int relY = 0;
        int x = 0;
        int y = 0;
        const auto sizeAt = line.rfind(')');
        if (sizeAt == std::string::npos || std::sscanf(line.c_str() + sizeAt + 1, " %dx%d%d%d %d%d",
                                                       &w, &h, &relX, &relY, &x, &y) != 6) {
            continue;
        }
        // Embedded: inside the host's panel, so not where it sits in its parent.
        const bool embedded = x != relX || y != relY;
        if (embedded && w >= 8 && w <= 64 && h >= 8 && h <= 64) {
            return QPoint(x + w / 2, y + h / 2);
        }
    }
    return std::nullopt;
}

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.ok());
        session.app->start();
        ASSERT_TRUE(session.app->trayShown());
        tray = session.app->tray();
    }
    /// The menu as it reads after opening.
    QMenu& menu() {
        tray->rebuildMenu();
        return tray->menu();
    }

    TrayHost host;
    AppSession session;
    Tray* tray = nullptr;
};

TEST_F(TrayTest, IconAppearsAndItsMenuOpensOnARightClick) {
    QSystemTrayIcon& icon = tray->icon();
    std::optional<QPoint> docked;
    // Embedding and the first menu can take long on a loaded machine: generous deadlines.
    constexpr std::chrono::seconds patience{30};
    ASSERT_TRUE(waitUntil([&] { return (docked = dockedIconCentre()).has_value(); }, patience));
    EXPECT_EQ(tray->iconName(), QStringLiteral("ruler"));
    EXPECT_EQ(icon.toolTip(), QStringLiteral("Spanlet"));
    EXPECT_FALSE(icon.icon().isNull());

    QMenu& menu = tray->menu();
    // The host may still be embedding the icon, and may move it once it has: look it up again
    // before each click until the menu opens.
    ASSERT_TRUE(waitUntil(
        [&] {
            if (!menu.isVisible()) {
                if (const std::optional<QPoint> now = dockedIconCentre()) {
                    docked = now;
                }
                clickAt(*docked, 3);
                waitUntil([&] { return menu.isVisible(); }, std::chrono::milliseconds(500));
            }
            return menu.isVisible();
        },
        patience));
    QAction* ruler = action(menu, QStringLiteral("Ruler"));
    ASSERT_NE(ruler, nullptr);
    const QRect where = menu.actionGeometry(ruler);
    clickAt(menu.mapToGlobal(where.center()));
    EXPECT_TRUE(waitUntil([&] { return *session.app->model().rulerVisible(); }));
    EXPECT_FALSE(menu.isVisible());

    // The next opening shows the new state.
    clickAt(*docked, 3);
    ASSERT_TRUE(waitUntil([&] { return menu.isVisible(); }));
    EXPECT_TRUE(action(menu, QStringLiteral("Ruler"))->isChecked());
    EXPECT_TRUE(action(menu, QStringLiteral("Make Ruler Vertical"))->isEnabled());
    QAction* settings = action(menu, QStringLiteral("Settings…"));
    clickAt(menu.mapToGlobal(menu.actionGeometry(settings).center()));
    EXPECT_TRUE(waitUntil([&] {
        QWidget* w = session.app->windows().window(Windows::Kind::settings);
        return w && w->isVisible();
    }));
}

TEST_F(TrayTest, IconAndLabelFollowSnappingByAnyRoute) {
    Mensor& model = session.app->model();
    model.perform(MensorCommand::toggleSnapping); // as a hot key does
    EXPECT_EQ(tray->iconName(), QStringLiteral("ruler.fill"));
    EXPECT_EQ(tray->icon().toolTip(), QStringLiteral("Spanlet, edge snapping on"));
    QAction* snapping = action(menu(), QStringLiteral("Edge Snapping"));
    EXPECT_TRUE(snapping->isChecked());
    snapping->trigger(); // the menu
    ASSERT_TRUE(waitUntil([&] { return !*model.snapping(); }));
    EXPECT_EQ(tray->iconName(), QStringLiteral("ruler"));
    EXPECT_EQ(tray->icon().toolTip(), QStringLiteral("Spanlet"));
    model.enableSnapping(); // the explainer
    EXPECT_EQ(tray->iconName(), QStringLiteral("ruler.fill"));
    model.disableSnapping();
}

// Which entry is enabled or checked in which state is checked on the menu as data
// (menu_model_test); here one of each shows the QMenu follows the model, with its shortcuts.
TEST_F(TrayTest, MenuFollowsTheModel) {
    Mensor& model = session.app->model();
    {
        QMenu& m = menu();
        EXPECT_FALSE(action(m, QStringLiteral("Clear Guides"))->isEnabled());
        EXPECT_TRUE(action(m, QStringLiteral("Points"))->isChecked());
        EXPECT_EQ(action(m, QStringLiteral("Ruler"))->shortcut(),
                  QKeySequence(QStringLiteral("Ctrl+Shift+R")));
        EXPECT_EQ(action(m, QStringLiteral("Settings…"))->shortcut(),
                  QKeySequence(QStringLiteral("Ctrl+,")));
    }
    model.addGuide(Axis::vertical, Point{100, 100});
    model.toggleUnit();
    {
        QMenu& m = menu();
        EXPECT_TRUE(action(m, QStringLiteral("Pixels"))->isChecked());
        action(m, QStringLiteral("Clear Guides"))->trigger();
    }
    ASSERT_TRUE(waitUntil([&] { return model.prefs()->guides.isEmpty(); }));
    model.toggleUnit();
}

TEST_F(TrayTest, ATakenShortcutStillShowsAndItsEntryWorks) {
    // Another client holds Ctrl+Shift+V before Spanlet grabs it.
    session.app->hotkeys().unregisterAll();
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    const xcb_setup_t* setup = xcb_get_setup(other);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    // Keycode of "v" on the Xvfb default keymap.
    const auto code = static_cast<xcb_keycode_t>(55);
    for (const int locks : {0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_2),
                            int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2)}) {
        xcb_grab_key(other, 1, root,
                     static_cast<std::uint16_t>(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | locks),
                     code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
    session.app->model().updatePrefs([](Preferences& p) { p.hotkeysEnabled = false; });
    session.app->model().updatePrefs([](Preferences& p) { p.hotkeysEnabled = true; });
    const auto& taken = session.app->hotkeys().unavailable();
    EXPECT_EQ(taken, std::vector<MensorCommand>{MensorCommand::addVerticalGuide});
    QAction* add = action(menu(), QStringLiteral("Add Vertical Guide"));
    EXPECT_EQ(add->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+V")));
    add->trigger();
    EXPECT_TRUE(waitUntil([&] { return !session.app->model().prefs()->guides.isEmpty(); }));
    xcb_disconnect(other);
}

TEST(TrayFallbackTest, WithoutATrayHostTheWelcomeWindowOpens) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    AppSession session; // welcomed before: only the fallback opens a window
    session.app->start();
    EXPECT_FALSE(session.app->trayShown());
    QWidget* welcome = session.app->windows().window(Windows::Kind::welcome);
    ASSERT_NE(welcome, nullptr);
    EXPECT_TRUE(waitUntil([&] { return welcome->isVisible(); }));
    // The hot keys still work.
    EXPECT_EQ(session.app->hotkeys().commands().size(), 10U);
    xdotool({"key", "--clearmodifiers", "ctrl+shift+r"});
    EXPECT_TRUE(waitUntil([&] { return *session.app->model().rulerVisible(); }));
}

} // namespace
} // namespace spanlet::test
