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
    // Opens the tool window of `kind` and waits until it is shown and active.
    const auto openActive = [&](Kind kind) {
        windows.open(kind);
        QWidget* w = windows.window(kind);
        EXPECT_TRUE(
            waitUntil([w] { return w && w->isVisible() && QApplication::activeWindow() == w; }));
        return w;
    };
    QWidget* settings = openActive(Kind::settings);
    ASSERT_NE(settings, nullptr);
    windows.open(Kind::settings);
    EXPECT_EQ(windows.window(Kind::settings), settings);
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("Spanlet Settings"));
    EXPECT_EQ(settings->minimumSize(), settings->maximumSize()) << "fixed size";
    const QWidgetList all = QApplication::topLevelWidgets();
    EXPECT_EQ(
        std::count_if(all.begin(), all.end(),
                      [&](QWidget* w) { return w->windowTitle() == settings->windowTitle(); }),
        1);

    // Ctrl+W and Escape close, Ctrl+Shift+W does not: both keys reach the window while open.
    struct KeyWatch : QObject {
        std::vector<bool> openAtKey; // at each key other than a modifier
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
        QWidget* window = openActive(Kind::colors);
        window->installEventFilter(&watch);
        window->move(123, 145);
        settle();
        const QPoint placed = window->pos();
        watch.openAtKey.clear();
        xdotool({"key", "--clearmodifiers", "ctrl+shift+w", keys});
        ASSERT_TRUE(waitUntil([&] { return !window->isVisible(); }));
        EXPECT_EQ(watch.openAtKey, (std::vector<bool>{true, true}));
        windows.open(Kind::colors);
        EXPECT_EQ(windows.window(Kind::colors), window);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Colors"));
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
        EXPECT_EQ(window->pos(), placed);
        window->removeEventFilter(&watch);
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
