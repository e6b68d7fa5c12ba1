// Page-turn frame cost per effect on a 1920x1080 client, against the 8 ms a frame may take, at 1x and
// on a 200 % screen (3840x2160 pixels for the same client).
#include "layout/pageturnanimation.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

const QSize kClient(1920, 1080);

QImage Picture(int seed, int ratio = 1)
{
    QImage image(kClient * ratio, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = qRgb((x + seed) & 0xFF, (y * 3 + seed) & 0xFF, ((x ^ y) + seed) & 0xFF);
    }
    return image;
}

// The reading view's area with the default cover margin of 15.
PageTurnAnimation Turn(int mode, bool spread)
{
    const QRect client(QPoint(0, 0), kClient);
    return PageTurnAnimation(static_cast<PageTurnMode>(mode), true, spread, client,
                             client.adjusted(21, 15, -21, -15), 15);
}

void TurnFrames(benchmark::State& state, const QImage& before, const QImage& after)
{
    const PageTurnAnimation turn = Turn(static_cast<int>(state.range(0)), state.range(1) != 0);
    std::int64_t frames = 0;
    for (auto _ : state) {
        frames += turn.Run(before, after, [&](const QImage& frame, int) {
            benchmark::DoNotOptimize(frame.constBits());
            return true;
        });
    }
    // Seconds per frame.
    state.counters["frame"] = benchmark::Counter(static_cast<double>(frames),
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Arguments: mode, spread.
void BM_TurnFrame(benchmark::State& state)
{
    static const QImage before = Picture(0);
    static const QImage after = Picture(97);
    TurnFrames(state, before, after);
}

// The same client with pictures at twice its pixels, as a device pixel ratio of 2 gives.
void BM_TurnFrame2x(benchmark::State& state)
{
    static const QImage before = Picture(0, 2);
    static const QImage after = Picture(97, 2);
    TurnFrames(state, before, after);
}

void Modes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"mode", "spread"});
    for (int mode = 1; mode <= 10; ++mode)
        for (int spread : {1, 0})
            b->Args({mode, spread});
}

// The floor a frame cannot go below: one 1920x1080 picture copied whole into another.
void BM_CopyFrame(benchmark::State& state)
{
    static const QImage before = Picture(0);
    QImage frame(kClient, QImage::Format_RGB32);
    for (auto _ : state) {
        std::memcpy(frame.bits(), before.constBits(), static_cast<std::size_t>(before.sizeInBytes()));
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnFrame)->Apply(Modes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TurnFrame2x)->Apply(Modes)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
