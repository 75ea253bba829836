// Edge detection on a full capture line (a 5120-pixel row and a 2880-pixel column, pointer in
// the middle) against a baseline that only reads every pixel of the same lines once.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <random>
#include <vector>

#include <spanlet/EdgeDetector.hpp>

namespace {

using spanlet::RGBA;

constexpr std::int64_t kRowLength = 5120;
constexpr std::int64_t kColumnLength = 2880;

struct Lines {
    std::vector<RGBA> row;
    std::vector<RGBA> column;
};

enum class Scene : int { uniform, farEdge, noise };

std::vector<RGBA> line(Scene scene, std::int64_t length, std::mt19937& rng) {
    const RGBA base(96, 128, 160, 255);
    std::vector<RGBA> pixels(static_cast<std::size_t>(length), base);
    switch (scene) {
    case Scene::uniform:
        break;
    case Scene::farEdge:
        // Dark frames 8 pixels wide at both ends: the walk crosses almost the whole line.
        for (std::int64_t i = 0; i < 8; ++i) {
            pixels[static_cast<std::size_t>(i)] = RGBA(20, 20, 20, 255);
            pixels[static_cast<std::size_t>(length - 1 - i)] = RGBA(20, 20, 20, 255);
        }
        break;
    case Scene::noise: {
        // Sensor-like noise of ±3 levels per channel: neighbour steps reach 6 levels, below the
        // default threshold (about 9 levels), so no edge may be found.
        std::uniform_int_distribution<int> jitter(-3, 3);
        const auto channel = [&](std::uint8_t v) {
            return static_cast<std::uint8_t>(v + jitter(rng));
        };
        for (RGBA& p : pixels) {
            p = RGBA(channel(base.r), channel(base.g), channel(base.b), 255);
        }
        break;
    }
    }
    return pixels;
}

Lines lines(Scene scene) {
    std::mt19937 rng(42);
    return {line(scene, kRowLength, rng), line(scene, kColumnLength, rng)};
}

void detector(benchmark::State& state) {
    const auto scene = static_cast<Scene>(state.range(0));
    const Lines l = lines(scene);
    const auto options =
        spanlet::EdgeOptions::fromTolerance(spanlet::EdgeOptions::defaultTolerance);
    for (auto _ : state) {
        auto m = spanlet::EdgeDetector::measure(l.row, l.column, kRowLength / 2, kColumnLength / 2,
                                                options);
        benchmark::DoNotOptimize(m);
    }
    const auto m =
        spanlet::EdgeDetector::measure(l.row, l.column, kRowLength / 2, kColumnLength / 2, options);
    const bool open = scene != Scene::farEdge;
    if (!m || m->horizontal.openStart != open || m->horizontal.openEnd != open ||
        m->vertical.openStart != open || m->vertical.openEnd != open) {
        state.SkipWithError("unexpected measurement for the scene");
    }
}

void baseline(benchmark::State& state) {
    const Lines l = lines(static_cast<Scene>(state.range(0)));
    for (auto _ : state) {
        std::uint32_t sum = 0;
        for (const RGBA& p : l.row) {
            sum += p.r + p.g + p.b + p.a;
        }
        for (const RGBA& p : l.column) {
            sum += p.r + p.g + p.b + p.a;
        }
        benchmark::DoNotOptimize(sum);
    }
}

void scenes(benchmark::internal::Benchmark* b) {
    b->ArgName("scene");
    b->Arg(static_cast<int>(Scene::uniform));
    b->Arg(static_cast<int>(Scene::farEdge));
    b->Arg(static_cast<int>(Scene::noise));
}

} // namespace

BENCHMARK(detector)->Apply(scenes);
BENCHMARK(baseline)->Apply(scenes);

BENCHMARK_MAIN();
