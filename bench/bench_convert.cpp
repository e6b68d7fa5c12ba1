// Script conversion: one 1920x1080 spread's text (two pages of about 1,000 characters) converted for
// display with its context, and whole-text conversion for comparison.
#include "convert/scriptconverter.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <string>

namespace {

constexpr std::size_t kSpread = 2000;

// Simplified prose: common words that convert as phrases, single characters, punctuation and
// paragraphs of 300 to 1,200 characters.
std::u16string SimplifiedBook(std::size_t size)
{
    const std::u16string words[] = {u"头发", u"干净", u"后来",   u"我们", u"图书馆", u"发展",
                                    u"里面", u"面条", u"计算机", u"历史", u"这个",   u"时间",
                                    u"说话", u"东西", u"门口",   u"学习"};
    const std::u16string punctuation = u"，。、；：？！“”";
    std::u16string text;
    std::uint32_t seed = 7;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    while (text.size() < size) {
        text += u"\u3000\u3000";
        const std::size_t end = text.size() + 300 + next() % 900;
        while (text.size() < end) {
            const std::uint32_t pick = next() % 100;
            if (pick < 8)
                text += punctuation[next() % punctuation.size()];
            else if (pick < 60)
                text += words[next() % std::size(words)];
            else
                text += static_cast<char16_t>(0x4E00 + next() % 0x3000);
        }
        text += u'\r';
    }
    return text;
}

const std::u16string& Book()
{
    static const std::u16string book = SimplifiedBook(2'000'000);
    return book;
}

// The converter, and how long its first load (reading the dictionaries) took.
std::shared_ptr<ScriptConverter> Load(ConvertConfig config, double* ms)
{
    static double firstLoadMs[8] = {};
    const auto start = std::chrono::steady_clock::now();
    auto converter = ScriptConverter::Get(config);
    double& first = firstLoadMs[static_cast<int>(config) & 7];
    if (first == 0)
        first = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    *ms = first;
    return converter;
}

// Turning through the book: each spread starts where the last one ended, as a reader turns pages.
void BM_ConvertSpreadForDisplay(benchmark::State& state)
{
    double loadMs = 0;
    const auto converter = Load(static_cast<ConvertConfig>(state.range(0)), &loadMs);
    if (!converter) {
        state.SkipWithError("OpenCC dictionaries missing");
        return;
    }
    const std::u16string& book = Book();
    std::size_t at = 0;
    for (auto _ : state) {
        if (at + kSpread > book.size())
            at = 0;
        benchmark::DoNotOptimize(converter->ConvertForDisplay(book, at, at + kSpread));
        at += kSpread;
    }
    state.counters["load_ms"] = loadMs;
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSpread));
}
BENCHMARK(BM_ConvertSpreadForDisplay)
    ->ArgName("config")
    ->Arg(static_cast<int>(ConvertConfig::S2T))
    ->Arg(static_cast<int>(ConvertConfig::S2TW))
    ->Arg(static_cast<int>(ConvertConfig::T2S))
    ->Unit(benchmark::kMillisecond);

// The same amount of text converted as a whole (what text --convert does), for scale.
void BM_ConvertWholeSpread(benchmark::State& state)
{
    double loadMs = 0;
    const auto converter = Load(ConvertConfig::S2T, &loadMs);
    if (!converter) {
        state.SkipWithError("OpenCC dictionaries missing");
        return;
    }
    const std::u16string_view book = Book();
    std::size_t at = 0;
    for (auto _ : state) {
        if (at + kSpread > book.size())
            at = 0;
        benchmark::DoNotOptimize(converter->ConvertWhole(book.substr(at, kSpread)));
        at += kSpread;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kSpread));
}
BENCHMARK(BM_ConvertWholeSpread)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
