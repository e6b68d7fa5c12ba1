// Plain and regex hits, the options, the bounds, the cap, cancelling and wrapping navigation.
#include "search/searchscripts.h"
#include "search/textsearch.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <atomic>
#include <thread>
#include <vector>

namespace {

const char16_t* Units(const QString& s)
{
    return reinterpret_cast<const char16_t*>(s.utf16());
}

struct Found
{
    SearchOutcome outcome;
    std::vector<SearchHit> hits;
};

Found Search(const QString& text, SearchQuery query, const std::atomic<bool>* cancel = nullptr)
{
    Found f;
    f.outcome = FindHits(
        Units(text), static_cast<std::int32_t>(text.size()), query,
        [&f](std::span<const SearchHit> b) { f.hits.insert(f.hits.end(), b.begin(), b.end()); }, cancel);
    return f;
}

SearchQuery Q(const QString& pattern, bool regex = false, bool ignoreCase = false, bool ignoreWidth = false)
{
    return {pattern, regex, ignoreCase, ignoreWidth};
}

using Hits = std::vector<SearchHit>;

TEST(TextSearch, PlainAndRegexWithOptions)
{
    struct Case
    {
        const char* name;
        QString text;
        SearchQuery query;
        Hits expected;
    };
    const Case cases[] = {
        {"plain, non-overlapping", QStringLiteral("aaaa abc"), Q(QStringLiteral("aa")), {{0, 2}, {2, 2}}},
        {"plain keeps case", QStringLiteral("abcABCabc"), Q(QStringLiteral("abc")), {{0, 3}, {6, 3}}},
        {"ignore case",
         QStringLiteral("abcABCabc"),
         Q(QStringLiteral("aBc"), false, true),
         {{0, 3}, {3, 3}, {6, 3}}},
        {"plain Chinese", QStringLiteral("第一章，第二章"), Q(QStringLiteral("章")), {{2, 1}, {6, 1}}},
        {"width alone keeps case",
         QStringLiteral("ＡＢＣ ABC abc"),
         Q(QStringLiteral("abc"), false, false, true),
         {{8, 3}}},
        {"width folds full-width Latin",
         QStringLiteral("ＡＢＣ ABC abc"),
         Q(QStringLiteral("ABC"), false, false, true),
         {{0, 3}, {4, 3}}},
        {"width and case",
         QStringLiteral("ＡＢＣ ABC abc"),
         Q(QStringLiteral("abc"), false, true, true),
         {{0, 3}, {4, 3}, {8, 3}}},
        {"width: full-width pattern finds half-width text",
         QStringLiteral("(注) 12"),
         Q(QStringLiteral("（注）　１２"), false, false, true),
         {{0, 6}}},
        {"width: half-width katakana",
         QStringLiteral("ｶﾀｶﾅ カタカナ"),
         Q(QStringLiteral("カタ"), false, false, true),
         {{0, 2}, {5, 2}}},
        {"no width folding unless asked", QStringLiteral("ＡＢＣ"), Q(QStringLiteral("ABC")), {}},
        {"regex offsets count UTF-16 units after astral characters",
         QStringLiteral("𠀀ab𠀀ab"),
         Q(QStringLiteral("a[b]"), true),
         {{2, 2}, {6, 2}}},
        {"regex \\s spans a line end",
         QStringLiteral("第一行\r第二行"),
         Q(QStringLiteral("行\\s第"), true),
         {{2, 3}}},
        {"regex ^ after CR", QStringLiteral("ab\rab"), Q(QStringLiteral("^a"), true), {{0, 1}, {3, 1}}},
        {"regex ignore case",
         QStringLiteral("Foo foo"),
         Q(QStringLiteral("f[o]+"), true, true),
         {{0, 3}, {4, 3}}},
        {"regex width: full-width parentheses stay literal",
         QStringLiteral("(注)注"),
         Q(QStringLiteral("（注）"), true, false, true),
         {{0, 3}}},
        {"regex width: escaped and inside a class",
         QStringLiteral("（1）(2)"),
         Q(QStringLiteral("\\([１2][)）]"), true, false, true),
         {{0, 3}, {3, 3}}},
        {"regex width: quoted",
         QStringLiteral("a(b"),
         Q(QStringLiteral("\\Qａ（\\E."), true, false, true),
         {{0, 3}}},
        {"empty matches are no hits", QStringLiteral("baab"), Q(QStringLiteral("a*"), true), {{1, 2}}},
        {"a lone surrogate does not lose the book",
         QStringLiteral("ab") + QChar(0xD800) + QStringLiteral("ab"),
         Q(QStringLiteral("ab"), true),
         {{0, 2}, {3, 2}}},
    };
    for (const Case& c : cases) {
        const Found f = Search(c.text, c.query);
        EXPECT_EQ(f.outcome.status, SearchStatus::Done) << c.name;
        EXPECT_EQ(f.hits, c.expected) << c.name;
        EXPECT_EQ(f.outcome.count, static_cast<int>(c.expected.size())) << c.name;
    }
}

// The regex runs in windows of the text; every hit must be the one a single pass over the whole
// text finds, whatever falls on a window's edge.
TEST(TextSearch, WindowedRegexAgreesWithOnePass)
{
    QString text;
    std::uint32_t seed = 7;
    while (text.size() < 600'000) {
        seed = seed * 1103515245u + 12345u;
        const std::uint32_t r = (seed >> 8) % 16;
        text += r < 5 ? u'a' : r < 9 ? u'b' : r < 11 ? u'c' : r < 12 ? u'\r' : r < 13 ? u' ' : u'中';
    }
    const QString patterns[] = {
        QStringLiteral("a+b"),    QStringLiteral("b[^a]*?c"),    QStringLiteral("(?<=a)b+"),
        QStringLiteral("\\bab"),  QStringLiteral("c$"),          QStringLiteral("^b\\s*"),
        QStringLiteral("a(?=c)"), QStringLiteral("[^\\r]{30,}"), QStringLiteral("(?:ab|ba)+\\s"),
    };
    for (const QString& p : patterns) {
        const QRegularExpression re(QStringLiteral("(*CR)") + p, QRegularExpression::MultilineOption);
        Hits expected;
        auto it = re.globalMatch(text);
        while (it.hasNext()) {
            const auto m = it.next();
            if (m.capturedLength() > 0)
                expected.push_back({static_cast<std::int32_t>(m.capturedStart()),
                                    static_cast<std::int32_t>(m.capturedLength())});
        }
        if (expected.size() > kMaxSearchHits)
            expected.resize(kMaxSearchHits);
        const Found f = Search(text, Q(p, true));
        EXPECT_EQ(f.hits, expected) << p.toStdString();
    }
}

TEST(TextSearch, CapsAtTenThousandAndSaysSo)
{
    const QString exact = QStringLiteral("x ").repeated(kMaxSearchHits);
    for (bool regex : {false, true}) {
        const Found all = Search(exact, Q(QStringLiteral("x"), regex));
        EXPECT_EQ(all.outcome.status, SearchStatus::Done);
        EXPECT_EQ(all.hits.size(), std::size_t(kMaxSearchHits));
        const Found capped = Search(exact + QStringLiteral("x"), Q(QStringLiteral("x"), regex));
        EXPECT_EQ(capped.outcome.status, SearchStatus::Capped);
        EXPECT_EQ(capped.outcome.count, kMaxSearchHits);
        ASSERT_EQ(capped.hits.size(), std::size_t(kMaxSearchHits));
        EXPECT_EQ(capped.hits.back().offset, 2 * (kMaxSearchHits - 1));
    }
}

TEST(TextSearch, BadPatternsGiveTheReason)
{
    struct Case
    {
        QString pattern;
        const char* mentions;
    };
    const Case cases[] = {
        {QStringLiteral("(ab"), "missing closing parenthesis"},
        {QStringLiteral("[a"), "missing terminating ]"},
        {QStringLiteral("(*LIMIT_MATCH=999999999)a"), "(*"},
    };
    for (const Case& c : cases) {
        const Found f = Search(QStringLiteral("ab"), Q(c.pattern, true));
        EXPECT_EQ(f.outcome.status, SearchStatus::InvalidPattern) << c.mentions;
        EXPECT_TRUE(f.outcome.message.startsWith(QStringLiteral("正则表达式有误：")))
            << f.outcome.message.toStdString();
        EXPECT_TRUE(f.outcome.message.contains(QString::fromUtf8(c.mentions)))
            << f.outcome.message.toStdString();
        EXPECT_TRUE(f.hits.empty());
        EXPECT_EQ(SearchPatternProblem(Q(c.pattern, true)), f.outcome.message);
    }
    // As plain text the same characters are simply searched for.
    EXPECT_EQ(Search(QStringLiteral("x(ab"), Q(QStringLiteral("(ab"))).hits, (Hits{{1, 3}}));
}

TEST(TextSearch, HostilePatternStopsAtTheLimitKeepingEarlierHits)
{
    const QString text = QStringLiteral("ab ") + QString(50'000, u'a') + QStringLiteral("c ab");
    QElapsedTimer clock;
    clock.start();
    const Found f = Search(text, Q(QStringLiteral("(a|aa)+b"), true));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(f.outcome.status, SearchStatus::LimitHit);
    EXPECT_FALSE(f.outcome.message.isEmpty());
    EXPECT_EQ(f.hits, (Hits{{0, 2}}));
}

// A slow pattern under the step limit (every attempt runs to the end of a long line) must still
// notice the cancel flag quickly; cancelled searches report nothing.
TEST(TextSearch, CancelStopsALongRunPromptly)
{
    const QString slow = QString(QString(20'000, u'中') + u'\r').repeated(20);
    std::atomic<bool> cancel{false};
    std::atomic<bool> started{false};
    Found f;
    std::thread t([&] {
        started = true;
        f = Search(slow, Q(QStringLiteral("(?:[^\\r]|x)*[YZ]"), true), &cancel);
    });
    while (!started)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QElapsedTimer clock;
    clock.start();
    cancel = true;
    t.join();
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(f.outcome.status, SearchStatus::Cancelled);

    const Found plain = Search(QStringLiteral("ab ab"), Q(QStringLiteral("ab")), &cancel);
    EXPECT_EQ(plain.outcome.status, SearchStatus::Cancelled);
    EXPECT_EQ(plain.outcome.count, 0);
}

TEST(TextSearch, NextAndPreviousWrapAtBothEnds)
{
    const Hits hits{{10, 2}, {20, 2}, {30, 2}};
    struct Case
    {
        std::int32_t position;
        int next;
        int previous;
    };
    const Case cases[] = {
        {0, 0, 2}, {10, 1, 2}, {15, 1, 0}, {20, 2, 0}, {30, 0, 1}, {99, 0, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NextHit(hits, c.position), c.next) << c.position;
        EXPECT_EQ(PreviousHit(hits, c.position), c.previous) << c.position;
    }
    EXPECT_EQ(NextHit({}, 5), -1);
    EXPECT_EQ(PreviousHit({}, 5), -1);
}

TEST(TextSearch, ContextShowsLineEndsAsSpacesAndKeepsPairs)
{
    const QString text = QStringLiteral("𠀀一二\r三\t四五六七八九十");
    const SearchContext c = ContextOfHit(Units(text), static_cast<std::int32_t>(text.size()), {6, 2}, 3, 3);
    EXPECT_EQ(c.text, QStringLiteral("二 三 四五六七"));
    EXPECT_EQ(c.hitStart, 3);
    EXPECT_EQ(c.hitLength, 2);
    // Three units before offset 3 would cut the pair in half.
    const SearchContext p = ContextOfHit(Units(text), static_cast<std::int32_t>(text.size()), {3, 1}, 2, 0);
    EXPECT_EQ(p.text, QStringLiteral("一二"));
    EXPECT_EQ(p.hitStart, 1);
}

} // namespace

// A pattern typed in the script the book is shown in, or in the book's own, finds the book's text;
// the forms join as alternatives without changing what a pattern means.
TEST(TextSearch, EitherScriptFindsTheBooksText)
{
    const QString traditional = QStringLiteral("後來的圖書館（頭髮）。后来");
    const struct
    {
        ConvertConfig shown;
        QString pattern;
        bool regex;
        bool ignoreWidth;
        Hits expected;
    } cases[] = {
        {ConvertConfig::T2S, QStringLiteral("图书馆"), false, false, {{3, 3}}},
        {ConvertConfig::T2S, QStringLiteral("后来"), false, false, {{0, 2}, {11, 2}}},
        {ConvertConfig::None, QStringLiteral("图书馆"), false, false, {}},
        // Width folding still applies to the forms, and their brackets stay literal.
        {ConvertConfig::T2S, QStringLiteral("(头发)"), false, true, {{6, 4}}},
        {ConvertConfig::T2S, QStringLiteral("图.馆|头发"), true, false, {{3, 3}, {7, 2}}},
        // A back-reference would point into another alternative: the pattern is searched alone.
        {ConvertConfig::T2S, QStringLiteral("(后)来\\1"), true, false, {}},
        {ConvertConfig::S2T, QStringLiteral("後來"), false, false, {{0, 2}, {11, 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern.toStdString());
        SearchQuery query = Q(c.pattern, c.regex, false, c.ignoreWidth);
        query.shownScript = c.shown;
        query.otherForms = OtherScriptForms(query);
        EXPECT_FALSE(query.otherForms.contains(c.pattern));
        const Found f = Search(traditional, query);
        EXPECT_EQ(f.outcome.status, SearchStatus::Done);
        EXPECT_EQ(f.hits, c.expected);
    }
}
