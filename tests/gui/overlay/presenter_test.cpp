#include <QImage>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>
#include <xcb/xcb.h>

#include "ImagePresenter.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {
namespace {

using overlayx11::ImagePresenter;

/// The window's own pixels (its backing pixmap under a compositor), ARGB words.
QImage windowPixels(xcb_connection_t* c, xcb_window_t window, const QRect& r) {
    QImage out(r.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::black);
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, static_cast<std::int16_t>(r.x()),
                      static_cast<std::int16_t>(r.y()), static_cast<std::uint16_t>(r.width()),
                      static_cast<std::uint16_t>(r.height()), ~0U),
        nullptr);
    if (image != nullptr && xcb_get_image_data_length(image) >= r.width() * r.height() * 4) {
        const std::uint8_t* data = xcb_get_image_data(image);
        for (int y = 0; y < r.height(); ++y) {
            std::memcpy(out.scanLine(y), data + static_cast<std::ptrdiff_t>(y) * r.width() * 4,
                        static_cast<std::size_t>(r.width()) * 4);
        }
    }
    std::free(image);
    return out;
}

/// A translucent window of ours, presented through shared memory or by sending the pixels.
class ImagePresenterTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        window.setAttribute(Qt::WA_TranslucentBackground);
        window.setGeometry(40, 40, 300, 200);
        window.show();
        ASSERT_TRUE(waitUntil([&] { return window.windowHandle()->isExposed(); }));
        settle();
        connection = xcb_connect(nullptr, nullptr);
        ASSERT_EQ(xcb_connection_has_error(connection), 0);
        presenter =
            ImagePresenter::forWindow(static_cast<std::uint32_t>(window.winId()), GetParam());
        ASSERT_NE(presenter, nullptr);
    }
    void TearDown() override {
        presenter.reset();
        xcb_disconnect(connection);
    }

    /// A pattern no two neighbouring pixels share, translucent in places.
    static void pattern(QImage& image, int seed) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int a = (x + y + seed) % 3 == 0 ? 0x80 : 0xff;
                line[x] = qPremultiply(
                    qRgba((x * 7 + seed) & 0xff, (y * 5) & 0xff, (x ^ y ^ seed) & 0xff, a));
            }
        }
    }

    /// Whether the window shows exactly the frame inside `r`.
    [[nodiscard]] bool shows(const QImage& frame, const QRect& r) const {
        return windowPixels(connection, static_cast<xcb_window_t>(window.winId()), r) ==
               frame.copy(r);
    }

    QWidget window;
    xcb_connection_t* connection = nullptr;
    std::unique_ptr<ImagePresenter> presenter;
};

TEST_P(ImagePresenterTest, PutsExactlyTheDamagedRectangles) {
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
    EXPECT_TRUE(windowPixels(connection, static_cast<xcb_window_t>(window.winId()),
                             QRect(100, 60, 50, 50)) == before.copy(100, 60, 50, 50))
        << "a pixel outside the damage changed";
}

TEST_P(ImagePresenterTest, AFrameOfAnotherSizeStartsClear) {
    bool fresh = false;
    presenter->frame(QSize(300, 200), 1, fresh);
    QImage& bigger = presenter->frame(QSize(600, 400), 2, fresh);
    EXPECT_TRUE(fresh);
    EXPECT_EQ(bigger.size(), QSize(600, 400));
    EXPECT_EQ(bigger.devicePixelRatio(), 2);
    EXPECT_EQ(bigger.pixel(599, 399), 0U);
    presenter->discardFrame();
    EXPECT_TRUE(presenter->present({QRect(0, 0, 10, 10)})) << "nothing to put is no failure";
    presenter->frame(QSize(600, 400), 2, fresh);
    EXPECT_TRUE(fresh) << "a discarded frame is made anew";
}

INSTANTIATE_TEST_SUITE_P(Transports, ImagePresenterTest, ::testing::Values(true, false),
                         [](const auto& row) { return row.param ? "shared_memory" : "sent"; });

} // namespace
} // namespace spanlet::test
