// Pagination speed on a generated Chinese book, beside the memory-bound limit of summing advances.
#include "document/pagetable.h"
#include "layout/linecutter.h"
#include "layout/textmetrics.h"
#include "settings/parablock.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>

namespace {

constexpr std::size_t kBookUnits = 10'000'000;

// Paragraphs of 20..600 Han characters with some full-width punctuation and the odd Latin word.
const std::u16string& Book()
{
    static const std::u16string book = [] {
        std::u16string text;
        text.reserve(kBookUnits);
        std::uint32_t seed = 2024;
        auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return seed >> 8;
        };
        const std::u16string punctuation = u"，。、；：？！“”《》";
        while (text.size() < kBookUnits) {
            text += u"\u3000\u3000";
            const std::uint32_t length = 20 + next() % 580;
            for (std::uint32_t i = 0; i < length && text.size() < kBookUnits - 1; ++i) {
                const std::uint32_t r = next() % 100;
                if (r < 8)
                    text += punctuation[next() % punctuation.size()];
                else if (r < 10)
                    text += static_cast<char16_t>(u'a' + next() % 26);
                else
                    text += static_cast<char16_t>(0x4E00 + next() % 0x5000);
            }
            text += u'\r';
        }
        text.resize(kBookUnits);
        return text;
    }();
    return book;
}

// Time per code unit, from the CPU time of each iteration.
benchmark::Counter NanosecondsPerUnit(std::size_t units)
{
    return benchmark::Counter(static_cast<double>(units) * 1e-9,
                              benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BuildMetrics()
{
    static bool built = [] {
        theParaBlock.SetInt(PARA_FONT_SIZE, 26, false);
        theParaBlock.SetInt(PARA_LINE_PERCENT, 5, false);
        theParaBlock.SetInt(PARA_VERTICAL_LINE, 0, false);
        return RebuildTextMetrics();
    }();
    (void)built;
}

// The first rebuild of the process: font files opened and parsed, nothing cached. Runs first.
void BM_FirstRebuildTextMetrics(benchmark::State& state)
{
    for (auto _ : state)
        BuildMetrics();
}
BENCHMARK(BM_FirstRebuildTextMetrics)->Unit(benchmark::kMillisecond)->Iterations(1);

// Page width x height from the arguments: 312x507 is the page of an 800x600 window's spread (12
// characters a line), 832x975 that of a full-screen 1920x1080 one (32 characters a line).
void PaginateBook(benchmark::State& state, bool breakRules)
{
    BuildMetrics();
    const std::u16string& book = Book();
    const TextMetrics& metrics = TheTextMetrics();
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    PageTable table;
    for (auto _ : state) {
        const int pages =
            PaginateText(book.data(), static_cast<std::int32_t>(book.size()), height / metrics.LinePitch(),
                         width, metrics.Advances(), table, breakRules);
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = table.Count();
    state.counters["ns_per_unit"] = NanosecondsPerUnit(book.size());
}

void BM_Paginate(benchmark::State& state)
{
    PaginateBook(state, false);
}
BENCHMARK(BM_Paginate)->Args({312, 507})->Args({832, 975})->Unit(benchmark::kMillisecond);

// The same pagination with the line-break rules on.
void BM_PaginateBreakRules(benchmark::State& state)
{
    PaginateBook(state, true);
}
BENCHMARK(BM_PaginateBreakRules)->Args({312, 507})->Args({832, 975})->Unit(benchmark::kMillisecond);

// The floor: one table look-up and one add per unit, nothing else.
void BM_SumAdvances(benchmark::State& state)
{
    BuildMetrics();
    const std::u16string& book = Book();
    const std::uint8_t* advances = TheTextMetrics().Advances();
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (char16_t unit : book)
            sum += advances[unit];
        benchmark::DoNotOptimize(sum);
    }
    state.counters["ns_per_unit"] = NanosecondsPerUnit(book.size());
}
BENCHMARK(BM_SumAdvances)->Unit(benchmark::kMillisecond);

// A full rebuild at a new size each time, so no engine cache answers for it.
void BM_RebuildTextMetrics(benchmark::State& state)
{
    BuildMetrics();
    int size = 12;
    for (auto _ : state) {
        TextMetrics metrics;
        benchmark::DoNotOptimize(metrics.Rebuild(QString(), size, true, false));
        size = size == 100 ? 12 : size + 1;
    }
}
BENCHMARK(BM_RebuildTextMetrics)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
