// Chapter starts, titles, repeat filters, the table cap and bad conditions.
#include "chapters/chapterdetection.h"
#include "chapters/regexmatcher.h"
#include "settings/messagesink.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>
#include <utility>
#include <vector>

namespace {

ChapterSearchOptions AllKinds(int lineHead, bool sep)
{
    ChapterSearchOptions o;
    o.engDigit = o.chnDigit = o.chnLower = o.chnUpper = true;
    o.lineHead = lineHead;
    o.sepBlank = sep;
    o.noDupChapter = true;
    return o;
}

ChapterConditionList Conditions(const QStringList& items)
{
    ChapterConditionList list;
    for (const QString& s : items)
        list.Add(s);
    return list;
}

ChapterConditionList Defaults()
{
    ChapterConditionList list;
    list.FillDefaults();
    return list;
}

// Lines joined with CR, the way a loaded book holds them.
QString Book(const QStringList& lines)
{
    return lines.join(u'\r') + u'\r';
}

class Detection : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_matcher.Create());
        m_matcher.SetGlobal(true);
        m_matcher.SetMultiline(true);
    }

    ChapterSearchResult Find(const QString& text, const ChapterConditionList& conditions,
                             const ChapterSearchOptions& options)
    {
        m_text = text;
        return FindChapterStarts(Utf16(), Length(), m_matcher, conditions, options, m_table, nullptr,
                                 &m_report);
    }
    std::vector<std::int32_t> Starts() const
    {
        return {m_table.Entries().begin(), m_table.Entries().begin() + m_table.Count()};
    }
    std::vector<ChapterEntry> Rows(bool noDup)
    {
        std::vector<ChapterEntry> rows;
        BuildChapterEntries(
            Utf16(), Length(), m_table, noDup, [](std::int32_t o) { return QString::number(o); },
            [&rows](const ChapterEntry& e) { rows.push_back(e); });
        return rows;
    }
    QStringList Titles(bool noDup)
    {
        QStringList t;
        for (const ChapterEntry& e : Rows(noDup))
            t << e.title;
        return t;
    }
    const char16_t* Utf16() const { return reinterpret_cast<const char16_t*>(m_text.utf16()); }
    std::int32_t Length() const { return static_cast<std::int32_t>(m_text.size()); }

    RegexMatcher m_matcher;
    ChapterTable m_table;
    ChapterSearchReport m_report;
    QString m_text;
    RecordingMessageSink m_sink;
    ScopedMessageSink m_scoped{&m_sink};
};

TEST_F(Detection, IndentedHeadingStartsAtLineStartAndKeepsInnerBlank)
{
    const QString text =
        Book({QStringLiteral("序"), QStringLiteral("　　第十二章　风起"), QStringLiteral("正文")});
    ASSERT_EQ(Find(text, Defaults(), AllKinds(0, true)), ChapterSearchResult::Done);
    EXPECT_EQ(Starts(), std::vector<std::int32_t>{2});
    const auto rows = Rows(true);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].title, QStringLiteral("第十二章　风起"));
    EXPECT_EQ(rows[0].label, QStringLiteral("2"));
    EXPECT_TRUE(m_sink.Messages().isEmpty());
}

TEST_F(Detection, SeparatorAndLineHeadDecideWhatCounts)
{
    const QString glued = Book({QStringLiteral("第十二章风起")});
    Find(glued, Defaults(), AllKinds(0, true));
    EXPECT_EQ(m_table.Count(), 0);
    Find(glued, Defaults(), AllKinds(0, false));
    EXPECT_EQ(m_table.Count(), 1);

    // The line end itself is a separator.
    Find(Book({QStringLiteral("第5章")}), Defaults(), AllKinds(0, true));
    EXPECT_EQ(m_table.Count(), 1);
    // ...but the end of the text is not.
    Find(QStringLiteral("第5章"), Defaults(), AllKinds(0, true));
    EXPECT_EQ(m_table.Count(), 0);

    const QString headed = Book({QStringLiteral("x"), QStringLiteral("卷一 第5章")});
    Find(headed, Defaults(), AllKinds(3, false));
    EXPECT_EQ(Starts(), std::vector<std::int32_t>{2});
    Find(headed, Defaults(), AllKinds(2, false));
    EXPECT_EQ(m_table.Count(), 0);
    // Blanks before the characters do not count against the limit.
    Find(Book({QStringLiteral("　　 卷一 第5章")}), Defaults(), AllKinds(3, false));
    EXPECT_EQ(m_table.Count(), 1);
}

TEST_F(Detection, ConditionsHittingOneLineGiveOneEntry)
{
    const QString text = Book({QStringLiteral("第一卷 第二章 开端"), QStringLiteral("第3节 再会")});
    Find(text, Defaults(), AllKinds(10, true));
    EXPECT_EQ(Starts(), (std::vector<std::int32_t>{0, 11}));
}

TEST_F(Detection, OnlyFirstPlaceholderIsNumeral)
{
    const auto conditions = Conditions({QStringLiteral("*第×章×"), QStringLiteral("*(?:卷)×部×")});
    const QString text = Book({QStringLiteral("第3章×"), QStringLiteral("第3章4"), QStringLiteral("卷2部×"),
                               QStringLiteral("卷2部7")});
    Find(text, conditions, AllKinds(0, true));
    EXPECT_EQ(Starts(), (std::vector<std::int32_t>{0, 10}));
}

TEST_F(Detection, AlternativeOrMatchResetInConditionStaysAtLineStart)
{
    const QString text =
        Book({QStringLiteral("他说好 的"), QStringLiteral("第1章 甲"), QStringLiteral("其后 第2节 乙")});
    // "好" must open a line too, not stand anywhere before a blank.
    Find(text, Conditions({QStringLiteral("*第×章|好")}), AllKinds(0, true));
    EXPECT_EQ(Starts(), (std::vector<std::int32_t>{6}));
    Find(text, Conditions({QStringLiteral("*第×\\K[章节]")}), AllKinds(3, true));
    EXPECT_EQ(Starts(), (std::vector<std::int32_t>{6, 12}));
}

TEST_F(Detection, BrokenConditionsAreSkippedAndOthersStillRun)
{
    QString longCondition = QStringLiteral("*");
    for (int i = 0; i < 1500; ++i)
        longCondition += QStringLiteral("a?");
    longCondition += QString(1000, u'a');
    ASSERT_EQ(longCondition.size(), 4001);
    const QString longPlain = QStringLiteral("*第×章") + QString(3997, u'x');
    const auto conditions = Conditions({QStringLiteral("*第×章("), QStringLiteral("*(a+)+$"), longCondition,
                                        longPlain, QStringLiteral("*第×[回集]"), QStringLiteral("*后记")});
    ASSERT_EQ(conditions.Count(), 6);
    QStringList lines;
    for (int i = 0; i < 50; ++i)
        lines << QString(40, u'a') + u'b';
    lines << QStringLiteral("第1章 不算") << QStringLiteral("第2回 算") << QStringLiteral("后记");
    Find(Book(lines), conditions, AllKinds(10, true));
    const QStringList titles = Titles(true);
    EXPECT_EQ(titles, (QStringList{QStringLiteral("第2回 算"), QStringLiteral("后记")}));
    EXPECT_TRUE(m_sink.Messages().isEmpty());
}

TEST_F(Detection, NoNumeralKindShowsMessageEvenWithoutPlaceholders)
{
    ChapterSearchOptions none = AllKinds(0, true);
    none.engDigit = none.chnDigit = none.chnLower = none.chnUpper = false;
    m_table[0] = 5;
    EXPECT_EQ(Find(Book({QStringLiteral("后记")}), Conditions({QStringLiteral("*后记")}), none),
              ChapterSearchResult::NoNumeralKind);
    EXPECT_EQ(m_table.Count(), 0);
    EXPECT_EQ(m_sink.Messages(), QStringList{QStringLiteral("抱歉，查找条件有问题，请检查设置。")});
}

TEST_F(Detection, TitlesDifferingInBlanksCaseOrWidthCollapse)
{
    const QString text =
        Book({QStringLiteral("第1章 开始"), QStringLiteral("第１章　开始"), QStringLiteral("第2章 Part A"),
              QStringLiteral("第2章 ＰＡＲＴ　ａ"), QStringLiteral("第3章 【上】"),
              QStringLiteral("第3章 [上]"), QStringLiteral("第1章 开始")});
    Find(text, Defaults(), AllKinds(0, true));
    EXPECT_EQ(m_table.Count(), 7);
    EXPECT_EQ(Titles(false), (QStringList{QStringLiteral("第1章 开始"), QStringLiteral("第2章 Part A"),
                                          QStringLiteral("第3章 【上】"), QStringLiteral("第1章 开始")}));
    // Dropped rows are squeezed out of the table so that entry i is row i.
    ASSERT_EQ(m_table.Count(), 4);
    EXPECT_EQ(m_table[1], text.indexOf(QStringLiteral("第2章 Part A")));
    EXPECT_EQ(m_table[3], text.lastIndexOf(QStringLiteral("第1章 开始")));
}

TEST_F(Detection, RepeatedChapterNumberFilterReadsOnlyArabicDigits)
{
    const QString arabic =
        Book({QStringLiteral("第3章 上"), QStringLiteral("第3章 下"), QStringLiteral("第4章")});
    Find(arabic, Defaults(), AllKinds(0, true));
    EXPECT_EQ(Titles(true), (QStringList{QStringLiteral("第3章 上"), QStringLiteral("第4章")}));
    Find(arabic, Defaults(), AllKinds(0, true));
    EXPECT_EQ(Titles(false).size(), 3);

    Find(Book({QStringLiteral("第三章 上"), QStringLiteral("第三章 下")}), Defaults(), AllKinds(0, true));
    EXPECT_EQ(Titles(true).size(), 2);

    EXPECT_EQ(ChapterNumberOf(QStringLiteral("卷2 第１２ 章 x")), 12);
    EXPECT_EQ(ChapterNumberOf(QStringLiteral("第5节")), 0);
    EXPECT_EQ(ChapterNumberOf(QStringLiteral("第5章 第7章")), 7);
    EXPECT_EQ(ChapterNumberOf(QStringLiteral("第99999999999章")), static_cast<std::int32_t>(1215752191u));
}

TEST_F(Detection, TableStopsAtCapInConditionThenTextOrder)
{
    // 3,000 节 lines, then 3,000 章 lines; 章 is searched first, so all of those survive and only the
    // first 1,096 节 lines do. Both the scanner and the engine path must cut the same way.
    QStringList lines;
    for (int i = 1; i <= 3000; ++i)
        lines << QStringLiteral("第%1节").arg(i);
    for (int i = 1; i <= 3000; ++i)
        lines << QStringLiteral("第%1章").arg(i);
    const QString text = Book(lines);
    for (const QStringList& conds : {QStringList{QStringLiteral("*第×章"), QStringLiteral("*第×节")},
                                     QStringList{QStringLiteral("*第×[章]"), QStringLiteral("*第×[节]")}}) {
        Find(text, Conditions(conds), AllKinds(0, true));
        ASSERT_EQ(m_table.Count(), ChapterTable::kSize);
        const auto starts = Starts();
        EXPECT_TRUE(std::is_sorted(starts.begin(), starts.end()));
        EXPECT_EQ(starts.front(), 0);
        EXPECT_EQ(starts[1095], text.indexOf(QStringLiteral("第1096节")));
        EXPECT_EQ(starts[1096], text.indexOf(QStringLiteral("第1章")));
        EXPECT_EQ(starts.back(), text.indexOf(QStringLiteral("第3000章")));
        EXPECT_EQ(Rows(true).size(), static_cast<std::size_t>(ChapterTable::kSize));
    }
    // One condition hitting every line: the first 4,096 lines in text order.
    Find(text, Conditions({QStringLiteral("*第×[章节]")}), AllKinds(0, true));
    ASSERT_EQ(m_table.Count(), ChapterTable::kSize);
    EXPECT_EQ(m_table[ChapterTable::kSize - 1], text.indexOf(QStringLiteral("第1096章")));
    // The cap is told, not silent.
    EXPECT_TRUE(m_report.tableFull);
    EXPECT_TRUE(ChapterSearchNotices(m_report).join(u' ').contains(QStringLiteral("4096")));
    Find(Book(lines.mid(0, 4095)), Conditions({QStringLiteral("*第×[章节]")}), AllKinds(0, true));
    EXPECT_EQ(m_table.Count(), 4095);
    EXPECT_FALSE(m_report.tableFull);
    EXPECT_TRUE(ChapterSearchNotices(m_report).isEmpty());
}

TEST_F(Detection, LoneSurrogateDoesNotHideChapters)
{
    QString text = Book({QStringLiteral("第1章 甲"), QStringLiteral("x?y"), QStringLiteral("第2章 乙")});
    text[text.indexOf(u'?')] = QChar(0xD800);
    Find(text, Conditions({QStringLiteral("*第×[章]")}), AllKinds(0, true));
    EXPECT_EQ(m_table.Count(), 2);
    // The engine itself refuses the line; the search works on a repaired copy.
    std::vector<RegexMatch> matches;
    RegexRunReport report;
    m_matcher.SetPattern(QStringLiteral("第"));
    EXPECT_TRUE(m_matcher.FindAll(Utf16(), Length(), matches, nullptr, SIZE_MAX, &report));
    EXPECT_EQ(matches, (std::vector<RegexMatch>{{0, 1}, {10, 1}}));
    EXPECT_EQ(report.failedLines, 1);
}

TEST_F(Detection, MatcherGivesUpOnlyTheLineWhereTheEngineFails)
{
    QString text = QStringLiteral("ok\rok\r") + QString(40, u'a') + QStringLiteral("b\rok\r");
    m_matcher.SetPattern(QStringLiteral("^(ok|(a+)+$)"));
    std::vector<RegexMatch> matches;
    RegexRunReport report;
    const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
    const auto n = static_cast<std::int32_t>(text.size());
    ASSERT_TRUE(m_matcher.FindAll(p, n, matches, nullptr, SIZE_MAX, &report));
    EXPECT_EQ(matches, (std::vector<RegexMatch>{{0, 2}, {3, 2}, {48, 2}}));
    EXPECT_EQ(report.failedLines, 1);

    m_matcher.SetPattern(QStringLiteral("^ok"));
    ASSERT_TRUE(m_matcher.FindAll(p, n, matches, nullptr, SIZE_MAX, &report));
    EXPECT_EQ(matches, (std::vector<RegexMatch>{{0, 2}, {3, 2}, {48, 2}}));
    EXPECT_EQ(report.failedLines, 0);
    // A pattern cannot lift the step bound: verbs are only read at the very start.
    m_matcher.SetPattern(QStringLiteral("(*LIMIT_MATCH=1000000000)^x"));
    EXPECT_FALSE(m_matcher.FindAll(p, n, matches));
}

// 10,000 blanks before a line's text: one search of the whole book failed at the step limit and
// lost every chapter. Each line on its own is decided at once when the keyword's last character is
// missing from it; where it is not, the attempt still fails, and only that line is given up and told.
TEST_F(Detection, OneLongLineCostsAtMostThatLine)
{
    for (const QString& end : {QStringLiteral("x"), QStringLiteral("x章")}) {
        const QString text = Book({QStringLiteral("第1章 甲"), QStringLiteral("正文"),
                                   QString(10000, u' ') + end, QStringLiteral("第2章 乙")});
        ASSERT_EQ(Find(text, Conditions({QStringLiteral("*第×[章]")}), AllKinds(10, true)),
                  ChapterSearchResult::Done);
        EXPECT_EQ(Titles(true), (QStringList{QStringLiteral("第1章 甲"), QStringLiteral("第2章 乙")}));
        const bool givenUp = end.contains(u'章');
        EXPECT_EQ(m_report.limitedConditions,
                  givenUp ? QStringList{QStringLiteral("第×[章]")} : QStringList{});
        const QStringList notices = ChapterSearchNotices(m_report);
        ASSERT_EQ(notices.size(), givenUp ? 1 : 0);
        if (givenUp) {
            EXPECT_TRUE(notices[0].contains(QStringLiteral("“第×[章]”")));
        }
    }
}

// Searching a window of lines at a time finds what one search of the whole text finds, matches
// across line ends and at the window edges included.
TEST_F(Detection, WindowedSearchFindsWhatOneWholeSearchFinds)
{
    QString text;
    for (int i = 0; text.size() < 5 * RegexMatcher::kWindowUnits; ++i)
        text += QStringLiteral("第%1章 ab").arg(i) + QString(i % 37, u'字') + (i % 5 ? u'\r' : u'b') +
                QStringLiteral("a\r");
    const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
    const auto n = static_cast<std::int32_t>(text.size());
    for (const char* pattern :
         {"^第\\d+章", "b\\ra", "b\\r?a\\r第\\d", "字*", "$", "(?<=\\r)a", "ab.*?\\r"}) {
        const QString source = QString::fromUtf8(pattern);
        std::vector<RegexMatch> expected;
        QRegularExpression whole(QStringLiteral("(*CR)") + source, QRegularExpression::MultilineOption);
        for (auto it = whole.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            expected.push_back({static_cast<std::int32_t>(m.capturedStart()),
                                static_cast<std::int32_t>(m.capturedLength())});
        }
        m_matcher.SetPattern(source);
        std::vector<RegexMatch> matches;
        ASSERT_TRUE(m_matcher.FindAll(p, n, matches)) << pattern;
        ASSERT_GT(expected.size(), 10u) << pattern;
        EXPECT_EQ(matches, expected) << pattern;
    }
}

// A keyword is a pattern of its own: it cannot close the group that keeps it at the line start.
TEST_F(Detection, KeywordCannotEscapeItsGroup)
{
    const QString text =
        Book({QStringLiteral("第1章 甲"), QStringLiteral("正文 y 字"), QStringLiteral("后记 完")});
    const struct
    {
        const char* condition;
        std::vector<std::int32_t> starts;
    } cases[] = {
        {"*x)|(y", {}},
        {"*x)|(?:y", {}},
        {"*第×[章])|(y", {}},
        {"*第×[章]|后记", {0, 13}},
        {"*(?:第×[章]|后记)", {0, 13}},
    };
    for (const auto& c : cases) {
        Find(text, Conditions({QString::fromUtf8(c.condition)}), AllKinds(0, true));
        EXPECT_EQ(Starts(), c.starts) << c.condition;
    }
}

TEST_F(Detection, CancelLeavesEmptyTable)
{
    std::atomic<bool> cancel{true};
    m_text = Book({QStringLiteral("第1章 甲")});
    EXPECT_EQ(
        FindChapterStarts(Utf16(), Length(), m_matcher, Defaults(), AllKinds(0, true), m_table, &cancel),
        ChapterSearchResult::Cancelled);
    EXPECT_EQ(m_table.Count(), 0);
}

TEST(ChapterTitle, CutTrimmedAndNeverHalfAPair)
{
    auto title = [](const QString& s, std::int32_t at = 0) {
        return ChapterTitleAt(reinterpret_cast<const char16_t*>(s.utf16()),
                              static_cast<std::int32_t>(s.size()), at);
    };
    EXPECT_EQ(title(QStringLiteral(" \t　第1章 标题 \t　\rnext")), QStringLiteral("第1章 标题"));
    EXPECT_EQ(title(QStringLiteral("　　 \r")), QString());
    EXPECT_EQ(title(QString(40, u'x')), QString(31, u'x'));
    const QString pairAtCut = QString(30, u'x') + QString::fromUtf16(u"\U0001F600") + u'y';
    EXPECT_EQ(title(pairAtCut), QString(30, u'x'));
    EXPECT_EQ(title(QStringLiteral("abc"), 3), QString());
}

TEST(ChapterTable, RowFollowsReadingPosition)
{
    ChapterTable t;
    EXPECT_EQ(t.RowAt(100), -1);
    t[0] = 10;
    t[1] = 50;
    t[2] = 90;
    // The last chapter starting before the reading position; row 0 before the first.
    const std::pair<std::int32_t, int> cases[] = {{0, 0},  {10, 0}, {11, 0}, {50, 0},
                                                  {51, 1}, {90, 1}, {91, 2}, {1000, 2}};
    for (const auto& [offset, row] : cases)
        EXPECT_EQ(t.RowAt(offset), row) << offset;
    for (int i = 0; i < ChapterTable::kSize; ++i)
        t[i] = i;
    EXPECT_EQ(t.RowAt(1 << 30), ChapterTable::kSize - 1);
}

TEST(ChapterConditionList, RefusesOverlongAndKeepsDefaultsInOrder)
{
    ChapterConditionList list;
    EXPECT_TRUE(list.Add(QString(4094, u'a')));
    EXPECT_FALSE(list.Add(QString(4095, u'a')));
    EXPECT_FALSE(list.Set(1, QString(4095, u'a')));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.At(2), QString());
    list.FillDefaults();
    ASSERT_EQ(list.Count(), 10);
    EXPECT_EQ(list.At(1), QStringLiteral("*第×集"));
    EXPECT_EQ(list.At(9), QStringLiteral("*第×回"));
    EXPECT_EQ(list.At(10), QStringLiteral("*后记"));
}

} // namespace
