// Composing a full-screen reading view: background against memset, text, and the whole picture.
#include "convert/scriptconverter.h"
#include "convert/shownscript.h"
#include "document/textbuffer.h"
#include "images/cximage.h"
#include "layout/bookbackground.h"
#include "layout/layoutengine.h"
#include "layout/pagegeometry.h"
#include "layout/pagerenderer.h"
#include "layout/readingcomposer.h"
#include "layout/textmetrics.h"
#include "settings/parablock.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const QSize kClient(1920, 1080);

// Dense Chinese prose: long paragraphs with punctuation, so every line of every page is full.
std::unique_ptr<TextBuffer> DenseBook()
{
    std::u16string text;
    std::uint32_t seed = 7;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const std::u16string punctuation = u"，。、；：？！“”《》";
    while (text.size() < 400'000) {
        text += u"\u3000\u3000";
        const std::uint32_t length = 300 + next() % 900;
        for (std::uint32_t i = 0; i < length; ++i)
            text += next() % 100 < 8 ? punctuation[next() % punctuation.size()]
                                     : static_cast<char16_t>(0x4E00 + next() % 0x3000);
        text += u'\r';
    }
    auto buffer = std::make_unique<TextBuffer>();
    char16_t* p = buffer->Allocate(text.size() + 1);
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = 0;
    buffer->SetLength(text.size());
    return buffer;
}

// The reader as it starts with default settings on a 1920-pixel screen, the font pinned.
struct Reader
{
    Reader()
    {
        theParaBlock.ResetToDefaults(ParaScreen{1920, 0xFFFFFF});
        theParaBlock.SetString(PARA_TXT_FONT_NAME, QStringLiteral("Noto Sans CJK SC"), false);
        InstallLayoutEngine();
        RebuildTextMetrics();
        LoadBookPictures();
        book = DenseBook();
        layout = LayOutReadingView(kClient, book.get());
    }
    std::unique_ptr<TextBuffer> book;
    ReadingLayout layout;
};

Reader& TheReader()
{
    static Reader reader;
    return reader;
}

void SetBytes(benchmark::State& state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// The memory limit: one memset over a 24-bit canvas of the client size.
void BM_MemsetCanvas(benchmark::State& state)
{
    CxImage canvas;
    canvas.Create(kClient.width(), kClient.height(), 24);
    int value = 0;
    for (auto _ : state) {
        std::memset(canvas.Row(0), ++value & 0xFF, canvas.ImageSize());
        benchmark::ClobberMemory();
    }
    SetBytes(state, canvas.ImageSize());
}
BENCHMARK(BM_MemsetCanvas)->Unit(benchmark::kMillisecond);

// Desk, cover, spine, bevel, paper, edges and shadow seam on the same canvas, pictures tiled.
void BM_BookBackground(benchmark::State& state)
{
    Reader& reader = TheReader();
    CxImage canvas;
    for (auto _ : state) {
        DrawBookBackground(canvas, kClient, reader.layout.bookRect, reader.layout.spread);
        benchmark::ClobberMemory();
    }
    SetBytes(state, canvas.ImageSize());
}
BENCHMARK(BM_BookBackground)->Unit(benchmark::kMillisecond);

// Both of the above in turns, so a busy machine slows them alike: the ratio of the fastest runs is the
// figure to watch.
void BM_BackgroundOverMemset(benchmark::State& state)
{
    Reader& reader = TheReader();
    CxImage canvas;
    DrawBookBackground(canvas, kClient, reader.layout.bookRect, reader.layout.spread);
    CxImage plain;
    plain.Create(kClient.width(), kClient.height(), 24);
    // The fastest of each: the least disturbed by whatever else the machine runs.
    double background = 1e9;
    double memset = 1e9;
    int value = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        std::memset(plain.Row(0), ++value & 0xFF, plain.ImageSize());
        benchmark::ClobberMemory();
        const auto t1 = std::chrono::steady_clock::now();
        DrawBookBackground(canvas, kClient, reader.layout.bookRect, reader.layout.spread);
        benchmark::ClobberMemory();
        const auto t2 = std::chrono::steady_clock::now();
        memset = std::min(memset, std::chrono::duration<double>(t1 - t0).count());
        background = std::min(background, std::chrono::duration<double>(t2 - t1).count());
    }
    state.counters["ratio"] = memset > 0 ? background / memset : 0;
    state.counters["memset_ms"] = memset * 1000;
    state.counters["background_ms"] = background * 1000;
}
BENCHMARK(BM_BackgroundOverMemset)->Unit(benchmark::kMillisecond);

// The composed canvas turned top-down 32-bit, once per background.
void BM_CanvasToScreen(benchmark::State& state)
{
    Reader& reader = TheReader();
    CxImage canvas;
    DrawBookBackground(canvas, kClient, reader.layout.bookRect, reader.layout.spread);
    for (auto _ : state)
        benchmark::DoNotOptimize(CanvasToScreenImage(canvas));
}
BENCHMARK(BM_CanvasToScreen)->Unit(benchmark::kMillisecond);

// The text of a spread alone, on a picture already in hand.
void BM_DrawSpreadText(benchmark::State& state)
{
    Reader& reader = TheReader();
    QImage image(kClient, QImage::Format_RGB32);
    image.fill(Qt::white);
    int page = 0;
    for (auto _ : state) {
        QPainter painter(&image);
        DrawPages(painter, reader.layout.bookRect, reader.layout.pageSize, *reader.book, true, page);
        page = (page + 2) % 40;
    }
}
BENCHMARK(BM_DrawSpreadText)->Unit(benchmark::kMillisecond);

// A page turn: the kept background copied and a new spread drawn on it.
void BM_ComposeSpread(benchmark::State& state)
{
    Reader& reader = TheReader();
    int page = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComposeReadingPicture(kClient, reader.book.get(), reader.layout.pageSize,
                                                       reader.layout.spread, page));
        page = (page + 2) % 40;
    }
}
BENCHMARK(BM_ComposeSpread)->Unit(benchmark::kMillisecond);

// The same page turn on a 200 % screen: 3840x2160 pixels, glyphs drawn at twice their size.
void BM_ComposeSpread2x(benchmark::State& state)
{
    Reader& reader = TheReader();
    int page = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComposeReadingPicture(kClient, reader.book.get(), reader.layout.pageSize,
                                                       reader.layout.spread, page, 2));
        page = (page + 2) % 40;
    }
}
BENCHMARK(BM_ComposeSpread2x)->Unit(benchmark::kMillisecond);

// A page turn with the pages shown in Traditional characters: each page converted with its context,
// then drawn from the same line cut.
void BM_ComposeSpreadConverted(benchmark::State& state)
{
    Reader& reader = TheReader();
    const std::shared_ptr<ScriptConverter> converter = ScriptConverter::Get(ConvertConfig::S2T);
    if (!converter) {
        state.SkipWithError("OpenCC dictionaries missing");
        return;
    }
    ThePageRenderer().SetShownText(
        [converter](std::u16string_view text, std::int32_t begin, std::int32_t end) {
            return converter->ConvertForDisplay(text, static_cast<std::size_t>(begin),
                                                static_cast<std::size_t>(end));
        });
    int page = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComposeReadingPicture(kClient, reader.book.get(), reader.layout.pageSize,
                                                       reader.layout.spread, page));
        page = (page + 2) % 40;
    }
    ThePageRenderer().SetShownText({});
}
BENCHMARK(BM_ComposeSpreadConverted)->Unit(benchmark::kMillisecond);

// The reader's way with conversion on: pages go through the kept pages. `ahead` = 0: every spread
// is new (more pages than are kept), so each is converted as it is drawn; 1: the next spread was
// made ahead on the worker while the reader read this one (the wait is not timed).
void BM_TurnConverted(benchmark::State& state)
{
    Reader& reader = TheReader();
    const bool ahead = state.range(0) != 0;
    ShownScript& script = ShownScript::Instance();
    script.Set(ConvertConfig::S2T, ScriptConverter::Get(ConvertConfig::S2T));
    if (!script.Converter()) {
        state.SkipWithError("OpenCC dictionaries missing");
        return;
    }
    script.Pages().Clear();
    ThePageRenderer().SetShownText([&script](std::u16string_view text, std::int32_t begin, std::int32_t end) {
        return script.Page(text, static_cast<std::size_t>(begin), static_cast<std::size_t>(end));
    });
    const TextBuffer& book = *reader.book;
    const std::u16string_view text(book.Text(), static_cast<std::size_t>(book.Length()));
    const int pages = std::min(book.PageCount() - 2, 200);
    int page = 0;
    for (auto _ : state) {
        if (ahead) {
            state.PauseTiming();
            const std::vector<ShownPages::Range> next = {
                {static_cast<std::size_t>(book.PageStart(page)),
                 static_cast<std::size_t>(book.PageStart(page + 1))},
                {static_cast<std::size_t>(book.PageStart(page + 1)),
                 static_cast<std::size_t>(book.PageStart(page + 2))}};
            script.Prefetch(text, next);
            script.Pages().WaitIdle();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(ComposeReadingPicture(kClient, reader.book.get(), reader.layout.pageSize,
                                                       reader.layout.spread, page));
        page = (page + 2) % pages;
    }
    ThePageRenderer().SetShownText({});
    script.Set(ConvertConfig::None, nullptr);
}
BENCHMARK(BM_TurnConverted)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Resizing: every frame a new client size, so a new background; the layouts are made beforehand,
// as pagination is measured on its own (bench_paginate).
void BM_ComposeWhileResizing(benchmark::State& state)
{
    Reader& reader = TheReader();
    std::vector<std::pair<QSize, ReadingLayout>> sizes;
    for (int w = 1900; w <= 1920; w += 4) {
        const QSize client(w, 1080 - (1920 - w) / 2);
        sizes.emplace_back(client, LayOutReadingView(client, reader.book.get()));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& [client, layout] = sizes[i++ % sizes.size()];
        benchmark::DoNotOptimize(
            ComposeReadingPicture(client, reader.book.get(), layout.pageSize, layout.spread, 0));
    }
    // Leave the book laid out for the full screen again.
    reader.layout = LayOutReadingView(kClient, reader.book.get());
}
BENCHMARK(BM_ComposeWhileResizing)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
