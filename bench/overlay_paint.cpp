// One pointer move of a live cross with its distance and size labels and a loupe, painted on a
// 3840 × 2160 device-pixel overlay panel: every move lays the scene out again, then either
// repaints the whole panel or only the damaged region (old ∪ new drawn region), as the panel
// does. Runs on Qt's offscreen platform; no display needed.
// CPU time is the whole process's, so that any work Qt hands to its pool threads counts.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>

#include <spanlet/draw/qt/OverlayDamage.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>
#include <spanlet/draw/qt/QtTextMeasurer.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>
#include <spanlet/overlay/OverlayScene.hpp>

namespace {

using namespace spanlet;

constexpr int deviceWidth = 3840;
constexpr int deviceHeight = 2160;

/// The scene with the pointer at x = `x` (points): a live cross across the whole display
/// (the worst case for damage), a 15 × 15 loupe and its colour text.
OverlayScene sceneAt(double x, double scale) {
    OverlayScene scene;
    scene.size = {deviceWidth / scale, deviceHeight / scale};
    scene.scale = DisplayScale(scale);
    const double y = scene.size.height / 2;
    Cross cross;
    cross.pointerX = x;
    cross.pointerY = y;
    cross.minX = 0;
    cross.maxX = scene.size.width;
    cross.minY = 0;
    cross.maxY = scene.size.height;
    cross.left = static_cast<std::int64_t>(x * scale);
    cross.right = static_cast<std::int64_t>((scene.size.width - x) * scale);
    cross.up = static_cast<std::int64_t>(y * scale);
    cross.down = static_cast<std::int64_t>(y * scale);
    cross.scale = scale;
    scene.live = cross;
    std::vector<RGBA> pixels;
    for (int i = 0; i < 15 * 15; ++i) {
        pixels.push_back(i % 2 == 0 ? RGBA::black : RGBA::white);
    }
    scene.loupe = Loupe{PixelBuffer(15, 15, std::move(pixels)), SRGBColor{0.2, 0.4, 0.6, 1}};
    scene.loupeHint = "Ctrl+Shift+C copies";
    scene.pointer = Point{x, y};
    return scene;
}

/// `walk`: the pointer walks right a point per move (every label shows a new number, as when a
/// person moves the pointer), else it steps right and back (labels repeat).
void paintMoves(benchmark::State& state, bool damageOnly, bool walk = false) {
    const double scale = static_cast<double>(state.range(0));
    draw::QPainterBackend renderer;
    const draw::TextMeasurer& measurer = renderer.measurer();
    QImage image(deviceWidth, deviceHeight, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    double x = 600;
    draw::DrawList previous = layoutOverlay(sceneAt(x, scale), measurer);
    std::vector<QRect> previousRects = draw::drawnRects(previous, scale);
    {
        QPainter painter(&image);
        renderer.paint(painter, previous);
    }
    for (auto _ : state) {
        if (walk) {
            x = x >= 1400 ? 600 : x + 1;
        } else {
            x = x == 600 ? 601 : 600; // one point to the right, then back
        }
        draw::DrawList list = layoutOverlay(sceneAt(x, scale), measurer);
        if (damageOnly) {
            std::vector<QRect> rects = draw::drawnRects(list, scale);
            std::vector<QRect> damage = previousRects;
            damage.insert(damage.end(), rects.begin(), rects.end());
            draw::repaintImage(renderer, image, list, draw::mergedRects(std::move(damage)));
            previousRects = std::move(rects);
        } else {
            draw::repaintImage(renderer, image, list,
                               {QRect(0, 0, static_cast<int>(deviceWidth / scale),
                                      static_cast<int>(deviceHeight / scale))});
        }
        benchmark::DoNotOptimize(image.constBits());
        previous = std::move(list);
    }
}

// The layout alone (scene to draw list, text measured), which both repaints include.
void BM_LayoutOnly(benchmark::State& state) {
    const double scale = static_cast<double>(state.range(0));
    const draw::QtTextMeasurer measurer;
    double x = 600;
    for (auto _ : state) {
        x = x == 600 ? 601 : 600;
        benchmark::DoNotOptimize(layoutOverlay(sceneAt(x, scale), measurer));
    }
}

void BM_FullRepaint(benchmark::State& state) {
    paintMoves(state, false);
}
void BM_DamageOnlyRepaint(benchmark::State& state) {
    paintMoves(state, true);
}
void BM_DamageOnlyRepaintWalking(benchmark::State& state) {
    paintMoves(state, true, true);
}

// Argument: the display scale (1: 3840 × 2160 points, 2: 1920 × 1080 points).
BENCHMARK(BM_LayoutOnly)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FullRepaint)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_DamageOnlyRepaint)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(BM_DamageOnlyRepaintWalking)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
