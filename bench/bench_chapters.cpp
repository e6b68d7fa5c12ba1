// Chapter search speed: the ten default conditions over ten million characters with 2,000 chapters,
// next to one grep -P pass with one such pattern over the same text in UTF-8.
#include "chapters/chapterdetection.h"
#include "chapters/chapterpattern.h"
#include "chapters/regexmatcher.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kBookUnits = 10'000'000;
constexpr int kChapters = 2000;

QString ChineseNumber(int n)
{
    static const char16_t digits[] = u"零一二三四五六七八九";
    QString out;
    if (n >= 1000)
        out += QChar(digits[n / 1000]) + QStringLiteral("千");
    if (n >= 100)
        out += QChar(digits[n / 100 % 10]) + QStringLiteral("百");
    if (n >= 10)
        out += QChar(digits[n / 10 % 10]) + QStringLiteral("十");
    if (n % 10)
        out += QChar(digits[n % 10]);
    return out;
}

// Paragraphs opening with two ideographic spaces; headings alternate Chinese and Arabic numerals,
// one every 5,000 characters. Ordinary text holds "第" now and then, as real books do.
const QString& Book()
{
    static const QString book = [] {
        QString s;
        s.reserve(kBookUnits + 1024);
        std::uint32_t seed = 2024;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 8;
        };
        const QString common = QStringLiteral(
            "的一是了我不人在他有这个上们来到时大地为子中你说生国年着就那和要她出也得里后自以会");
        int chapter = 0;
        while (s.size() < kBookUnits) {
            if (chapter < kChapters &&
                s.size() >= static_cast<qsizetype>(chapter) * (kBookUnits / kChapters)) {
                ++chapter;
                s += chapter % 2
                         ? QStringLiteral("　　第") + ChineseNumber(chapter) + QStringLiteral("章　风起云涌")
                         : QStringLiteral("第") + QString::number(chapter) + QStringLiteral("章 夜行");
                s += u'\r';
            }
            s += QStringLiteral("　　");
            const std::uint32_t len = 20 + next() % 280;
            for (std::uint32_t i = 0; i < len; ++i) {
                const std::uint32_t r = next() % 100;
                if (r < 8)
                    s += QStringLiteral("，");
                else if (r < 10)
                    s += QStringLiteral("。");
                else if (r < 11)
                    s += QStringLiteral("第");
                else if (r < 60)
                    s += common[static_cast<qsizetype>(next() % common.size())];
                else
                    s += QChar(static_cast<char16_t>(0x4E00 + next() % 0x5000));
            }
            s += u'\r';
        }
        s.truncate(kBookUnits);
        return s;
    }();
    return book;
}

const char16_t* Text()
{
    return reinterpret_cast<const char16_t*>(Book().utf16());
}

// The reader's default chapter settings.
ChapterSearchOptions Defaults()
{
    return {};
}

void RunSearch(benchmark::State& state, const ChapterConditionList& conditions)
{
    RegexMatcher matcher;
    matcher.Create();
    matcher.SetGlobal(true);
    matcher.SetMultiline(true);
    ChapterTable table;
    int rows = 0;
    for (auto _ : state) {
        FindChapterStarts(Text(), kBookUnits, matcher, conditions, Defaults(), table);
        rows = BuildChapterEntries(Text(), kBookUnits, table, true, {}, {});
        benchmark::DoNotOptimize(rows);
    }
    if (rows != kChapters)
        state.SkipWithError(("expected 2000 rows, got " + std::to_string(rows)).c_str());
    state.SetItemsProcessed(state.iterations() * kBookUnits);
}

void BM_DefaultConditions(benchmark::State& state)
{
    ChapterConditionList conditions;
    conditions.FillDefaults();
    RunSearch(state, conditions);
}

// The same conditions written so that each one goes through the regular-expression engine.
void BM_DefaultConditionsThroughEngine(benchmark::State& state)
{
    ChapterConditionList conditions;
    for (QString c : ChapterConditionList::Defaults())
        conditions.Add(c.replace(u'第', QStringLiteral("[第]")));
    RunSearch(state, conditions);
}

// One grep -P process over the book in UTF-8 with the 第×章 pattern the defaults build.
void BM_GrepReference(benchmark::State& state)
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
    const ChapterSearchOptions o = Defaults();
    const QString pattern = BuildChapterPattern(QStringLiteral("第×章"), BuildNumeralClass(o),
                                                BuildLineHeadPrefix(o.ClampedLineHead()), o.sepBlank);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    QByteArray count;
    for (auto _ : state) {
        QProcess grep;
        grep.setProcessEnvironment(env);
        grep.start(QStringLiteral("grep"), {QStringLiteral("-P"), QStringLiteral("-c"), pattern, path});
        if (!grep.waitForFinished(60000)) {
            state.SkipWithError("grep did not run");
            return;
        }
        count = grep.readAllStandardOutput().trimmed();
    }
    if (count != "2000")
        state.SkipWithError(("grep counted " + count.toStdString()).c_str());
}

} // namespace

BENCHMARK(BM_DefaultConditions)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DefaultConditionsThroughEngine)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_GrepReference)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

BENCHMARK_MAIN();
