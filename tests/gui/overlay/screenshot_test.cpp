#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <sstream>

#include <spanlet/draw/qt/QPainterBackend.hpp>

#include "OverlayDesk.hpp"

namespace spanlet::test {
namespace {

struct ShotCase {
    std::string name;
    bool onA;        ///< the scale-2 display, else B (scale 1)
    bool compositor; ///< else shape mode
};
void PrintTo(const ShotCase& c, std::ostream* os) {
    *os << c.name;
}

/// A guide, a kept and a live measurement of the (fake) dark box at local (100, 100)–(300, 250),
/// on a grey desktop; then the screen is grabbed and compared with what the panel drew.
class ScreenshotTest : public OverlayDesk, public ::testing::WithParamInterface<ShotCase> {
protected:
    static constexpr double guideX = 200; // on a device-pixel boundary at scales 1 and 2
    static constexpr Point kept{150, 130};
    static constexpr Point live{280, 220};

    bool wantsCompositor() const override { return GetParam().compositor; }
    [[nodiscard]] std::uint32_t id() const { return GetParam().onA ? idA() : idB(); }
    [[nodiscard]] double scale() const { return display(id()).info.scale.factor(); }

    /// Every difference between the screenshot and the panel's draw list painted over the
    /// grey desktop (in shape mode: over black within the window's shape, the desktop
    /// elsewhere); empty when they agree.
    [[nodiscard]] std::string differences(const QImage& shot) const {
        const x11::OverlayPanel* p = panel(id());
        const double s = scale();
        const QPoint origin = device(id(), {0, 0});
        QImage drawn(p->size() * s, QImage::Format_ARGB32_Premultiplied);
        drawn.setDevicePixelRatio(s);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        draw::QPainterBackend().paint(painter, overlays->drawList(id()));
        painter.end();
        std::ostringstream out;
        int wrong = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
            for (int x = 0; x < drawn.width(); ++x) {
                const bool shaped = !wantsCompositor() && p->deviceShape().contains(QPoint(x, y));
                const QRgb over = wantsCompositor() || shaped ? line[x] : 0; // premultiplied
                const int under = shaped ? 0 : 0x80;
                const QRgb got = shot.pixel(origin + QPoint(x, y));
                const auto off = [&](int g, int o) {
                    return std::abs(g - (o + under * (255 - qAlpha(over)) / 255));
                };
                if (std::max({off(qRed(got), qRed(over)), off(qGreen(got), qGreen(over)),
                              off(qBlue(got), qBlue(over))}) > 3 &&
                    wrong++ < 5) {
                    out << "device (" << x << ", " << y << "): got " << std::hex << got << " over "
                        << over << std::dec << "\n";
                }
            }
        }
        if (overlays->drawList(id()).ops.empty() ||
            QColor(shot.pixel(device(id(), {guideX, 10}))).rgb() ==
                QColor(QRgb(desktopGrey)).rgb()) {
            out << "the guide does not show\n";
        }
        if (wrong > 0) {
            out << wrong << " pixels differ\n";
        }
        return out.str();
    }
};

// The screen shows what the panel drew where it drew it, and nothing else, also after a move
// of the pointer; with a compositor the loupe is a window of its own, moved by the server.
TEST_P(ScreenshotTest, ShowsWhatThePanelDrewAndNothingElseAlsoAfterAMove) {
    Preferences prefs;
    prefs.guides.guides = {{Uuid::random(), Axis::vertical, global(id(), {guideX, 0}).x}};
    Mensor& m = start(prefs);
    pointTo(id(), kept);
    m.enableSnapping();
    platform.clock.advance(std::chrono::milliseconds(50));
    ASSERT_TRUE(m.tracking().live().has_value());
    m.measurements().pin();
    pointTo(id(), live);
    platform.clock.advance(Messages::toastDuration); // the "Kept" message goes away
    ASSERT_TRUE(m.tracking().live().has_value());
    ASSERT_EQ(m.tracking().live()->pointerX, global(id(), live).x);
    ASSERT_FALSE(m.messages().toast()->has_value());
    overlays->repaintNow();
    ASSERT_EQ(surfaces->compositing(), wantsCompositor());
    const auto agrees = [&] {
        std::string diff;
        const bool agreed = waitUntil([&] {
            diff = differences(screenshot());
            return diff.empty();
        });
        return agreed ? testing::AssertionSuccess() : testing::AssertionFailure() << diff;
    };
    EXPECT_TRUE(agrees()) << "first paint";
    if (!wantsCompositor()) {
        // Shape mode: only the lines, labels and loupe are our window; the rest of the screen
        // shows through instead of black.
        const QSize size = panel(id())->size() * scale();
        int area = 0;
        for (const QRect& r : panel(id())->deviceShape()) {
            area += r.width() * r.height();
        }
        EXPECT_GT(area, 0);
        EXPECT_LT(area, size.width() * size.height() / 5);
    }
    // After a move nothing is left behind.
    pointTo(id(), {260, 235});
    platform.clock.advance(std::chrono::milliseconds(50));
    ASSERT_EQ(m.tracking().live()->pointerX, global(id(), {260, 235}).x);
    overlays->repaintNow();
    EXPECT_TRUE(agrees()) << "after a move";
}

INSTANTIATE_TEST_SUITE_P(Displays, ScreenshotTest,
                         ::testing::Values(ShotCase{"scale1_composited", false, true},
                                           ShotCase{"scale2_composited", true, true},
                                           ShotCase{"scale2_shape_mode", true, false}),
                         [](const auto& row) { return row.param.name; });

} // namespace
} // namespace spanlet::test
