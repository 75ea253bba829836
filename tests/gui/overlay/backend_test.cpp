#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>

#include <spanlet/overlay/qt/QPainterBackend.hpp>

namespace spanlet::test {
namespace {

using draw::QPainterBackend;

QImage canvas(double scale) {
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
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

draw::DrawList label(Point at) {
    draw::DrawList list;
    const Rect box{at.x, at.y, 61.3, 19.7};
    list.add(draw::FillPath{draw::Path::roundedRect(box, 7.5), {0.1, 0.4, 0.9, 0.85}});
    list.add(draw::StrokePath{draw::Path::roundedRect(box, 7.5), draw::Color::black(0.25), 1});
    return list;
}

class BackendTest : public ::testing::TestWithParam<double> {};

// Labels are painted from images kept between frames; they must land exactly where painting
// them directly would, fractions of a pixel included, whether the image is new or reused.
TEST_P(BackendTest, KeptLabelsMatchDirectPainting) {
    const double scale = GetParam();
    for (const Point at : {Point{40.3, 50.7}, Point{140.3, 150.7}, Point{40.3, 50.7}}) {
        QImage drawn = canvas(scale);
        {
            QPainter p(&drawn);
            QPainterBackend::paint(p, label(at));
        }
        QImage direct = canvas(scale);
        {
            QPainter p(&direct);
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF box(at.x, at.y, 61.3, 19.7);
            QPainterPath shape;
            shape.addRoundedRect(box, 7.5, 7.5);
            p.fillPath(shape, QPainterBackend::color({0.1, 0.4, 0.9, 0.85}));
            p.strokePath(shape,
                         QPen(QColor(0, 0, 0, 64), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        }
        EXPECT_LE(largestDifference(drawn, direct), 2) << "at " << at.x << ", " << at.y;
    }
}

// A loupe's cells are copied as one magnified image; they must cover the same device pixels
// with the same colours as a fill per cell.
TEST_P(BackendTest, LoupeCellsMatchOneFillPerCell) {
    const double scale = GetParam();
    draw::DrawList list;
    const Rect frame{20, 20, 120, 120};
    list.add(draw::PushClip{draw::Path::roundedRect(frame, 10)});
    std::vector<std::pair<Rect, draw::Color>> cells;
    for (int r = 0; r < 15; ++r) {
        for (int c = 0; c < 15; ++c) {
            const Rect cell{frame.x + 8.0 * c, frame.y + 8.0 * r, 8, 8};
            const draw::Color colour{c / 14.0, r / 14.0, (c + r) % 2 ? 1.0 : 0.0, 1};
            cells.emplace_back(cell, colour);
            list.add(draw::FillRect{cell, colour});
        }
    }
    list.add(draw::PopClip{});
    QImage drawn = canvas(scale);
    {
        QPainter p(&drawn);
        QPainterBackend::paint(p, list);
    }
    QImage direct = canvas(scale);
    {
        QPainter p(&direct);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath clip;
        clip.addRoundedRect(QPainterBackend::rect(frame), 10, 10);
        p.setClipPath(clip);
        for (const auto& [cell, colour] : cells) {
            p.fillRect(QPainterBackend::rect(cell), QPainterBackend::color(colour));
        }
    }
    if (scale == std::floor(scale)) {
        EXPECT_LE(largestDifference(drawn, direct), 1);
    } else {
        // Cell edges fall inside device pixels: compare each cell's middle.
        for (const auto& [cell, colour] : cells) {
            const QPoint middle(static_cast<int>((cell.x + 4) * scale),
                                static_cast<int>((cell.y + 4) * scale));
            EXPECT_EQ(drawn.pixel(middle), direct.pixel(middle));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, BackendTest, ::testing::Values(1.0, 1.5, 2.0),
                         [](const auto& row) {
                             return "scale_" + std::to_string(static_cast<int>(row.param * 10));
                         });

} // namespace
} // namespace spanlet::test
