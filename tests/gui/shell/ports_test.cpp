// The Qt implementations of the model's clock, clipboard and announcer, on a real display.
#include <QAccessible>
#include <QLabel>
#include <QWindow>
#include <gtest/gtest.h>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/QtAnnouncer.hpp>
#include <spanlet/shell/QtClipboard.hpp>
#include <spanlet/shell/QtClock.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

using namespace std::chrono_literals;

TEST(QtClockTest, RunsWorkLaterInTimeOrder) {
    QtClock clock;
    std::vector<int> ran;
    clock.schedule(30ms, [&] { ran.push_back(3); });
    clock.schedule(0ms, [&] { ran.push_back(1); });
    clock.schedule(16ms, [&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty()) << "nothing runs inside schedule()";
    ASSERT_TRUE(waitUntil([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(clock.fired(), 3);
}

TEST(QtClockTest, CancelledWorkNeverRuns) {
    QtClock clock;
    bool cancelledRan = false;
    bool otherRan = false;
    const TimerHandle handle = clock.schedule(5ms, [&] { cancelledRan = true; });
    clock.schedule(20ms, [&] { otherRan = true; });
    handle.cancel();
    ASSERT_TRUE(waitUntil([&] { return otherRan; }));
    EXPECT_FALSE(cancelledRan);
    EXPECT_EQ(clock.fired(), 1);
    EXPECT_EQ(clock.wakeUps(), 2);
    EXPECT_TRUE(handle.isCancelled());
}

// Read back by another client (xclip) after the copying window is gone.
TEST(QtClipboardTest, TextOutlivesTheWindowThatCopiedIt) {
    QtClipboard clipboard;
    {
        QLabel window(QStringLiteral("copying"));
        window.show();
        ASSERT_TRUE(waitUntil([&] { return window.isVisible(); }));
        clipboard.setText("width: 120px;");
        window.close();
    }
    settle();
    EXPECT_EQ(clipboardText(), std::optional<std::string>("width: 120px;"));
}

/// What accessibility clients were sent.
struct SentEvent {
    QAccessible::Event type;
    QAccessible::Role role;
    QString name;
};
std::vector<SentEvent>* sentEvents = nullptr;

void recordUpdate(QAccessibleEvent* event) {
    if (!sentEvents) {
        return;
    }
    QAccessibleInterface* iface = event->accessibleInterface();
    sentEvents->push_back(SentEvent{event->type(), iface ? iface->role() : QAccessible::NoRole,
                                    iface ? iface->text(QAccessible::Name) : QString()});
}

class AnnouncerTest : public ::testing::Test {
protected:
    void SetUp() override {
        sentEvents = &events;
        previous = QAccessible::installUpdateHandler(recordUpdate);
        // Qt sends accessibility events only while a client listens on the accessibility
        // bus; the test main starts a session bus and keeps Qt's bridge switched on.
        ASSERT_TRUE(waitUntil([] { return QAccessible::isActive(); }));
    }
    void TearDown() override {
        QAccessible::installUpdateHandler(previous);
        sentEvents = nullptr;
    }
    /// The names of the notifications shown, in order.
    [[nodiscard]] std::vector<QString> shownNotifications() const {
        std::vector<QString> names;
        for (const SentEvent& e : events) {
            if (e.type == QAccessible::ObjectShow && e.role == QAccessible::Notification) {
                names.push_back(e.name);
            }
        }
        return names;
    }

    std::vector<SentEvent> events;
    QAccessible::UpdateHandler previous = nullptr;
};

TEST_F(AnnouncerTest, SendsNameChangeThenShowOfANotification) {
    QtAnnouncer announcer;
    announcer.announce("Edge snapping on");
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0].type, QAccessible::NameChanged);
    EXPECT_EQ(events[1].type, QAccessible::ObjectShow);
    for (const SentEvent& e : events) {
        EXPECT_EQ(e.role, QAccessible::Notification);
        EXPECT_EQ(e.name, QStringLiteral("Edge snapping on"));
    }
}

TEST_F(AnnouncerTest, ModelAnnouncementsReachClients) {
    // Another application's white 200 × 120 box on the black desktop, measured with edge
    // snapping and copied: both the switch and the copy are spoken.
    QWidget box(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    box.setStyleSheet(QStringLiteral("background: white"));
    box.setGeometry(300, 200, 200, 120);
    box.show();
    ASSERT_TRUE(waitUntil([&] { return box.windowHandle() && box.windowHandle()->isExposed(); }));
    xdotool({"mousemove", "--sync", "400", "260"});

    AppSession session;
    Mensor& model = session.app->model();
    session.app->start();
    events.clear();
    model.enableSnapping();
    ASSERT_TRUE(waitUntil([&] { return model.live()->has_value(); }));
    const Cross cross = **model.live();
    EXPECT_EQ(cross.widthPixels(), 200);
    EXPECT_EQ(cross.heightPixels(), 120);
    model.copyMeasurement();
    const std::string spoken = "Copied 200 by 120 points";
    const auto names = shownNotifications();
    EXPECT_NE(std::find(names.begin(), names.end(), QStringLiteral("Edge snapping on")),
              names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), QString::fromStdString(spoken)), names.end())
        << spoken;
    model.disableSnapping();
}

} // namespace
} // namespace spanlet::test
