// Search in the book over ten million characters with 2,000 hits, next to one grep pass over the
// same text in UTF-8: grep -F for the plain search, grep -P for a regex with a class.
#include "searchbook.h"
#include "search/textsearch.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdint>
#include <string>

namespace {

using namespace searchbench;

void Run(benchmark::State& state, const SearchQuery& query)
{
    const QString& book = Book();
    int count = 0;
    for (auto _ : state) {
        count = FindHits(reinterpret_cast<const char16_t*>(book.utf16()), kBookUnits, query, {}).count;
        benchmark::DoNotOptimize(count);
    }
    if (count != kHits)
        state.SkipWithError(("expected 2000 hits, got " + std::to_string(count)).c_str());
    state.SetItemsProcessed(state.iterations() * kBookUnits);
}

void BM_Plain(benchmark::State& state)
{
    Run(state, {kWord, false, false, false});
}

void BM_PlainIgnoreCaseAndWidth(benchmark::State& state)
{
    Run(state, {kWord, false, true, true});
}

const QString kClassPattern = QStringLiteral("风[起]云[涌]");

void BM_RegexClass(benchmark::State& state)
{
    Run(state, {kClassPattern, true, false, false});
}

// One grep process with -o -b over the book in UTF-8.
void Grep(benchmark::State& state, const QString& mode, const QString& pattern)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the book");
            return;
        }
        f.write(QString(Book()).replace(u'\r', u'\n').toUtf8());
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    qsizetype lines = 0;
    for (auto _ : state) {
        QProcess grep;
        grep.setProcessEnvironment(env);
        grep.start(QStringLiteral("grep"), {mode, QStringLiteral("-o"), QStringLiteral("-b"), pattern, path});
        if (!grep.waitForFinished(60000)) {
            state.SkipWithError("grep did not run");
            return;
        }
        lines = grep.readAllStandardOutput().count('\n');
    }
    if (lines != kHits)
        state.SkipWithError(("grep found " + std::to_string(lines)).c_str());
}

void BM_GrepFixedReference(benchmark::State& state)
{
    Grep(state, QStringLiteral("-F"), kWord);
}

void BM_GrepPerlReference(benchmark::State& state)
{
    Grep(state, QStringLiteral("-P"), kClassPattern);
}

} // namespace

BENCHMARK(BM_Plain)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainIgnoreCaseAndWidth)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_GrepFixedReference)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_RegexClass)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_GrepPerlReference)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

BENCHMARK_MAIN();
