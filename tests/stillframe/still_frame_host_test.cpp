// The still-frame back end's overlay and capture on a real Wayland compositor (a headless sway,
// at the scale SPANLET_TEST_SCALE gives), with a frame source of the test's own: the frame
// shows exactly under the overlay, captures read the frame, and the session ends cleanly.
#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <variant>

#include <spanlet/stillframe/FrameWindow.hpp>
#include <spanlet/stillframe/StillFramePlatform.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandCapture.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandEventPump.hpp>

#include "support/SwaySession.hpp"

namespace spanlet::test {
namespace {

using stillframe::DisplayFrame;
using stillframe::FrameRefusal;
using stillframe::FrameResult;

double testScale() {
    const char* value = std::getenv("SPANLET_TEST_SCALE");
    return value != nullptr ? std::atof(value) : 1.0;
}

// Every device pixel different from its neighbours, so that a shift or a smoothed pixel shows.
RGBA patternAt(int x, int y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
            static_cast<std::uint8_t>(x * 7 + y * 13), 255};
}

const RGBA kRed{255, 0, 0, 255};
// How far along the pattern each display's frame starts after the one before.
constexpr int kAlong = 50;
// Where the overlay paints red (display-local points).
constexpr Rect kSpot{100, 100, 20, 20};
// What the checks read (display-local points), the spot and the frame around it.
constexpr Rect kRead{90, 90, 40, 40};

bool waitUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

/// Answers every grab, later, with the pattern for each display, or with a refusal.
class PatternSource final : public stillframe::FrameSource {
public:
    std::optional<FrameRefusal> refusal;
    int shift = 0; ///< frames show the pattern moved left by this many pixels
    int grabs = 0;

    void grab(const std::vector<ScreenInfo>& displays,
              std::function<void(FrameResult)> done) override {
        ++grabs;
        FrameResult result = refusal ? FrameResult(*refusal) : FrameResult(frames(displays));
        QTimer::singleShot(0,
                           [done = std::move(done), result = std::move(result)] { done(result); });
    }

private:
    [[nodiscard]] std::vector<DisplayFrame> frames(const std::vector<ScreenInfo>& displays) const {
        std::vector<DisplayFrame> out;
        int along = 0; // each later display's pattern starts further along
        for (const ScreenInfo& d : displays) {
            const double s = d.scale.factor();
            QImage image(static_cast<int>(d.frame.width * s), static_cast<int>(d.frame.height * s),
                         QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const RGBA p = patternAt(x + shift + along, y);
                    image.setPixel(x, y, qRgb(p.r, p.g, p.b));
                }
            }
            out.push_back({d.id, image});
            along += kAlong;
        }
        return out;
    }
};

struct HeardKeys final : OverlayInput {
    std::vector<OverlayKey> keys;
    std::optional<std::pair<std::uint32_t, Point>> moved;
    void pointerMoved(std::uint32_t id, Point at) override { moved = {id, at}; }
    void buttonPressed(std::uint32_t /*id*/, Point /*at*/, OverlayButton /*b*/) override {}
    void buttonReleased(std::uint32_t /*id*/, Point /*at*/, OverlayButton /*b*/) override {}
    void keyPressed(std::uint32_t /*id*/, const OverlayKeyPress& key) override {
        keys.push_back(key.key);
    }
};

// The first pixel of `actual` that differs from what `expected` gives (device pixels of the
// display), or empty.
std::string firstDifference(const PixelBuffer& actual,
                            const std::function<RGBA(int, int)>& expected, int left, int top) {
    for (std::int64_t y = 0; y < actual.height(); ++y) {
        for (std::int64_t x = 0; x < actual.width(); ++x) {
            const int dx = left + static_cast<int>(x);
            const int dy = top + static_cast<int>(y);
            const RGBA want = expected(dx, dy);
            const RGBA got = actual(x, y);
            if (!(got == want)) {
                return "at device (" + std::to_string(dx) + ", " + std::to_string(dy) +
                       "): " + std::to_string(got.r) + "," + std::to_string(got.g) + "," +
                       std::to_string(got.b) + " instead of " + std::to_string(want.r) + "," +
                       std::to_string(want.g) + "," + std::to_string(want.b);
            }
        }
    }
    return {};
}

CaptureResult<PixelBuffer> captured(CapturePort& port, std::uint32_t id, const Rect& rect,
                                    double scale) {
    std::optional<CaptureResult<ScreenCapture::Filter>> filter;
    port.filter(id, [&](auto f) { filter = std::move(f); });
    if (!waitUntil([&] { return filter.has_value(); })) {
        return ScreenCapture::Error{std::string("no filter")};
    }
    if (const auto* error = std::get_if<ScreenCapture::Error>(&*filter)) {
        return *error;
    }
    std::optional<CaptureResult<PixelBuffer>> pixels;
    port.pixels(std::get<ScreenCapture::Filter>(*filter), rect, scale,
                [&](auto p) { pixels = std::move(p); });
    if (!waitUntil([&] { return pixels.has_value(); })) {
        return ScreenCapture::Error{std::string("no pixels")};
    }
    return *pixels;
}

SwaySession* session = nullptr; ///< the compositor every test runs on

class StillFrameHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(screen) << "no connection of our own to the compositor";
        ASSERT_TRUE(screen->dispatchUntil([&] { return !screen->outputs().screens().empty(); }));
        auto owned = std::make_unique<PatternSource>();
        source = owned.get();
        platform = std::make_unique<stillframe::StillFramePlatform>(
            std::move(owned), [] { return true; },
            [this](const std::string& message) { refusals.push_back(message); });
        display = platform->displays().currentScreens().front();
        ASSERT_NEAR(display.scale.factor(), scale, 0.001);
        OverlayHost& host = platform->overlay();
        // The overlay: the spot in red, clear elsewhere (the test repaints it whole).
        host.bind(
            [](std::uint32_t /*id*/, const OverlayCanvas& canvas, std::span<const Rect> /*r*/) {
                QImage image(canvas.bits, canvas.width, canvas.height, canvas.stride,
                             QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
                const double s = canvas.scale;
                QPainter(&image).fillRect(
                    QRect(static_cast<int>(kSpot.x * s), static_cast<int>(kSpot.y * s),
                          static_cast<int>(kSpot.width * s), static_cast<int>(kSpot.height * s)),
                    Qt::red);
            },
            &input);
        host.rebuild(platform->displays().currentScreens());
        const Rect whole{0, 0, display.frame.width, display.frame.height};
        host.update(display.id, {std::span(&whole, 1), std::span(&whole, 1), {}});
    }

    void TearDown() override { platform.reset(); }

    /// The screen as the compositor shows it on output `index`, through screencopy, where
    /// `rect` (display-local points of ours) covers it; sway's points are ours only where Qt
    /// adds no scale of its own.
    CaptureResult<PixelBuffer> onScreen(const Rect& rect, std::size_t index = 0) {
        const ScreenInfo output = screen->outputs().screens().at(index);
        const double ratio = scale / output.scale.factor();
        return captured(screenCopy, output.id,
                        {rect.x * ratio, rect.y * ratio, rect.width * ratio, rect.height * ratio},
                        output.scale.factor());
    }

    /// Device pixels of the display where `rect` starts.
    [[nodiscard]] int device(double points) const { return static_cast<int>(points * scale); }

    double scale = testScale();
    std::unique_ptr<wayland::WaylandConnection> screen = wayland::WaylandConnection::connect();
    wayland::WaylandEventPump pump{*screen};
    wayland::WaylandCapture screenCopy{*screen};
    PatternSource* source = nullptr;
    std::vector<std::string> refusals;
    HeardKeys input;
    std::unique_ptr<stillframe::StillFramePlatform> platform;
    ScreenInfo display;
};

// Shown while snapping, each display shows its frame one device pixel per pixel with the
// overlay's pixels over it; captures give the frame's pixels, the overlay left out. Hidden, the
// windows go and so does the frame.
TEST_F(StillFrameHostTest, ShowsTheFrameUnderTheOverlayAndCapturesTheFrame) {
    OverlayHost& host = platform->overlay();
    host.setShown(true);
    host.setMode(OverlayInputMode::snapping);
    const auto expectedScreen = [&](int x, int y) {
        const bool inSpot = x >= device(kSpot.x) && x < device(kSpot.maxX()) &&
                            y >= device(kSpot.y) && y < device(kSpot.maxY());
        return inSpot ? kRed : patternAt(x, y);
    };
    std::string difference = "never copied";
    EXPECT_TRUE(waitUntil([&] {
        const CaptureResult<PixelBuffer> shown = onScreen(kRead);
        difference = std::holds_alternative<PixelBuffer>(shown)
                         ? firstDifference(std::get<PixelBuffer>(shown), expectedScreen,
                                           device(kRead.x), device(kRead.y))
                         : "no copy";
        return difference.empty();
    })) << difference;

    const CaptureResult<PixelBuffer> read = captured(platform->capture(), display.id, kRead, scale);
    ASSERT_TRUE(std::holds_alternative<PixelBuffer>(read));
    EXPECT_EQ(
        firstDifference(std::get<PixelBuffer>(read), patternAt, device(kRead.x), device(kRead.y)),
        "");

    host.setShown(false);
    EXPECT_TRUE(waitUntil([&] {
        const CaptureResult<PixelBuffer> shown = onScreen(kRead);
        return std::holds_alternative<PixelBuffer>(shown) &&
               !firstDifference(std::get<PixelBuffer>(shown), patternAt, device(kRead.x),
                                device(kRead.y))
                    .empty();
    })) << "the frame stayed on screen";
    EXPECT_TRUE(std::holds_alternative<ScreenCapture::Error>(
        captured(platform->capture(), display.id, kRead, scale)))
        << "the frame outlived the session";
    EXPECT_EQ(source->grabs, 1);
}

// F5 inside the session grabs every display again and shows the new frame; what was read from
// the old one is reported changed.
TEST_F(StillFrameHostTest, F5TakesAFreshFrame) {
    OverlayHost& host = platform->overlay();
    host.setShown(true);
    host.setMode(OverlayInputMode::snapping);
    ASSERT_TRUE(waitUntil([&] { return platform->overlay().showing(); }));
    int changes = 0;
    ASSERT_TRUE(platform->capture().watchChanges([&] { ++changes; }));
    source->shift = 1;
    QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QCoreApplication::sendEvent(platform->overlay().window(display.id), &f5);
    const CaptureResult<PixelBuffer> read = captured(platform->capture(), display.id, kRead, scale);
    ASSERT_TRUE(std::holds_alternative<PixelBuffer>(read));
    EXPECT_EQ(firstDifference(
                  std::get<PixelBuffer>(read), [](int x, int y) { return patternAt(x + 1, y); },
                  device(kRead.x), device(kRead.y)),
              "");
    EXPECT_EQ(source->grabs, 2);
    EXPECT_TRUE(waitUntil([&] { return changes == 1; }));
    EXPECT_TRUE(waitUntil([&] { return platform->overlay().showing(); }));
    EXPECT_TRUE(input.keys.empty()) << "F5 went on to the overlay";
}

// The overlay's menu is a popup over the session's window; an entry picked runs with its index
// (separators counted).
TEST_F(StillFrameHostTest, MenuPopsUpOverTheWindow) {
    OverlayHost& host = platform->overlay();
    host.setShown(true);
    host.setMode(OverlayInputMode::editing);
    ASSERT_TRUE(waitUntil([&] { return platform->overlay().showing(); }));
    std::optional<std::size_t> chosen;
    host.showMenu({200, 150}, {"First", "", "Second"}, [&](std::size_t i) { chosen = i; });
    ASSERT_TRUE(waitUntil([] {
        return QApplication::activePopupWidget() != nullptr &&
               QApplication::activePopupWidget()->isVisible();
    }));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->windowHandle()->transientParent(), platform->overlay().window(display.id));
    menu->actions().at(2)->trigger();
    EXPECT_EQ(chosen, 2U);
}

// A refused grab is shown to the user with the desktop's words, ends the mode as Escape does,
// and fails the captures that waited for it with the same words.
TEST_F(StillFrameHostTest, ARefusedGrabIsShownAndEndsTheMode) {
    source->refusal = FrameRefusal{FrameRefusal::Kind::refused, "The user said no."};
    CapturePort& port = platform->capture();
    std::optional<CaptureResult<ScreenCapture::Filter>> filter;
    port.filter(display.id, [&](auto f) { filter = std::move(f); });
    ASSERT_TRUE(waitUntil([&] { return filter.has_value(); }));
    OverlayHost& host = platform->overlay();
    host.setShown(true);
    host.setMode(OverlayInputMode::snapping);
    std::optional<CaptureResult<PixelBuffer>> read;
    port.pixels(std::get<ScreenCapture::Filter>(*filter), kRead, scale,
                [&](auto p) { read = std::move(p); });
    ASSERT_TRUE(waitUntil([&] { return read.has_value(); }));
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Error>(*read));
    EXPECT_EQ(std::get<ScreenCapture::Error>(*read).reason,
              (std::variant<ScreenCapture::Failure, std::string>("The user said no.")));
    EXPECT_EQ(refusals, std::vector<std::string>{"The user said no."});
    EXPECT_EQ(input.keys, std::vector<OverlayKey>{OverlayKey::escape});
    EXPECT_FALSE(platform->overlay().showing());
}

// A second display gets a window of its own, full screen on its output with that display's
// frame; the pointer over it is in global points on that display. (Last: the output stays.)
TEST_F(StillFrameHostTest, EachDisplayShowsItsOwnFrame) {
    ASSERT_TRUE(session->swaymsg({"create_output"}));
    ASSERT_TRUE(waitUntil([&] {
        return QGuiApplication::screens().size() == 2 && screen->outputs().screens().size() == 2;
    }));
    const std::vector<ScreenInfo> displays = platform->displays().currentScreens();
    ASSERT_EQ(displays.size(), 2U);
    OverlayHost& host = platform->overlay();
    host.rebuild(displays);
    host.setShown(true);
    host.setMode(OverlayInputMode::snapping);
    // The second output in sway's order is the one made last, right of the first.
    const ScreenInfo& second =
        displays[0].frame.x < displays[1].frame.x ? displays[1] : displays[0];
    const int along = second.id == displays[1].id ? kAlong : 0;
    std::string difference = "never copied";
    EXPECT_TRUE(waitUntil([&] {
        const CaptureResult<PixelBuffer> shown = onScreen(kRead, 1);
        difference = std::holds_alternative<PixelBuffer>(shown)
                         ? firstDifference(
                               std::get<PixelBuffer>(shown),
                               [along](int x, int y) { return patternAt(x + along, y); },
                               device(kRead.x), device(kRead.y))
                         : "no copy";
        return difference.empty();
    })) << difference;

    QMouseEvent move(QEvent::MouseMove, QPointF(10, 20), QPointF(10, 20), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(platform->overlay().window(second.id), &move);
    ASSERT_TRUE(input.moved);
    EXPECT_EQ(input.moved->first, second.id);
    EXPECT_EQ(input.moved->second, (Point{second.frame.x + 10, second.frame.y + 20}));
    EXPECT_EQ(platform->displays().pointerLocation(), input.moved->second);
}

} // namespace
} // namespace spanlet::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Qt 6.4 draws a Wayland output only at whole scales: a fractional one is Qt's own scale
    // factor on an output at scale 1, one device pixel per output pixel all the same.
    const double scale = spanlet::test::testScale();
    const bool whole = scale == std::floor(scale);
    spanlet::test::SwaySession sway("output HEADLESS-1 resolution 1280x800 position 0 0 scale " +
                                    std::to_string(whole ? scale : 1.0));
    if (!sway.ok()) {
        return 1;
    }
    spanlet::test::session = &sway;
    if (!whole) {
        setenv("QT_SCALE_FACTOR", std::to_string(scale).c_str(), 1);
    }
    setenv("QT_QPA_PLATFORM", "wayland", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
