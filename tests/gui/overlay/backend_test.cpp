#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>

#include <spanlet/draw/qt/OverlayDamage.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>

namespace spanlet::test {
namespace {

using draw::QPainterBackend;

/// A transparent 400 × 300-point canvas at `scale` after `paint` has drawn on it.
template <class Paint>
QImage painted(double scale, Paint paint) {
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paint(p);
    p.end();
    return image;
}

/// `list` painted by `renderer`, which keeps its caches from one call to the next.
QImage painted(QPainterBackend& renderer, double scale, const draw::DrawList& list) {
    return painted(scale, [&](QPainter& p) { renderer.paint(p, list); });
}

/// The largest channel difference between two images of one size.
int largestDifference(const QImage& a, const QImage& b) {
    int most = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return most;
}

/// Qt painting `paint` clipped to a rounded rect, antialiased, as the backend is to match.
template <class Paint>
QImage clippedByQt(double scale, const Rect& clip, Paint paint) {
    return painted(scale, [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QPainterBackend::rect(clip), 10, 10);
        p.setClipPath(path);
        paint(p);
    });
}

class BackendTest : public ::testing::TestWithParam<double> {};

/// 12 × 12 loupe cells, opaque but for row 3; `odd` makes one cell red.
PixelBuffer cells(bool odd = false, bool opaque = false) {
    PixelBuffer pixels(12, 12, RGBA::white);
    for (int r = 0; r < 12; ++r) {
        for (int c = 0; c < 12; ++c) {
            pixels(c, r) =
                RGBA(static_cast<std::uint8_t>(c * 23), static_cast<std::uint8_t>(r * 23),
                     (c + r) % 2 ? 255 : 0, r == 3 && !opaque ? 51 : 255);
        }
    }
    if (odd) {
        pixels(6, 5) = RGBA(255, 0, 0, 255);
    }
    return pixels;
}

/// A loupe: 8-point cells clipped to a rounded frame at `at`, optionally under a translucent
/// grid.
draw::DrawList loupe(Point at, bool grid, bool odd = false, bool opaque = false) {
    draw::DrawList list;
    const Rect frame{at.x, at.y, 96, 96};
    list.add(draw::PushClip{draw::Path::roundedRect(frame, 10)});
    list.add(draw::FillPixels{frame, cells(odd, opaque)});
    draw::Path lines;
    for (int i = 1; grid && i < 12; ++i) {
        lines.addLine({at.x + 8.0 * i, at.y}, {at.x + 8.0 * i, at.y + 96});
        lines.addLine({at.x, at.y + 8.0 * i}, {at.x + 96, at.y + 8.0 * i});
    }
    if (grid) {
        list.add(draw::StrokePath{lines, draw::Color::black(0.12), 0.5});
    }
    list.add(draw::PopClip{});
    return list;
}

// A loupe's cells are copied as one magnified image (stored block by block where they are
// opaque); they must cover the same device pixels with the same colours as a fill per cell.
TEST_P(BackendTest, LoupeCellsMatchOneFillPerCell) {
    for (const bool opaque : {false, true}) {
        SCOPED_TRACE(opaque ? "opaque" : "translucent row");
        const double scale = GetParam();
        const PixelBuffer pixels = cells(false, opaque);
        QPainterBackend renderer;
        const QImage drawn = painted(renderer, scale, loupe({20, 20}, false, false, opaque));
        const QImage direct = clippedByQt(scale, {20, 20, 96, 96}, [&](QPainter& p) {
            for (int r = 0; r < 12; ++r) {
                for (int c = 0; c < 12; ++c) {
                    const RGBA q = pixels(c, r);
                    p.fillRect(QRectF(20 + 8 * c, 20 + 8 * r, 8, 8), QColor(q.r, q.g, q.b, q.a));
                }
            }
        });
        if (scale == std::floor(scale)) {
            EXPECT_LE(largestDifference(drawn, direct), 1);
        }
        // Cell edges may fall inside device pixels: each cell's middle is exact.
        for (int r = 0; r < 12; ++r) {
            for (int c = 0; c < 12; ++c) {
                const QPoint middle(static_cast<int>((24 + 8 * c) * scale),
                                    static_cast<int>((24 + 8 * r) * scale));
                EXPECT_EQ(drawn.pixel(middle), direct.pixel(middle)) << c << ", " << r;
            }
        }
    }
}

// A clipped group is drawn on a layer of its own and masked once: it must match Qt clipping
// each operation, exactly inside the clip and within a few levels on its edge (where the
// group lies on whole device pixels), whether it is painted whole or rectangle by rectangle
// (the layer then reused), and a changed group must never be served from the layer of the
// one before. Opaque cells on whole pixels keep the grid as an image, also where they move.
TEST_P(BackendTest, ClippedGroupsMatchQtsClipAndAreNeverStale) {
    const double scale = GetParam();
    QPainterBackend renderer;
    struct Case {
        Point at;
        bool opaque;
        bool grid;
    };
    for (const auto& [at, opaque, grid] :
         {Case{{30, 40}, false, true}, Case{{30.5, 40.25}, false, true},
          Case{{30.5, 40.25}, false, true}, Case{{30, 40}, true, false}, Case{{30, 40}, true, true},
          Case{{62, 71}, true, true}}) {
        SCOPED_TRACE(testing::Message()
                     << at.x << ", " << at.y << (opaque ? " opaque" : "") << (grid ? " grid" : ""));
        const draw::DrawList list = loupe(at, grid, false, opaque);
        const QImage whole = painted(renderer, scale, list);
        const QImage pieces = painted(scale, [&](QPainter& p) {
            for (const QRectF& piece : {QRectF(0, 0, 400, 80.5), QRectF(0, 80.5, 400, 220)}) {
                p.save();
                p.setClipRect(piece);
                renderer.paint(p, list, piece);
                p.restore();
            }
        });
        EXPECT_EQ(largestDifference(whole, pieces), 0);

        const QImage direct = clippedByQt(scale, {at.x, at.y, 96, 96}, [&](QPainter& p) {
            draw::DrawList inside = list;
            inside.ops.erase(inside.ops.begin());
            inside.ops.pop_back();
            QPainterBackend().paint(p, inside);
        });
        if (at.x * scale == std::floor(at.x * scale) && at.y * scale == std::floor(at.y * scale)) {
            EXPECT_LE(largestDifference(whole, direct), 4);
        } // else Qt itself softens the cells' outer edge a second time under its clip
        const QPoint middle(static_cast<int>((at.x + 52) * scale),
                            static_cast<int>((at.y + 44) * scale));
        EXPECT_EQ(whole.pixel(middle), direct.pixel(middle));
        EXPECT_EQ(qRed(painted(renderer, scale, loupe(at, grid, true, opaque)).pixel(middle)), 255);
    }
}

// Label text is laid out glyph by glyph where the shaper could do nothing else; it must
// measure and draw as shaped text does, and anything needing the shaper (ligatures, glyphs
// from a fallback font, kerning) must still get it.
TEST_P(BackendTest, TextMeasuresAndDrawsAsShapedText) {
    const double scale = GetParam();
    QPainterBackend renderer;
    const draw::TextMeasurer& measurer = renderer.measurer();
    const draw::FontChoice label{12, draw::FontWeight::semibold, true};
    const draw::FontChoice kerned{13, draw::FontWeight::regular, false};
    for (const draw::FontChoice& font : {label, kerned}) {
        const QFont qfont = renderer.font(font);
        const QFontMetricsF metrics(qfont);
        // Plain digits, a ligature, an f the font does not join, kerning, glyphs from a
        // fallback font.
        for (const std::string text :
             {"1280 \u00D7 40 pt", "Office AVA", "Ctrl+Shift+C", "\u65E5\u672C 12"}) {
            const QString qtext = QString::fromStdString(text);
            EXPECT_NEAR(measurer.measure(text, font).width, metrics.horizontalAdvance(qtext), 0.02)
                << text;
            const Point at{20.3, 40.6};
            draw::DrawList list;
            list.add(draw::DrawText{
                text, font, at, {0, 0}, measurer.measure(text, font), draw::Color::white()});
            const QImage shaped = painted(scale, [&](QPainter& p) {
                p.setFont(qfont);
                p.setPen(Qt::white);
                const double height = metrics.ascent() + metrics.descent();
                p.drawText(QPointF(at.x, at.y + (metrics.height() - height) / 2 + metrics.ascent()),
                           qtext);
            });
            EXPECT_LE(largestDifference(painted(renderer, scale, list), shaped), 0) << text;
        }
    }
}

// A crisp cross (a hairline with end caps, on whole and on fractional points) is damaged by
// the device pixels it covers: all of them, so a moved cross leaves nothing behind, and, on
// whole points at a whole scale, nothing more.
TEST_P(BackendTest, CrispLinesAreDamagedByExactlyThePixelsTheyCover) {
    const double scale = GetParam();
    for (const double at : {100.0, 100.4}) {
        draw::Path path;
        path.addLine({20, at}, {300, at})
            .addLine({at, 20}, {at, 250})
            .addLine({20, at - 6}, {20, at + 6})
            .addLine({at - 6, 250}, {at + 6, 250});
        draw::DrawList list;
        list.add(draw::StrokePath{path, draw::Color::white(), 1, true});
        QPainterBackend renderer;
        const QImage image = painted(renderer, scale, list);
        QRegion damage;
        for (const QRect& r : draw::drawnRects(list, scale)) {
            damage += QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale)
                          .toAlignedRect();
        }
        QRegion paintedPixels;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) != 0) {
                    paintedPixels += QRect(x, y, 1, 1);
                }
            }
        }
        EXPECT_TRUE((paintedPixels - damage).isEmpty()) << "at " << at;
        if (scale == std::floor(scale) && at == std::floor(at)) {
            EXPECT_TRUE((damage.intersected(image.rect()) - paintedPixels).isEmpty());
        }
    }
}

// A window system showing a single crisp opaque line as a solid rectangle shows what the renderer
// paints: the same pixels, the same colour; a translucent or multi-segment stroke is no solid.
TEST_P(BackendTest, SolidLinesCoverExactlyThePaintedPixelsInTheirColour) {
    const double scale = GetParam();
    const draw::Color color{1, 0.18, 0.47, 1};
    for (const double at : {100.0, 100.4, 100.7}) {
        // Within the 400 × 300 device pixels of the image at every scale.
        for (const draw::Path& path : {draw::Path{}.addLine({at, 20.3}, {at, 120}),
                                       draw::Path{}.addLine({20, at}, {150.6, at})}) {
            draw::DrawList list;
            list.add(draw::StrokePath{path, color, 1, true});
            QPainterBackend renderer;
            const QImage image = painted(renderer, scale, list);
            QRegion paintedPixels;
            std::set<QRgb> colors;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qAlpha(image.pixel(x, y)) != 0) {
                        paintedPixels += QRect(x, y, 1, 1);
                        colors.insert(image.pixel(x, y));
                    }
                }
            }
            const std::optional<draw::SolidLine> solid = draw::solidLine(list.ops[0], scale);
            ASSERT_TRUE(solid.has_value());
            EXPECT_EQ(QRegion(solid->pixels), paintedPixels) << "at " << at;
            EXPECT_EQ(colors, std::set<QRgb>{solid->color}) << "at " << at;
        }
    }
    EXPECT_FALSE(draw::solidLine(
        draw::StrokePath{draw::Path{}.addLine({5, 5}, {5, 50}), color.withOpacity(0.5), 1, true},
        scale));
    EXPECT_FALSE(draw::solidLine(
        draw::StrokePath{draw::Path{}.addLine({5, 5}, {5, 50}).addLine({9, 5}, {9, 50}), color, 1,
                         true},
        scale));
}

// A crisp opaque cross is written into the image directly: it must equal Qt's own fill of the
// same pixels (painted under a clip only Qt handles), whether painted whole or repainted
// rectangle by rectangle after a move, with what is drawn over it left standing.
TEST_P(BackendTest, CrispOpaqueLinesMatchQtsFillPaintedWholeOrByDamage) {
    const double scale = GetParam();
    const auto cross = [](double at) {
        draw::Path path;
        path.addLine({20, at}, {300, at})
            .addLine({at, 20}, {at, 250})
            .addLine({20, at - 6}, {20, at + 6});
        draw::DrawList list;
        list.add(draw::StrokePath{path, draw::Color{1, 0.2, 0.5, 1}, 1, true});
        list.add(draw::FillRect{{150, at - 4, 8, 8}, draw::Color::black()});
        return list;
    };
    for (const double at : {100.0, 100.4}) {
        const draw::DrawList list = cross(at);
        QPainterBackend renderer;
        const QImage whole = painted(renderer, scale, list);
        QPainterBackend reference;
        const QImage byQt = painted(scale, [&](QPainter& p) {
            QPainterPath everywhere;
            everywhere.addRect(0, 0, 400, 300);
            p.setClipPath(everywhere);
            reference.paint(p, list);
        });
        EXPECT_EQ(whole, byQt) << "at " << at;

        // Unjoined and last first: the square's rectangle comes before the lines' bands, which
        // must not paint over it.
        const draw::DrawList before = cross(at + 3);
        QImage moved = painted(renderer, scale, before);
        std::vector<QRect> damage = draw::drawnRects(before, scale);
        for (const QRect& r : draw::drawnRects(list, scale)) {
            damage.push_back(r);
        }
        std::reverse(damage.begin(), damage.end());
        draw::repaintImage(renderer, moved, list, damage);
        EXPECT_EQ(moved, whole) << "at " << at;
    }
}

// A picture repainted only where its operations changed (new cells, a shorter colour text)
// equals the new picture painted whole: nothing of the old one stays.
TEST_P(BackendTest, RepaintingWhatChangedEqualsPaintingAnew) {
    const double scale = GetParam();
    QPainterBackend renderer;
    const auto picture = [&renderer](bool odd, const std::string& text) {
        const draw::FontChoice font{12, draw::FontWeight::semibold, true};
        const Size size = renderer.measurer().measure(text, font);
        draw::DrawList list = loupe({10, 10}, true, odd);
        list.add(draw::FillRect{{10, 200, size.width, size.height}, draw::Color::black(0.8)});
        list.add(draw::DrawText{text, font, {10, 200}, {0, 0}, size, draw::Color::white()});
        return list;
    };
    const draw::DrawList before = picture(false, "#FFFFFF  copies");
    const draw::DrawList after = picture(true, "#FF0000");
    QImage image = painted(renderer, scale, before);
    const std::optional<std::vector<QRect>> changed = draw::changedRects(before, after, scale);
    ASSERT_TRUE(changed);
    draw::repaintImage(renderer, image, after, *changed);
    EXPECT_EQ(image, painted(renderer, scale, after));
    EXPECT_FALSE(draw::changedRects(before, loupe({10, 10}, true), scale));
}

// Whatever a damaged rectangle touches is repainted: rounded out to device pixels, then to
// logical ones, the margin being device pixels.
TEST(DamageRect, RoundsOutToDevicePixelsThenLogicalPixels) {
    EXPECT_EQ(QPainterBackend::damageRect({10.25, 20.5, 1, 1}, 1, 1), QRect(9, 19, 4, 4));
    EXPECT_EQ(QPainterBackend::damageRect({100.5, 0, 0.5, 10}, 2, 0), QRect(100, 0, 1, 10));
    EXPECT_EQ(QPainterBackend::damageRect({100, 0, 1, 10}, 2, 1), QRect(99, -1, 3, 12));
}

INSTANTIATE_TEST_SUITE_P(Scales, BackendTest, ::testing::Values(1.0, 1.5, 2.0),
                         [](const auto& row) {
                             return "scale_" + std::to_string(static_cast<int>(row.param * 10));
                         });

} // namespace
} // namespace spanlet::test
