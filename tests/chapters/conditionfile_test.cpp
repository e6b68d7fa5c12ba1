// The condition file: defaults, round trip with ticks, a bare mark, overlong lines, write failure.
#include "chapters/chapterdetection.h"
#include "chapters/conditionfile.h"
#include "chapters/regexmatcher.h"
#include "document/codepage.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <random>

namespace {

class ConditionFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
        ASSERT_TRUE(m_dir.isValid());
    }
    QString Path(const QString& name = QStringLiteral("Leafturner.chp")) const
    {
        return m_dir.filePath(name);
    }
    void Write(const QByteArray& bytes) const { WriteFileBytes(Path(), bytes); }
    QByteArray Read() const { return ReadFileBytes(Path()); }

    QTemporaryDir m_dir;
};

TEST_F(ConditionFile, MissingOrEmptyFileGivesDefaults)
{
    ChapterConditionList list;
    list.Add(QStringLiteral("old"));
    LoadConditionFile(Path(), list);
    EXPECT_EQ(list.Items(), ChapterConditionList::Defaults());
    Write({});
    LoadConditionFile(Path(), list);
    EXPECT_EQ(list.Items(), ChapterConditionList::Defaults());
}

TEST_F(ConditionFile, RoundTripKeepsTicksOrderAndEmptyLines)
{
    ChapterConditionList list;
    for (const QString& s : {QStringLiteral("*第×章"), QStringLiteral("第×节"), QString(),
                             QStringLiteral("*后记"), QStringLiteral("*第×[回集]")})
        list.Add(s);
    ASSERT_TRUE(SaveConditionFile(Path(), list));
    const QByteArray bytes = Read();
    EXPECT_TRUE(bytes.startsWith(QByteArray("\xFF\xFE", 2)));
    EXPECT_TRUE(bytes.endsWith(QByteArray("\x0D\x00\x0A\x00", 4)));
    EXPECT_EQ(bytes.mid(2, 4), QByteArray("*\x00\x2C\x7B", 4)); // "*第"
    ChapterConditionList back;
    LoadConditionFile(Path(), back);
    EXPECT_EQ(back, list);
}

TEST_F(ConditionFile, BareMarkIsAnEmptyList)
{
    Write(QByteArray("\xFF\xFE", 2));
    ChapterConditionList list;
    LoadConditionFile(Path(), list);
    EXPECT_TRUE(list.IsEmpty());
    ChapterConditionList empty;
    ASSERT_TRUE(SaveConditionFile(Path(), empty));
    EXPECT_EQ(Read(), QByteArray("\xFF\xFE", 2));
}

TEST_F(ConditionFile, OtherEncodingsAndOverlongLines)
{
    Write(QStringLiteral("*第×章\n第×节\r\n").toUtf8());
    ChapterConditionList list;
    LoadConditionFile(Path(), list);
    EXPECT_EQ(list.Items(), (QStringList{QStringLiteral("*第×章"), QStringLiteral("第×节")}));

    ChapterConditionList withLong;
    withLong.Add(QStringLiteral("*a"));
    QByteArray bytes = ConditionFileBytes(withLong);
    const QString tooLong = QString(4095, u'x') + QStringLiteral("\r\n*b\r\n");
    bytes.append(reinterpret_cast<const char*>(tooLong.utf16()), tooLong.size() * 2);
    Write(bytes);
    LoadConditionFile(Path(), list);
    EXPECT_EQ(list.Items(), (QStringList{QStringLiteral("*a"), QStringLiteral("*b")}));
}

TEST_F(ConditionFile, UnwritablePathReportsFailure)
{
    ChapterConditionList list;
    list.FillDefaults();
    EXPECT_FALSE(SaveConditionFile(m_dir.filePath(QStringLiteral("missing/dir/x.chp")), list));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("taken.chp")));
    EXPECT_FALSE(SaveConditionFile(m_dir.filePath(QStringLiteral("taken.chp")), list));
    EXPECT_TRUE(QFileInfo(m_dir.filePath(QStringLiteral("taken.chp"))).isDir());
}

TEST_F(ConditionFile, RandomBytesLeaveOtherConditionsWorking)
{
    std::mt19937 rng(3);
    QByteArray junk(256 * 1024, Qt::Uninitialized);
    for (char& c : junk)
        c = static_cast<char>(rng());
    for (const QByteArray& head : {QByteArray(), QByteArray("\xFF\xFE", 2), QByteArray("\xEF\xBB\xBF", 3)}) {
        Write(head + junk);
        ChapterConditionList list;
        LoadConditionFile(Path(), list);
        for (const QString& c : list.Items())
            ASSERT_LE(c.size(), ChapterConditionList::kMaxUnits);
        list.Add(QStringLiteral("*第×章"));
        const QString text = QStringLiteral("前言\r第1章 起\r正文\r");
        RegexMatcher matcher;
        matcher.Create();
        matcher.SetGlobal(true);
        matcher.SetMultiline(true);
        ChapterTable table;
        ChapterSearchOptions options;
        options.sepBlank = true;
        ASSERT_EQ(FindChapterStarts(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::int32_t>(text.size()), matcher, list, options, table),
                  ChapterSearchResult::Done);
        EXPECT_NE(std::find(table.Entries().begin(), table.Entries().end(), 3), table.Entries().end());
    }
}

} // namespace
