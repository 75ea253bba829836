// The tool windows: one per kind, reused, closed by Ctrl+W and Escape (not Ctrl+Shift+W), their
// positions remembered across launches.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <spanlet/shell/ToolWindowRegistry.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

using Windows::Kind;

TEST(ToolWindowsTest, OneReusedWindowPerKindClosedByItsKeysAndPlacedWhereItWasLeft) {
    AppSession session;
    session.app->start();
    ToolWindowRegistry& windows = session.app->windows();
    // Whether the window was open at each key press other than a modifier: Ctrl+Shift+W and
    // the closing key both reach it while it is open.
    struct KeyWatch : QObject {
        std::vector<bool> openAtKey;
        bool eventFilter(QObject* target, QEvent* event) override {
            const int key = event->type() == QEvent::KeyPress
                                ? static_cast<QKeyEvent*>(event)->key()
                                : Qt::Key_Shift;
            if (key < Qt::Key_Shift || key > Qt::Key_Alt) {
                openAtKey.push_back(static_cast<QWidget*>(target)->isVisible());
            }
            return false;
        }
    } watch;
    for (const char* keys : {"ctrl+w", "Escape"}) {
        SCOPED_TRACE(keys);
        windows.open(Kind::colors);
        QWidget* window = windows.window(Kind::colors);
        ASSERT_TRUE(waitUntil([&] {
            return window && window->isVisible() && QApplication::activeWindow() == window;
        }));
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Colors"));
        window->installEventFilter(&watch);
        window->move(123, 145);
        settle();
        const QPoint placed = window->pos();
        watch.openAtKey.clear();
        xdotool({"key", "--clearmodifiers", "ctrl+shift+w", keys});
        ASSERT_TRUE(waitUntil([&] { return !window->isVisible(); }));
        EXPECT_EQ(watch.openAtKey, (std::vector<bool>{true, true}));
        window->removeEventFilter(&watch);
        windows.open(Kind::colors);
        EXPECT_EQ(windows.window(Kind::colors), window);
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
        EXPECT_EQ(window->pos(), placed);
    }

    // The place is remembered across launches too.
    const QPoint placed = windows.window(Kind::colors)->pos();
    session.app.reset();
    AppSession next(std::nullopt, session.directory);
    next.app->start();
    next.app->windows().open(Kind::colors);
    QWidget* window = next.app->windows().window(Kind::colors);
    ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
    EXPECT_EQ(window->pos(), placed);
}

} // namespace
} // namespace spanlet::test
