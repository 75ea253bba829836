#include <QColor>
#include <sstream>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>
#include <spanlet/overlay/OverlayColors.hpp>

#include "OverlayDesk.hpp"

namespace spanlet::test {
namespace {

/// The display the lines are drawn on: A (scale 2, or SPANLET_TEST_SCALES's first) or B (scale 1,
/// or its second).
struct HairlineCase {
    std::string name;
    bool onA;
};
void PrintTo(const HairlineCase& c, std::ostream* os) {
    *os << c.name;
}

/// The live cross over the (fake) dark box at local (100, 100)–(300, 250), and a guide, on a
/// grey desktop: each line covers whole device pixels, in its exact colour, and the pixels
/// beside it show the desktop untouched. The pointer is not on a whole point: at scale 1.5 it
/// sits on a device pixel that B's points reach only up to rounding.
class HairlineTest : public OverlayDesk, public ::testing::WithParamInterface<HairlineCase> {
protected:
    static constexpr double guideX = 201;
    static constexpr Point live{281.4, 221.4};

    [[nodiscard]] std::uint32_t id() const { return GetParam().onA ? idA() : idB(); }
    [[nodiscard]] double scale() const { return display(id()).info.scale.factor(); }

    /// Where a line of `width` points at the local coordinate `at` must lie, in root device
    /// columns (`vertical`) or rows.
    [[nodiscard]] DevicePixels::Run expected(double at, double width, bool vertical) const {
        const Rect frame = display(id()).deviceFrame;
        DevicePixels::Run run = DevicePixels::hairline(at, width, scale());
        run.start += vertical ? frame.x : frame.y;
        return run;
    }

    /// Mismatches along one line at the cross-line coordinate `across` (a device row for a
    /// vertical line, a column for a horizontal one): inside the run, `color`; just outside
    /// it on both sides, the desktop.
    static void check(std::ostream& out, const QImage& shot, const char* what,
                      const DevicePixels::Run& run, int across, bool vertical, QRgb color) {
        const auto at = [&](double i) {
            const int v = static_cast<int>(i);
            return (vertical ? shot.pixel(v, across) : shot.pixel(across, v)) & 0xffffff;
        };
        for (double i = run.start - 1; i <= run.start + run.count; ++i) {
            const bool inside = i >= run.start && i < run.start + run.count;
            const QRgb want = (inside ? color : desktopGrey) & 0xffffff;
            if (at(i) != want) {
                out << what << " at " << i << " (across " << across << "): got " << std::hex
                    << at(i) << " want " << want << std::dec << "\n";
            }
        }
    }
};

TEST_P(HairlineTest, CrossCapsAndGuideCoverWholeDevicePixels) {
    Preferences prefs;
    prefs.showLoupe = false;
    prefs.guides.guides = {{Uuid::random(), Axis::vertical, global(id(), {guideX, 0}).x}};
    Mensor& m = start(prefs);
    pointTo(id(), live);
    m.enableSnapping();
    platform.clock.advance(std::chrono::milliseconds(50));
    ASSERT_TRUE(m.tracking().live().has_value());
    ASSERT_NEAR(m.tracking().live()->pointerX, global(id(), live).x, 1);
    overlays->repaintNow();

    const Rect frame = display(id()).info.frame;
    const double minX = m.tracking().live()->minX - frame.x;
    const double maxX = m.tracking().live()->maxX - frame.x;
    const double s = scale();
    const QRgb liveColor = draw::QPainterBackend::color(OverlayColors::live).rgb();
    const QRgb guideColor = draw::QPainterBackend::color(OverlayColors::guide).rgb();
    // Rows and columns clear of labels: above the pointer, left of it, beside the caps.
    const int rowAbove = device(id(), {live.x, live.y - 8}).y();
    const int rowBesideCaps = device(id(), {live.x, live.y - 4}).y();
    const int columnLeft = device(id(), {live.x - 30, live.y}).x();
    const int guideRow = device(id(), {guideX, 10}).y();
    std::string diff;
    const bool agreed = waitUntil([&] {
        const QImage shot = screenshot();
        std::ostringstream out;
        check(out, shot, "vertical line", expected(live.x, 1, true), rowAbove, true, liveColor);
        check(out, shot, "horizontal line", expected(live.y, 1, false), columnLeft, false,
              liveColor);
        check(out, shot, "left cap", expected(minX, 1, true), rowBesideCaps, true, liveColor);
        check(out, shot, "right cap", expected(DevicePixels::hairlineBefore(maxX, 1, s), 1, true),
              rowBesideCaps, true, liveColor);
        check(out, shot, "guide", expected(guideX, std::max(1 / s, 0.5), true), guideRow, true,
              guideColor);
        diff = out.str();
        return diff.empty();
    });
    EXPECT_TRUE(agreed) << "scale " << s << "\n" << diff;
    // The right cap's pixels are the span's last ones.
    EXPECT_EQ(expected(DevicePixels::hairlineBefore(maxX, 1, s), 1, true).start +
                  expected(DevicePixels::hairlineBefore(maxX, 1, s), 1, true).count,
              display(id()).deviceFrame.x + maxX * s);
}

INSTANTIATE_TEST_SUITE_P(Displays, HairlineTest,
                         ::testing::Values(HairlineCase{"display_a", true},
                                           HairlineCase{"display_b", false}),
                         [](const auto& row) { return row.param.name; });

} // namespace
} // namespace spanlet::test
