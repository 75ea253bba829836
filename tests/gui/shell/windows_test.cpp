// The tool windows: one per kind, reused, closed by Ctrl+W and Escape, positions remembered.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/ToolWindowRegistry.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

using Windows::Kind;

/// Notes the keys a window gets.
struct KeyWatch : QObject {
    bool sawCtrlShiftW = false;
    bool escapeWhileOpen = false;
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_W &&
                key->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) {
                sawCtrlShiftW = true;
            }
            if (key->key() == Qt::Key_Escape) {
                escapeWhileOpen = static_cast<QWidget*>(target)->isVisible();
            }
        }
        return false;
    }
};

/// Opens the tool window of `kind` and waits until it is shown and active.
QWidget* openActive(AppSession& session, Kind kind) {
    session.app->windows().open(kind);
    QWidget* w = session.app->windows().window(kind);
    EXPECT_TRUE(
        waitUntil([w] { return w && w->isVisible() && QApplication::activeWindow() == w; }));
    return w;
}

TEST(ToolWindowsTest, OneWindowPerKindWithItsTitle) {
    AppSession session;
    session.app->start();
    ToolWindowRegistry& windows = session.app->windows();
    windows.open(Kind::settings);
    QWidget* first = windows.window(Kind::settings);
    ASSERT_NE(first, nullptr);
    windows.open(Kind::settings);
    EXPECT_EQ(windows.window(Kind::settings), first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Spanlet Settings"));
    EXPECT_TRUE(first->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(first->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(first->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(first->minimumSize(), first->maximumSize()) << "fixed size";
    ASSERT_TRUE(waitUntil([&] { return first->isVisible(); }));
    int others = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        others += w != first && w->windowTitle() == first->windowTitle() ? 1 : 0;
    }
    EXPECT_EQ(others, 0);
    windows.open(Kind::colors);
    EXPECT_EQ(windows.window(Kind::colors)->windowTitle(), QStringLiteral("Colors"));
}

struct CloseKeyCase {
    const char* name;
    const char* keys;
};
void PrintTo(const CloseKeyCase& c, std::ostream* os) {
    *os << c.name;
}

class CloseKeys : public ::testing::TestWithParam<CloseKeyCase> {};

TEST_P(CloseKeys, CloseAndReopenTheSameWindowWhereItWas) {
    AppSession session;
    session.app->start();
    ToolWindowRegistry& windows = session.app->windows();
    QWidget* window = openActive(session, Kind::measurements);
    window->move(123, 145);
    settle();
    const QPoint placed = window->pos();
    xdotool({"key", "--clearmodifiers", GetParam().keys});
    ASSERT_TRUE(waitUntil([&] { return !window->isVisible(); }));
    windows.open(Kind::measurements);
    EXPECT_EQ(windows.window(Kind::measurements), window);
    ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
    EXPECT_EQ(window->pos(), placed);
}

INSTANTIATE_TEST_SUITE_P(, CloseKeys,
                         ::testing::Values(CloseKeyCase{"ctrlW", "ctrl+w"},
                                           CloseKeyCase{"escape", "Escape"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ToolWindowsTest, CtrlShiftWDoesNotClose) {
    AppSession session;
    session.app->start();
    QWidget* window = openActive(session, Kind::colors);
    KeyWatch watch;
    window->installEventFilter(&watch);
    xdotool({"key", "--clearmodifiers", "ctrl+shift+w"});
    // Escape afterwards reaches the window only if Ctrl+Shift+W left it open.
    xdotool({"key", "--clearmodifiers", "Escape"});
    ASSERT_TRUE(waitUntil([&] { return !window->isVisible(); }));
    EXPECT_TRUE(watch.sawCtrlShiftW);
    EXPECT_TRUE(watch.escapeWhileOpen);
    window->removeEventFilter(&watch);
}

TEST(ToolWindowsTest, PositionsAreRememberedAcrossLaunches) {
    TempDir shared;
    QPoint placed;
    {
        AppSession first(welcomedPrefs(), {}, shared.path());
        first.app->start();
        first.app->windows().open(Kind::settings);
        QWidget* window = first.app->windows().window(Kind::settings);
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
        window->move(210, 90);
        settle();
        placed = window->pos();
        window->close();
        settle();
    }
    EXPECT_TRUE(std::filesystem::exists(shared.path() / "Spanlet.settings.json"));
    AppSession second(std::nullopt, {}, shared.path());
    second.app->start();
    second.app->windows().open(Kind::settings);
    QWidget* window = second.app->windows().window(Kind::settings);
    ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
    EXPECT_EQ(window->pos(), placed);
}

} // namespace
} // namespace spanlet::test
