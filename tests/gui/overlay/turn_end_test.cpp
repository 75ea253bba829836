#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include <spanlet/platform/qt/TurnEnd.hpp>

namespace spanlet::test {
namespace {

// Work asked for in a turn runs once it is over, in the order asked (what it asks for in turn
// after it), never inside the call, and not once its context is gone; also in a loop that
// processes events without waiting. Closing work runs after all of that, though asked first.
TEST(TurnEndTest, RunsInOrderAfterTheTurnUnlessItsContextIsGone) {
    std::vector<int> ran;
    QObject context;
    auto gone = std::make_unique<QObject>();
    QEventLoop loop;
    QTimer::singleShot(0, &context, [&] {
        afterTurnEndWork(&context, [&] {
            ran.push_back(9);
            loop.quit();
        });
        atTurnEnd(&context, [&] {
            ran.push_back(1);
            atTurnEnd(&context, [&] { ran.push_back(3); });
        });
        atTurnEnd(gone.get(), [&] { ran.push_back(0); });
        atTurnEnd(&context, [&] { ran.push_back(2); });
        gone.reset();
        EXPECT_TRUE(ran.empty());
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 9}));

    // Work asked for while the queue runs runs with it, and nothing is left to turn the loop
    // again: waiting for events after that waits for the next one.
    bool next = false;
    atTurnEnd(&context, [&] { atTurnEnd(&context, [&] { ran.push_back(5); }); });
    QTimer::singleShot(50, &context, [&] { next = true; });
    QAbstractEventDispatcher::instance()->processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(ran.back(), 5);
    EXPECT_TRUE(next) << "the loop turned again with nothing to do";

    atTurnEnd(&context, [&] { ran.push_back(4); });
    for (int i = 0; i < 10 && ran.back() != 4; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(ran.back(), 4);
}

} // namespace
} // namespace spanlet::test
