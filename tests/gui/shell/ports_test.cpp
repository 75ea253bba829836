// The Qt implementations of the model's clock, clipboard and announcer, on a real display.
#include <QAccessible>
#include <QLabel>
#include <gtest/gtest.h>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/QtAnnouncer.hpp>
#include <spanlet/shell/QtClipboard.hpp>
#include <spanlet/shell/QtClock.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

using namespace std::chrono_literals;

TEST(QtClockTest, RunsWorkLaterInTimeOrderAndNeverCancelledWork) {
    QtClock clock;
    std::vector<int> ran;
    clock.schedule(30ms, [&] { ran.push_back(3); });
    clock.schedule(0ms, [&] { ran.push_back(1); });
    const TimerHandle cancelled = clock.schedule(5ms, [&] { ran.push_back(0); });
    clock.schedule(16ms, [&] { ran.push_back(2); });
    cancelled.cancel();
    EXPECT_TRUE(ran.empty()) << "nothing runs inside schedule()";
    ASSERT_TRUE(waitUntil([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(clock.fired(), 3);
    EXPECT_EQ(clock.wakeUps(), 4) << "the cancelled one wakes, and does nothing";
}

// Read back by another client (xclip) after the copying window is gone.
TEST(QtClipboardTest, TextOutlivesTheWindowThatCopiedIt) {
    QtClipboard clipboard;
    {
        QLabel window(QStringLiteral("copying"));
        window.show();
        ASSERT_TRUE(waitUntil([&] { return window.isVisible(); }));
        clipboard.setText("width: 120px;");
    }
    settle();
    EXPECT_EQ(clipboardText(), std::optional<std::string>("width: 120px;"));
}

/// The notifications accessibility clients were sent: event type and name.
using SentEvent = std::pair<QAccessible::Event, QString>;
std::vector<SentEvent> sentEvents;

void recordUpdate(QAccessibleEvent* event) {
    QAccessibleInterface* iface = event->accessibleInterface();
    if (iface && iface->role() == QAccessible::Notification) {
        sentEvents.emplace_back(event->type(), iface->text(QAccessible::Name));
    }
}

TEST(AnnouncerTest, SendsNameChangeThenShowOfANotificationForWhatTheModelSays) {
    QAccessible::installUpdateHandler(recordUpdate); // left in place: it only records
    // Qt sends accessibility events only while a client listens on the accessibility bus; the
    // test main starts a session bus and keeps Qt's bridge switched on.
    ASSERT_TRUE(waitUntil([] { return QAccessible::isActive(); }));
    const auto notified = [](const char* text) {
        const QString name = QString::fromUtf8(text);
        return std::vector<SentEvent>{{QAccessible::NameChanged, name},
                                      {QAccessible::ObjectShow, name}};
    };
    sentEvents.clear();
    QtAnnouncer().announce("Guides cleared");
    EXPECT_EQ(sentEvents, notified("Guides cleared"));

    AppSession session; // the application's model speaks through it
    session.app->start();
    sentEvents.clear();
    session.app->model().enableSnapping();
    EXPECT_EQ(sentEvents, notified("Edge snapping on"));
    session.app->model().disableSnapping();
}

} // namespace
} // namespace spanlet::test
