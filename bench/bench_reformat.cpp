// Reformat speed on a generated hard-wrapped book of ten million characters.
#include "reformat/complexreformat.h"
#include "reformat/simplereformat.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kBookUnits = 10'000'000;

// Paragraphs indented with two ideographic spaces, lines broken at 38 characters, a blank line now
// and then, and the odd trailing blank: what a downloaded book looks like before reformatting.
const std::u16string& Book()
{
    static const std::u16string book = [] {
        std::u16string s;
        s.reserve(kBookUnits + 64);
        std::uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 8;
        };
        while (s.size() < kBookUnits) {
            s += u"\x3000\x3000";
            const std::uint32_t lines = 1 + next() % 6;
            for (std::uint32_t l = 0; l < lines; ++l) {
                const std::uint32_t width = l + 1 == lines ? 5 + next() % 30 : 38;
                for (std::uint32_t c = 0; c < width; ++c)
                    s += static_cast<char16_t>(next() % 7 == 0 ? u'，' : 0x4E00 + next() % 0x5000);
                if (next() % 9 == 0)
                    s += u' ';
                s += u'\r';
            }
            if (next() % 5 == 0)
                s += u'\r';
        }
        s.resize(kBookUnits);
        return s;
    }();
    return book;
}

// Both passes, as the command runs them: measure, then write.
template <typename Run> void MeasureAndWrite(benchmark::State& state, Run run)
{
    const std::u16string& book = Book();
    const auto length = static_cast<std::int32_t>(book.size());
    for (auto _ : state) {
        const std::int64_t n = run(book.data(), length, nullptr);
        auto out = std::make_unique<char16_t[]>(static_cast<std::size_t>(n));
        benchmark::DoNotOptimize(run(book.data(), length, out.get()));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(book.size()));
}

void BM_ComplexReformatDefaults(benchmark::State& state)
{
    const ComplexOptions o;
    MeasureAndWrite(state, [&o](const char16_t* t, std::int32_t n, char16_t* out) {
        return ComplexReformat(t, n, out, o);
    });
}

void BM_ComplexReformatEverySign(benchmark::State& state)
{
    ComplexOptions o;
    o.checkLineLen = true;
    o.endWithSpec = true;
    o.addBlankLine = true;
    MeasureAndWrite(state, [&o](const char16_t* t, std::int32_t n, char16_t* out) {
        return ComplexReformat(t, n, out, o);
    });
}

void BM_SimpleReformatAllOn(benchmark::State& state)
{
    const SimpleOptions o;
    MeasureAndWrite(state, [&o](const char16_t* t, std::int32_t n, char16_t* out) {
        return SimpleReformat(t, n, out, o);
    });
}

// The floor: the book copied once into a fresh buffer of its size, as the result must be written.
void BM_CopyBook(benchmark::State& state)
{
    const std::u16string& book = Book();
    for (auto _ : state) {
        auto out = std::make_unique<char16_t[]>(book.size());
        std::memcpy(out.get(), book.data(), book.size() * sizeof(char16_t));
        benchmark::DoNotOptimize(out.get());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(book.size()));
}

} // namespace

BENCHMARK(BM_CopyBook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComplexReformatDefaults)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComplexReformatEverySign)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimpleReformatAllOn)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
