// Decoding the built-in bitmaps and composing a 1920x1080 reading canvas, each beside Qt doing the same.
#include "images/bookpicture.h"
#include "images/canvas.h"

#include <QFile>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

QByteArray Resource(int number)
{
    QFile f(QStringLiteral(":/images/") + QString::number(number) + QStringLiteral(".bmp"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void DecodeOurs(benchmark::State& state)
{
    const QByteArray bytes = Resource(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CxImage img;
        img.DecodeBmp({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size())});
        img.ToTrueColour();
        benchmark::DoNotOptimize(img.Row(0));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes.size());
}
// 177: icon strip, 32 bits; 180: largest page, 24 bits; 143: 8 bits; 135: 4 bits.
BENCHMARK(DecodeOurs)->Arg(177)->Arg(180)->Arg(143)->Arg(135);

void DecodeQt(benchmark::State& state)
{
    const QByteArray bytes = Resource(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QImage img = QImage::fromData(bytes, "BMP");
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes.size());
}
BENCHMARK(DecodeQt)->Arg(177)->Arg(180)->Arg(143)->Arg(135);

constexpr int kW = 1920;
constexpr int kH = 1080;

// Desk tiled everywhere, two pages tiled over it, a shaded gutter, frames and the spine.
void ComposeCanvas(benchmark::State& state)
{
    auto desk = LoadBuiltinPicture(kDeskCoverPictureList[0].resource);
    auto page = LoadBuiltinPicture(kPagePictureList[3].resource);
    CxImage canvas;
    canvas.Create(kW, kH, 24);
    for (auto _ : state) {
        TileImage(canvas, *desk, {0, 0, kW, kH});
        FillImageRect(canvas, {60, 40, kW - 60, kH - 40}, RGBRef(120, 40, 30));
        TileImage(canvas, *page, {80, 50, kW / 2, kH - 50});
        TileImage(canvas, *page, {kW / 2, 50, kW - 80, kH - 50});
        ShadeImageRect(canvas, {kW / 2 - 40, 50, kW / 2 + 40, kH - 50}, 90);
        FrameImageRect(canvas, {80, 50, kW - 80, kH - 50}, RGBRef(90, 90, 90));
        DrawImageVLine(canvas, kW / 2, 50, kH - 50, RGBRef(60, 60, 60));
        benchmark::DoNotOptimize(canvas.Row(0));
    }
}
BENCHMARK(ComposeCanvas)->Unit(benchmark::kMillisecond);

void ComposeWithQPainter(benchmark::State& state)
{
    const QImage desk = LoadBuiltinPicture(kDeskCoverPictureList[0].resource)->ToPlatformBitmap();
    const QImage page = LoadBuiltinPicture(kPagePictureList[3].resource)->ToPlatformBitmap();
    QImage canvas(kW, kH, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&canvas);
        p.fillRect(QRect(0, 0, kW, kH), QBrush(desk));
        p.fillRect(QRect(60, 40, kW - 120, kH - 80), QColor(120, 40, 30));
        p.fillRect(QRect(80, 50, kW - 160, kH - 100), QBrush(page));
        p.fillRect(QRect(kW / 2 - 40, 50, 80, kH - 100), QColor(0, 0, 0, 25));
        p.setPen(QColor(90, 90, 90));
        p.drawRect(QRect(80, 50, kW - 160, kH - 100));
        p.drawLine(kW / 2, 50, kW / 2, kH - 50);
        p.end();
        benchmark::DoNotOptimize(canvas.constBits());
    }
}
BENCHMARK(ComposeWithQPainter)->Unit(benchmark::kMillisecond);

void CanvasToQImage(benchmark::State& state)
{
    CxImage canvas;
    canvas.Create(kW, kH, 24);
    FillImageRect(canvas, {0, 0, kW, kH}, RGBRef(200, 190, 170));
    for (auto _ : state) {
        QImage img = canvas.ToPlatformBitmap();
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(CanvasToQImage)->Unit(benchmark::kMillisecond);

// The toolbar's icon sizes: 16, 24 and 32 pixels from the 1024 x 32 strip.
void ScaleIconStrip(benchmark::State& state)
{
    CxImage strip;
    strip.LoadFromResource(kIconStrip.resource);
    const int s = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CxImage copy(strip);
        copy.ScaleDown(32 * s, s);
        benchmark::DoNotOptimize(copy.Row(0));
    }
}
BENCHMARK(ScaleIconStrip)->Arg(16)->Arg(24)->Unit(benchmark::kMicrosecond);

void LoadAllBuiltinPictures(benchmark::State& state)
{
    for (auto _ : state)
        LoadBuiltinPictures();
    FreeBuiltinPictures();
}
BENCHMARK(LoadAllBuiltinPictures)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
