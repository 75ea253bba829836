// Still frames through the Screenshot and ScreenCast portals, against a fake portal on the
// test's own session bus: the screenshot cut per display and its file gone, the user's "no"
// from either portal, and the ScreenCast restore token kept and offered the next time.
#include <QColor>
#include <QDBusConnection>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

#include <spanlet/stillframe/PortalScreenCast.hpp>
#include <spanlet/stillframe/PortalScreenshot.hpp>

#include "FakeFramePortal.hpp"

namespace spanlet::testing {
namespace {

using stillframe::FrameRefusal;
using stillframe::FrameResult;

/// A at scale 1, 100x80 points; B to its right at scale 2, 50x40 points.
std::vector<ScreenInfo> displays() {
    return {{1, {0, 0, 100, 80}, {}, DisplayScale::standard},
            {2, {100, 0, 50, 40}, {}, DisplayScale::retina}};
}

/// What `source` answers for displays().
FrameResult grabbed(stillframe::FrameSource& source) {
    std::optional<FrameResult> result;
    source.grab(displays(), [&](FrameResult r) { result = std::move(r); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }));
    return result.value_or(FrameRefusal{});
}

/// The refusal's kind, or nothing when frames came.
std::optional<FrameRefusal::Kind> refusalOf(const FrameResult& result) {
    const auto* refusal = std::get_if<FrameRefusal>(&result);
    return refusal != nullptr ? std::optional(refusal->kind) : std::nullopt;
}

class PortalFramesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(portal.ok()); }

    QTemporaryDir folder;
    FakeFramePortal portal{folder.path()};
};

TEST_F(PortalFramesTest, ScreenshotIsCutPerDisplayAtItsOwnPixelsAndItsFileIsGone) {
    // The desktop as GNOME Shell pictures it: 150x80 points at the largest scale, 2. A covers
    // the left 200x160 pixels, B the top right 100x80; below B is no display.
    portal.picture = QImage(300, 160, QImage::Format_RGB32);
    portal.picture.fill(Qt::green);
    QPainter painter(&portal.picture);
    painter.fillRect(0, 0, 200, 160, Qt::red);
    painter.fillRect(200, 0, 100, 80, Qt::blue);
    painter.end();

    stillframe::PortalScreenshot source(QDBusConnection::sessionBus());
    const FrameResult result = grabbed(source);
    const auto* frames = std::get_if<std::vector<stillframe::DisplayFrame>>(&result);
    ASSERT_NE(frames, nullptr);
    ASSERT_EQ(frames->size(), 2U);
    EXPECT_EQ(frames->at(0).displayId, 1U);
    EXPECT_EQ(frames->at(0).image.size(), QSize(100, 80)) << "scaled down to A's own pixels";
    EXPECT_EQ(frames->at(0).image.pixelColor(99, 79), QColor(Qt::red));
    EXPECT_EQ(frames->at(1).image.size(), QSize(100, 80));
    EXPECT_EQ(frames->at(1).image.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(frames->at(1).image.pixelColor(99, 79), QColor(Qt::blue));
    EXPECT_FALSE(QFile::exists(portal.lastScreenshotFile)) << "nothing captured stays on disk";
}

TEST_F(PortalFramesTest, TheUsersNoToEitherPortalIsARefusal) {
    portal.screenshotCode = 1;
    portal.startCode = 1;
    stillframe::PortalScreenshot screenshot(QDBusConnection::sessionBus());
    stillframe::PortalScreenCast screenCast(QDBusConnection::sessionBus(),
                                            folder.filePath(QStringLiteral("state")).toStdString());
    EXPECT_EQ(refusalOf(grabbed(screenshot)), FrameRefusal::Kind::refused);
    EXPECT_EQ(refusalOf(grabbed(screenCast)), FrameRefusal::Kind::refused);
    EXPECT_TRUE(QTest::qWaitFor([&] { return portal.openSessions == 0; }))
        << "the session is closed";
}

TEST_F(PortalFramesTest, ScreenCastKeepsTheRestoreTokenAndOffersItNextTime) {
    const std::string state = folder.filePath(QStringLiteral("state")).toStdString();
    portal.restoreToken = QStringLiteral("first");
    {
        stillframe::PortalScreenCast screenCast(QDBusConnection::sessionBus(), state);
        // No streams: the frames fail, the token is kept all the same.
        EXPECT_EQ(refusalOf(grabbed(screenCast)), FrameRefusal::Kind::unavailable);
        EXPECT_FALSE(portal.selected.contains(QStringLiteral("restore_token")));
    }
    stillframe::PortalScreenCast again(QDBusConnection::sessionBus(), state);
    grabbed(again);
    EXPECT_EQ(portal.selected.value(QStringLiteral("restore_token")).toString(),
              QStringLiteral("first"));
}

} // namespace
} // namespace spanlet::testing
