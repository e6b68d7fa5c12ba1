// The one-pass keyword scanner must find exactly the lines the engine finds with the same pattern.
#include "chapters/chapterpattern.h"
#include "chapters/keywordlinescanner.h"
#include "chapters/regexmatcher.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <random>
#include <vector>

namespace {

std::vector<std::int32_t> EngineStarts(const QString& keyword, const ChapterSearchOptions& o,
                                       const QString& text)
{
    RegexMatcher m;
    m.Create();
    m.SetGlobal(true);
    m.SetMultiline(true);
    m.SetPattern(BuildChapterPattern(keyword, BuildNumeralClass(o), BuildLineHeadPrefix(o.ClampedLineHead()),
                                     o.sepBlank));
    std::vector<RegexMatch> matches;
    EXPECT_TRUE(m.FindAll(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::int32_t>(text.size()), matches))
        << keyword.toStdString();
    std::vector<std::int32_t> starts;
    for (const RegexMatch& r : matches)
        if (r.length > 0)
            starts.push_back(r.start);
    return starts;
}

TEST(KeywordLineScanner, AgreesWithEngineOnRandomLines)
{
    const QStringList keywords = {QStringLiteral("第×章"),  QStringLiteral("×"),     QStringLiteral("×章"),
                                  QStringLiteral("第×"),    QStringLiteral("章"),    QStringLiteral("第×章×"),
                                  QStringLiteral("第×1章"), QStringLiteral("　第×"), QStringLiteral("a b"),
                                  QStringLiteral("后记"),   QStringLiteral("第×－"), QStringLiteral("×-×")};
    // Blanks, numerals of every kind, separators, keyword characters and a surrogate pair.
    const QStringList alphabet = {
        QStringLiteral(" "),  QStringLiteral("\t"), QStringLiteral("　"), QStringLiteral("1"),
        QStringLiteral("-"),  QStringLiteral("１"), QStringLiteral("十"), QStringLiteral("肆"),
        QStringLiteral("〇"), QStringLiteral("第"), QStringLiteral("章"), QStringLiteral("×"),
        QStringLiteral("】"), QStringLiteral(")"),  QStringLiteral("a"),  QStringLiteral("b"),
        QStringLiteral("后"), QStringLiteral("记"), QStringLiteral("－"), QString::fromUtf16(u"\U00020000")};
    std::mt19937 rng(7);
    std::size_t found = 0;
    for (int round = 0; round < 60; ++round) {
        ChapterSearchOptions o;
        o.engDigit = rng() % 2;
        o.chnDigit = rng() % 2;
        o.chnLower = rng() % 2;
        o.chnUpper = rng() % 2;
        if (!o.engDigit && !o.chnDigit && !o.chnLower && !o.chnUpper)
            o.chnLower = true;
        o.lineHead = static_cast<int>(rng() % 6) * (round % 4 == 0 ? 4 : 1);
        o.sepBlank = rng() % 2;
        QString text;
        for (int line = 0; line < 300; ++line) {
            const int len = static_cast<int>(rng() % 16);
            for (int i = 0; i < len; ++i)
                text += alphabet[static_cast<qsizetype>(rng() % alphabet.size())];
            if (line < 299 || round % 2)
                text += u'\r';
        }
        KeywordLineScanner scanner(o);
        for (const QString& k : keywords) {
            ASSERT_TRUE(KeywordLineScanner::IsPlainKeyword(k));
            scanner.AddKeyword(k);
        }
        ASSERT_TRUE(scanner.Scan(reinterpret_cast<const char16_t*>(text.utf16()),
                                 static_cast<std::int32_t>(text.size()), 100000));
        for (int k = 0; k < keywords.size(); ++k) {
            found += scanner.Starts(k).size();
            ASSERT_EQ(scanner.Starts(k), EngineStarts(keywords[k], o, text))
                << "round " << round << " keyword " << keywords[k].toStdString() << " n " << o.lineHead
                << " sep " << o.sepBlank;
        }
    }
    EXPECT_GT(found, 5000u); // the lines must actually hit, or the agreement proves little
}

TEST(KeywordLineScanner, LeavesPatternSyntaxToEngine)
{
    for (const char16_t* k :
         {u"第×[章节]", u"a.b", u"(x)", u"x|y", u"\\d", u"a+", u"x{2}", u"^x", u"x$", u"a\rb"})
        EXPECT_FALSE(KeywordLineScanner::IsPlainKeyword(QString::fromUtf16(k)));
    EXPECT_FALSE(KeywordLineScanner::IsPlainKeyword(QString()));
    EXPECT_FALSE(KeywordLineScanner::IsPlainKeyword(QString::fromUtf16(u"\U00020000")));
    EXPECT_TRUE(KeywordLineScanner::IsPlainKeyword(QStringLiteral("第×章 #-,")));
}

TEST(KeywordLineScanner, LongNumeralRunStaysCheapAndCapHolds)
{
    ChapterSearchOptions o;
    o.lineHead = 20;
    o.sepBlank = true;
    QString text = QString(200000, u'1') + QStringLiteral("章\r");
    for (int i = 0; i < 100; ++i)
        text += QStringLiteral("第%1章\r").arg(i);
    KeywordLineScanner scanner(o);
    scanner.AddKeyword(QStringLiteral("×章"));
    ASSERT_TRUE(scanner.Scan(reinterpret_cast<const char16_t*>(text.utf16()),
                             static_cast<std::int32_t>(text.size()), 10));
    ASSERT_EQ(scanner.Starts(0).size(), 10u);
    EXPECT_EQ(scanner.Starts(0)[0], 0);
    EXPECT_EQ(scanner.Starts(0)[1], 200002);
}

} // namespace
