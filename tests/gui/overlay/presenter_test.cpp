#include <QImage>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <vector>
#include <xcb/xcb.h>

#include "ImagePresenter.hpp"
#include "OverlayDesk.hpp"

namespace spanlet::test {
namespace {

using overlayx11::ImagePresenter;

/// A pattern no two neighbouring pixels share, translucent in places.
void pattern(QImage& image, int seed) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = (x + y + seed) % 3 == 0 ? 0x80 : 0xff;
            line[x] = qPremultiply(
                qRgba((x * 7 + seed) & 0xff, (y * 5) & 0xff, (x ^ y ^ seed) & 0xff, a));
        }
    }
}

/// A translucent window of ours, presented through shared memory or by sending the pixels.
class ImagePresenterTest : public ::testing::TestWithParam<bool> {};

TEST_P(ImagePresenterTest, PutsExactlyTheDamagedRectanglesOfTheFrame) {
    QWidget window;
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.setGeometry(40, 40, 300, 200);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.windowHandle()->isExposed(); }));
    settle();
    auto presenter =
        ImagePresenter::forWindow(static_cast<std::uint32_t>(window.winId()), GetParam());
    ASSERT_NE(presenter, nullptr);
    const auto shows = [&](const QImage& frame, const QRect& r) {
        return windowImage(static_cast<xcb_window_t>(window.winId()), r,
                           QImage::Format_ARGB32_Premultiplied) == frame.copy(r);
    };

    bool fresh = false;
    QImage& frame = presenter->frame(QSize(300, 200), 1, fresh);
    ASSERT_TRUE(fresh);
    ASSERT_EQ(frame.size(), QSize(300, 200));
    pattern(frame, 0);
    ASSERT_TRUE(presenter->present({frame.rect()}));
    EXPECT_TRUE(waitUntil([&] { return shows(frame, frame.rect()); }));

    // A new frame, of which only two rectangles are put (one off the edge): only they change.
    QImage& next = presenter->frame(QSize(300, 200), 1, fresh);
    ASSERT_FALSE(fresh);
    const QImage before = next.copy();
    pattern(next, 1);
    const QRect put1(10, 20, 30, 40);
    const QRect put2(280, 150, 60, 90);
    ASSERT_TRUE(presenter->present({put1, put2}));
    EXPECT_TRUE(waitUntil([&] { return shows(next, put1) && shows(next, put2 & next.rect()); }));
    EXPECT_TRUE(shows(before, QRect(100, 60, 50, 50))) << "a pixel outside the damage changed";

    // A frame of another size starts clear; a discarded frame is made anew.
    QImage& bigger = presenter->frame(QSize(600, 400), 2, fresh);
    EXPECT_TRUE(fresh);
    EXPECT_EQ(bigger.size(), QSize(600, 400));
    EXPECT_EQ(bigger.devicePixelRatio(), 2);
    EXPECT_EQ(bigger.pixel(599, 399), 0U);
    presenter->discardFrame();
    EXPECT_TRUE(presenter->present({QRect(0, 0, 10, 10)})) << "nothing to put is no failure";
    presenter->frame(QSize(600, 400), 2, fresh);
    EXPECT_TRUE(fresh);
}

INSTANTIATE_TEST_SUITE_P(Transports, ImagePresenterTest, ::testing::Values(true, false),
                         [](const auto& row) { return row.param ? "shared_memory" : "sent"; });

} // namespace
} // namespace spanlet::test
