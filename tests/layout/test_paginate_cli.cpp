// leafturner-cli paginate against a temporary profile and generated books.
#include "support/cliprocess.h"
#include "support/files.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PaginateCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        WriteSettings({});
    }

    // The profile's settings: the 800x600 example layout plus `extra` lines.
    void WriteSettings(const QStringList& extra)
    {
        QStringList lines = {
            QStringLiteral("[ParaBlock]"),         QStringLiteral("PARA_TXT_FONT_NAME=Noto Sans CJK SC"),
            QStringLiteral("PARA_FONT_SIZE=26"),   QStringLiteral("PARA_LINE_PERCENT=5"),
            QStringLiteral("PARA_MARGIN_LEFT=40"), QStringLiteral("PARA_MARGIN_TOP=40"),
            QStringLiteral("PARA_COVER_MARGIN=15")};
        lines += extra;
        const QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        WriteFile(QStringLiteral("Leafturner.ini"), Utf16LeWithMark(text));
    }

    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        return WriteFileIn(m_dir, name, bytes);
    }

    CliRun Paginate(const QStringList& args)
    {
        return RunProgram(QStringLiteral(LT_CLI_PATH),
                          WithProfile(m_dir.path(), QStringList{QStringLiteral("paginate")} + args),
                          RunOptions().Timeout(120000));
    }

    QTemporaryDir m_dir;
};

QString Lines(std::initializer_list<const char*> lines)
{
    QString s;
    for (const char* line : lines)
        s += QString::fromUtf8(line) + u'\n';
    return s;
}

} // namespace

TEST_F(PaginateCli, SpreadPagesAndOffsets)
{
    const QString book = WriteFile(QStringLiteral("book.txt"), QString(1000, QChar(0x4E66)).toUtf8());
    CliRun run = Paginate({book, QStringLiteral("--window"), QStringLiteral("800x600")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.Text(), Lines({"page-size: 312x507", "spread: 1", "pages: 7"}));

    run = Paginate({QStringLiteral("--offsets"), book, QStringLiteral("--window=800x600")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Text(), Lines({"page-size: 312x507", "spread: 1", "pages: 7", "0", "156", "312", "468",
                                 "624", "780", "936"}));

    // Line ends are read as single CRs: "ab" CR CR "cd" fills one page.
    const QString small = WriteFile(QStringLiteral("small.txt"), QByteArray("ab\r\n\r\ncd"));
    run =
        Paginate({small, QStringLiteral("--window"), QStringLiteral("800x600"), QStringLiteral("--offsets")});
    EXPECT_EQ(run.Text(), Lines({"page-size: 312x507", "spread: 1", "pages: 1", "0"}));
}

TEST_F(PaginateCli, ShowModeAndVerticalWriting)
{
    const QString book = WriteFile(QStringLiteral("book.txt"), QString(1000, QChar(0x4E66)).toUtf8());
    WriteSettings({QStringLiteral("PARA_SHOW_MODE=1"), QStringLiteral("PARA_SINGLE_WIDTH=600")});
    CliRun run = Paginate({book, QStringLiteral("--window"), QStringLiteral("800x600")});
    // A 600-pixel book: 520 usable, 20 characters a line, 13 lines.
    EXPECT_EQ(run.Text(), Lines({"page-size: 520x507", "spread: 0", "pages: 4"}));

    WriteSettings({QStringLiteral("PARA_VERTICAL_LINE=1")});
    run = Paginate({book, QStringLiteral("--window"), QStringLiteral("800x600")});
    // Eight columns of nineteen characters.
    EXPECT_EQ(run.Text(), Lines({"page-size: 312x507", "spread: 1", "pages: 7"}));
}

TEST_F(PaginateCli, BadInput)
{
    const QString book = WriteFile(QStringLiteral("book.txt"), QString(10, QChar(0x4E66)).toUtf8());
    EXPECT_EQ(Paginate({book}).exitCode, 2);
    EXPECT_EQ(Paginate({book, QStringLiteral("--window")}).exitCode, 2);
    EXPECT_EQ(Paginate({book, QStringLiteral("--window"), QStringLiteral("0x600")}).exitCode, 2);
    EXPECT_EQ(Paginate({book, QStringLiteral("--window"), QStringLiteral("wide")}).exitCode, 2);
    EXPECT_EQ(Paginate({QStringLiteral("--window"), QStringLiteral("800x600")}).exitCode, 2);

    CliRun run = Paginate({m_dir.filePath(QStringLiteral("missing.txt")), QStringLiteral("--window"),
                           QStringLiteral("800x600")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("文件打开失败。"))) << run.err.toStdString();
    EXPECT_TRUE(run.Text().isEmpty());

    // An empty book: the reader's message, and no pages.
    const QString empty = WriteFile(QStringLiteral("empty.txt"), QByteArray());
    run = Paginate({empty, QStringLiteral("--window"), QStringLiteral("800x600")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Text(), Lines({"page-size: 312x507", "spread: 1", "pages: 0"}));

    // A 1x1 window gives one character a page; a font that is not installed keeps the default one.
    WriteSettings({QStringLiteral("PARA_TXT_FONT_NAME=No Such Face 42")});
    run = Paginate({book, QStringLiteral("--window"), QStringLiteral("1x1")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Text(), Lines({"page-size: 26x39", "spread: 0", "pages: 10"}));
}

TEST_F(PaginateCli, LineStartsFollowTheProfilesLineBreakRules)
{
    // Twelve characters a line on the 800x600 spread page.
    const QString hang = QString(12, QChar(0x4E66)) + QStringLiteral("。") + QString(20, QChar(0x4E66));
    const QString open = QString(11, QChar(0x4E66)) + QStringLiteral("“") + QString(20, QChar(0x4E66));
    const QString hangBook = WriteFile(QStringLiteral("hang.txt"), hang.toUtf8());
    const QString openBook = WriteFile(QStringLiteral("open.txt"), open.toUtf8());
    const QStringList window = {QStringLiteral("--window"), QStringLiteral("800x600"),
                                QStringLiteral("--lines")};

    CliRun run = Paginate(QStringList{hangBook} + window);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.Text(), Lines({"page-size: 312x507", "spread: 1", "pages: 1", "0", "12", "24"}));
    EXPECT_EQ(Paginate(QStringList{openBook} + window).Text(),
              Lines({"page-size: 312x507", "spread: 1", "pages: 1", "0", "12", "24"}));

    WriteSettings({QStringLiteral("PARA_LINE_BREAK_RULES=1")});
    EXPECT_EQ(Paginate(QStringList{hangBook} + window).Text(),
              Lines({"page-size: 312x507", "spread: 1", "pages: 1", "0", "13", "25"}));
    EXPECT_EQ(Paginate(QStringList{openBook} + window).Text(),
              Lines({"page-size: 312x507", "spread: 1", "pages: 1", "0", "11", "23"}));

    run = Paginate(QStringList{hangBook, QStringLiteral("--offsets")} + window);
    EXPECT_EQ(run.exitCode, 2) << "--offsets and --lines together";
}

TEST_F(PaginateCli, UnitWiderThanTheLineLeavesNoTextWithoutAPage)
{
    // A one-character line holds U+2E3A (two ems) alone; the 300 characters after it keep their pages.
    const QString text = QString(30, QChar(0x4E66)) + QChar(0x2E3A) + QString(300, QChar(0x4E66));
    const QString book = WriteFile(QStringLiteral("wide.txt"), text.toUtf8());
    const CliRun run =
        Paginate({book, QStringLiteral("--window"), QStringLiteral("100x600"), QStringLiteral("--offsets")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.Text().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    ASSERT_TRUE(lines[2].startsWith(QStringLiteral("pages: ")));
    const int pages = lines[2].mid(7).toInt();
    ASSERT_EQ(lines.size(), 3 + pages);
    // Thirteen one-character lines a page: 331 units on 26 pages, the last starting at 325.
    EXPECT_EQ(pages, 26);
    EXPECT_EQ(lines.back(), QStringLiteral("325"));
}
