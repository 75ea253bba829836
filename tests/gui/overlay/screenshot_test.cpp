#include <algorithm>
#include <cmath>
#include <ostream>
#include <sstream>

#include <spanlet/overlay/OverlayColors.hpp>
#include <spanlet/overlay/qt/OverlayDamage.hpp>
#include <spanlet/overlay/qt/QPainterBackend.hpp>

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

QColor qcolor(const draw::Color& c) {
    return draw::QPainterBackend::color(c.withOpacity(1)).toRgb();
}

/// Distance between two colours: the largest channel difference.
int colourDistance(QColor a, QColor b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

/// Known guides, a kept and a live measurement of the (fake) dark box at local
/// (100, 100)–(300, 250), on a grey desktop; then the screen is grabbed and compared with the
/// layout the panel drew.
class ScreenshotTest : public OverlayDesk, public ::testing::WithParamInterface<ShotCase> {
protected:
    static constexpr double guideX = 200; // on a device-pixel boundary at scales 1 and 2
    static constexpr Point kept{150, 130};
    static constexpr Point live{280, 220};
    Point liveAt = live; ///< where the live measurement is now

    bool wantsCompositor() const override { return GetParam().compositor; }
    [[nodiscard]] std::uint32_t id() const { return GetParam().onA ? idA() : idB(); }
    [[nodiscard]] double scale() const { return display(id()).info.scale.factor(); }

    /// What shows where the overlay paints `over` at `opacity`: blended on the desktop, or in
    /// shape mode on black.
    [[nodiscard]] QColor painted(QColor over, double opacity) const {
        const QColor under = wantsCompositor() ? QColor(QRgb(desktopGrey)) : QColor(Qt::black);
        const auto mix = [opacity](int u, int o) {
            return static_cast<int>(std::lround(u * (1 - opacity) + o * opacity));
        };
        return {mix(under.red(), over.red()), mix(under.green(), over.green()),
                mix(under.blue(), over.blue())};
    }

    /// Every difference between the screenshot and the layout; empty when they agree.
    [[nodiscard]] std::string differences(const QImage& shot) const {
        std::ostringstream out;
        const OverlayPanel* p = panel(id());
        const double s = scale();
        const QPoint origin = device(id(), {0, 0});
        const auto expect = [&](QPoint d, QColor want, int tolerance, const char* what) {
            const QColor got(shot.pixel(d));
            if (colourDistance(got, want) > tolerance) {
                out << what << " at device (" << d.x() << ", " << d.y() << "): got "
                    << got.name().toStdString() << " want " << want.name().toStdString() << "\n";
            }
        };
        // The guide's own device column, away from the crosses and labels.
        const int column = origin.x() + static_cast<int>(guideX * s);
        for (double y : {10.0, 50.0, 90.0, 300.0, 350.0}) {
            expect({column, origin.y() + static_cast<int>(y * s)}, qcolor(OverlayColors::guide), 3,
                   "guide");
        }
        // The live cross's horizontal line (1 point wide, centred on the pointer's row) left of
        // the pointer: the rows it covers, each by the part of it the line covers.
        for (double x : {105.0, 120.0, 140.0}) {
            const double top = (liveAt.y - 0.5) * s;
            const double bottom = (liveAt.y + 0.5) * s;
            for (int row = static_cast<int>(std::floor(top)); row < std::ceil(bottom); ++row) {
                const double cover = std::min<double>(row + 1, bottom) - std::max<double>(row, top);
                expect({origin.x() + static_cast<int>(x * s), origin.y() + row},
                       painted(qcolor(OverlayColors::live), cover), 12, "live cross");
            }
        }
        // Every label box, at the place the layout gave it, in its fill: sampled inside its
        // left padding, where no text is.
        int labels = 0;
        const auto& ops = p->drawList().ops;
        for (std::size_t i = 0; i < ops.size(); ++i) {
            const auto* fill = std::get_if<draw::FillPath>(&ops[i]);
            if (!fill || fill->path.elements.size() != 1 ||
                !std::holds_alternative<draw::RoundedRectShape>(fill->path.elements[0])) {
                continue;
            }
            const Rect box = std::get<draw::RoundedRectShape>(fill->path.elements[0]).rect;
            const Point sample{box.x + 2, box.y + box.height / 2};
            bool covered = false;
            for (std::size_t j = i + 1; j < ops.size() && !covered; ++j) {
                const auto b = draw::bounds(ops[j]);
                covered =
                    b && !std::holds_alternative<draw::DrawText>(ops[j]) && b->contains(sample);
            }
            if (covered) {
                continue;
            }
            ++labels;
            expect(device(id(), sample), painted(qcolor(fill->color), fill->color.opacity), 6,
                   "label box");
        }
        if (labels < 3) {
            out << "only " << labels << " label boxes\n";
        }
        // Nothing shows outside what the layout drew: the desktop is untouched there.
        const QRegion drawn =
            wantsCompositor() ? draw::drawnRegion(p->drawList(), s) : p->deviceShape();
        const QSize size = p->size() * s;
        int outside = 0;
        for (int y = 0; y < size.height(); y += 2) {
            for (int x = 0; x < size.width(); x += 2) {
                const QPoint local = wantsCompositor()
                                         ? QPoint(static_cast<int>(x / s), static_cast<int>(y / s))
                                         : QPoint(x, y);
                if (!drawn.contains(local) && QColor(shot.pixel(origin + QPoint(x, y))).rgb() !=
                                                  QColor(QRgb(desktopGrey)).rgb()) {
                    ++outside;
                }
            }
        }
        if (outside > 0) {
            out << outside << " changed pixels outside the drawn region\n";
        }
        return out.str();
    }
};

// The screen shows the guide, the cross and the labels where the layout put them, after each
// move of the pointer with nothing left behind, and again after the panel was hidden.
TEST_P(ScreenshotTest, ShowsTheLayoutAfterEachMoveAndLeavesNothingBehind) {
    Preferences prefs;
    prefs.showLoupe = false;
    prefs.guides.guides = {{Uuid::random(), Axis::vertical, global(id(), {guideX, 0}).x}};
    Mensor& m = start(prefs);
    pointTo(id(), kept);
    m.enableSnapping();
    platform.clock.advance(std::chrono::milliseconds(50));
    ASSERT_TRUE(m.live()->has_value());
    m.pinMeasurement();
    pointTo(id(), live);
    platform.clock.advance(Mensor::toastDuration); // the "Kept" message goes away
    ASSERT_TRUE(m.live()->has_value());
    ASSERT_EQ((*m.live())->pointerX, global(id(), live).x);
    ASSERT_FALSE(m.toast()->has_value());
    overlays->repaintNow();
    ASSERT_EQ(overlays->compositing(), wantsCompositor());
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
        // Shape mode: only the lines and labels are our window; the rest of the screen shows
        // through instead of black.
        const QSize size = panel(id())->size() * scale();
        int area = 0;
        for (const QRect& r : panel(id())->deviceShape()) {
            area += r.width() * r.height();
        }
        EXPECT_GT(area, 0);
        EXPECT_LT(area, size.width() * size.height() / 10);
    }
    for (const Point at : {Point{260, 235}, Point{290, 205}, Point{270, 240}}) {
        liveAt = at;
        pointTo(id(), at);
        platform.clock.advance(std::chrono::milliseconds(50));
        ASSERT_TRUE(m.live()->has_value());
        ASSERT_EQ((*m.live())->pointerX, global(id(), at).x);
        overlays->repaintNow();
        EXPECT_TRUE(agrees()) << "pointer at " << at.x << ", " << at.y;
    }
    // Shown again after hiding (its pixels given up meanwhile), it shows the same.
    panel(id())->hide();
    settle();
    panel(id())->showOnTop();
    EXPECT_TRUE(agrees()) << "shown again";
}

INSTANTIATE_TEST_SUITE_P(Displays, ScreenshotTest,
                         ::testing::Values(ShotCase{"scale1_composited", false, true},
                                           ShotCase{"scale2_composited", true, true},
                                           ShotCase{"scale1_shape_mode", false, false},
                                           ShotCase{"scale2_shape_mode", true, false}),
                         [](const auto& row) { return row.param.name; });

} // namespace
} // namespace spanlet::test
