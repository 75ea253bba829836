#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/stat.h>

#include <spanlet/wayland/CaptureRegion.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/OverlaySurface.hpp>
#include <spanlet/wayland/WaylandCapture.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "support/SwaySession.hpp"

namespace spanlet::test {
namespace {

using wayland::WaylandCapture;
using wayland::WaylandConnection;

constexpr int kWidth = 1280; // the output's device pixels
constexpr int kHeight = 800;
constexpr double kScale = 2;

// Every device pixel of the wallpaper differs from its neighbours and from far ones.
RGBA scenePixel(std::int64_t x, std::int64_t y) {
    return {static_cast<std::uint8_t>(x & 255), static_cast<std::uint8_t>(y & 255),
            static_cast<std::uint8_t>(((x >> 8) << 4) | (y >> 8)), 255};
}

std::string writeScene(const std::string& folder) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const RGBA p = scenePixel(x, y);
            image.setPixel(x, y, qRgb(p.r, p.g, p.b));
        }
    }
    const std::string path = folder + "/scene.png";
    image.save(QString::fromStdString(path));
    chmod(path.c_str(), 0644);
    return path;
}

// What a capture of `rect` (points) at `scale` must give: the wallpaper's pixels from the rect's
// top-left device pixel on, clear outside the output.
PixelBuffer expected(const Rect& rect, double scale) {
    const ScreenCapture::PixelSize size = ScreenCapture::outputSize(rect, scale);
    PixelBuffer pixels(size.width, size.height, RGBA::clear);
    const auto left = static_cast<std::int64_t>(std::round(rect.x * scale));
    const auto top = static_cast<std::int64_t>(std::round(rect.y * scale));
    for (std::int64_t j = 0; j < size.height; ++j) {
        for (std::int64_t i = 0; i < size.width; ++i) {
            if (left + i < kWidth && top + j < kHeight) {
                pixels(i, j) = scenePixel(left + i, top + j);
            }
        }
    }
    return pixels;
}

// At scale 2; that captures leave our overlay out at every scale is the conformance suite's.
class WaylandCaptureTest : public SwayTest {
protected:
    CaptureResult<PixelBuffer> grab(const Rect& rect) {
        std::optional<CaptureResult<PixelBuffer>> result;
        capture->pixels(filter, rect, kScale, [&](auto r) { result = std::move(r); });
        if (!connection->dispatchUntil([&] { return result.has_value(); })) {
            return ScreenCapture::Error{"no answer"};
        }
        return *result;
    }

    void SetUp() override {
        SwayTest::SetUp();
        ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-1", "scale", "2"}));
        ASSERT_TRUE(sway.swaymsg(
            {"output", "*", "bg", writeScene(sway.runtimeFolder()), "center", "#ff00ff"}));
        connection = WaylandConnection::connect();
        ASSERT_TRUE(connection);
        capture = std::make_unique<WaylandCapture>(*connection);
        const std::uint32_t id = connection->outputs().screens().at(0).id;
        std::optional<CaptureResult<ScreenCapture::Filter>> made;
        capture->filter(id, [&](auto f) { made = std::move(f); });
        ASSERT_TRUE(connection->dispatchUntil([&] { return made.has_value(); }));
        ASSERT_TRUE(std::holds_alternative<ScreenCapture::Filter>(*made));
        filter = std::get<ScreenCapture::Filter>(*made);
        // swaybg draws the wallpaper a moment after it starts.
        const Rect probe{10, 10, 17, 17};
        const auto shown = [&] {
            const CaptureResult<PixelBuffer> r = grab(probe);
            return std::holds_alternative<PixelBuffer>(r) &&
                   std::get<PixelBuffer>(r) == expected(probe, kScale);
        };
        for (int i = 0; i < 100 && !shown(); ++i) {
            connection->dispatchUntil([] { return false; }, std::chrono::milliseconds(50));
        }
        ASSERT_TRUE(shown()) << "the wallpaper never showed";
    }

    std::unique_ptr<WaylandConnection> connection;
    std::unique_ptr<WaylandCapture> capture;
    ScreenCapture::Filter filter;
};

// A capture gives the screen's own pixels at full resolution, clear outside the output, and fails
// for an id that is no display. Our overlay is part of what screencopy copies: with the captured
// rectangles cleared first, the capture is the scene under the overlay. Repeated sets of a row, a
// column and a loupe, in flight together as snapping asks for them, reuse the capture's and the
// overlay's buffers; the time per set is printed for the record.
TEST_F(WaylandCaptureTest, seesUnderOurOverlayThroughItsHoles) {
    const double s = kScale;
    const Rect rects[] = {{0, 123, kWidth / s, 1}, {77, 0, 1, kHeight / s}, {300.5, 200.5, 17, 17}};
    const Rect partlyOutside{kWidth / s - 5, kHeight / s - 2, 10, 10};
    const CaptureResult<PixelBuffer> edge = grab(partlyOutside);
    ASSERT_TRUE(std::holds_alternative<PixelBuffer>(edge));
    EXPECT_TRUE(std::get<PixelBuffer>(edge) == expected(partlyOutside, s));
    std::optional<CaptureResult<PixelBuffer>> lost;
    capture->pixels({filter.displayId + 1, filter.handle}, rects[0], s,
                    [&](auto r) { lost = std::move(r); });
    ASSERT_TRUE(connection->dispatchUntil([&] { return lost.has_value(); }));
    EXPECT_EQ(std::get<ScreenCapture::Error>(*lost),
              ScreenCapture::Error{ScreenCapture::Failure::noDisplay});
    std::vector<PixelBuffer> under;
    for (const Rect& rect : rects) {
        under.push_back(expected(rect, s));
    }
    wayland::OverlaySurface overlay(*connection, connection->outputs().output(filter.displayId), s);
    ASSERT_TRUE(connection->dispatchUntil([&] { return overlay.configured(); }));
    ASSERT_EQ(overlay.width(), kWidth);
    std::fill(overlay.canvas().begin(), overlay.canvas().end(), 0xC0800000U); // translucent red
    const wayland::PixelRect all{0, 0, overlay.width(), overlay.height()};
    overlay.present({&all, 1});
    overlay.punch({}); // commits now, not at the next frame
    const CaptureResult<PixelBuffer> covered = grab(rects[2]);
    ASSERT_TRUE(std::holds_alternative<PixelBuffer>(covered));
    EXPECT_FALSE(std::get<PixelBuffer>(covered) == under[2]) << "overlay not shown";

    std::vector<wayland::PixelRect> holes;
    for (const Rect& r : rects) {
        holes.push_back(CaptureRegion::devicePixels(r, s));
    }
    std::vector<double> times;
    std::size_t made = 0;
    for (int i = 0; i < 10; ++i) {
        const auto start = std::chrono::steady_clock::now();
        overlay.punch(holes); // the copies are asked for at once, in the same turn
        std::vector<std::optional<CaptureResult<PixelBuffer>>> seen(std::size(rects));
        for (std::size_t k = 0; k < seen.size(); ++k) {
            capture->pixels(filter, rects[k], s, [&, k](auto r) { seen[k] = std::move(r); });
        }
        ASSERT_TRUE(connection->dispatchUntil([&] {
            return std::all_of(seen.begin(), seen.end(),
                               [](const auto& r) { return r.has_value(); });
        }));
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        for (std::size_t k = 0; k < seen.size(); ++k) {
            ASSERT_TRUE(std::holds_alternative<PixelBuffer>(*seen[k]));
            EXPECT_TRUE(std::get<PixelBuffer>(*seen[k]) == under[k]) << k;
        }
        for (const wayland::PixelRect& hole : holes) {
            overlay.closeHole(hole);
        }
        overlay.present(holes); // the overlay's pixels back, as after drawing a measurement
        made = i == 0 ? capture->buffersMade() : made;
    }
    EXPECT_EQ(capture->buffersMade(), made);
    std::sort(times.begin(), times.end());
    std::cout << "holes shown, then row, column and loupe captured, at scale " << s << ": median "
              << times[times.size() / 2] << " ms\n";
    EXPECT_LE(overlay.buffersMade(), 3U);
}

} // namespace
} // namespace spanlet::test
