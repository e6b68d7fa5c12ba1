// leafturner-cli reformat, run in-process on books in a temporary folder.
#include "cli/clicommand.h"

#include "document/codepage.h"
#include "settings/parablock.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CmdReformatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
        ASSERT_TRUE(LoadParaBlock(Path("Leafturner.ini"), ParaScreen{}));
    }
    void TearDown() override { theParaBlock.SetIniPath(QString()); }

    QString Path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    void Write(const char* name, const QByteArray& bytes) const { WriteFileBytes(Path(name), bytes); }
    QByteArray Read(const char* name) const { return ReadFileBytes(Path(name)); }
    int Run(QStringList args) const { return CmdReformat(args); }

    QTemporaryDir m_dir;
};

TEST_F(CmdReformatTest, SimpleWritesUtf16WithMarkAndCrLf)
{
    Write("book.txt", QByteArray("a b  \r\n\r\n\r\n  c d\r\n"));
    EXPECT_EQ(Run({Path("book.txt"), QStringLiteral("--simple"), QStringLiteral("--out"), Path("out.txt")}),
              0);
    EXPECT_EQ(Read("out.txt"), Utf16LeWithMark(QStringLiteral("　　a b\r\n　　c d\r\n")));

    EXPECT_EQ(
        Run({Path("book.txt"), QStringLiteral("--simple"), QStringLiteral("--indent"), QStringLiteral("0"),
             QStringLiteral("--no-blank-lines=0"), QStringLiteral("--out"), Path("out.txt")}),
        0);
    EXPECT_EQ(Read("out.txt"), Utf16LeWithMark(QStringLiteral("a b\r\n\r\n\r\nc d\r\n")));
}

TEST_F(CmdReformatTest, ComplexTakesItsOptionsFromTheProfile)
{
    Write("Leafturner.ini", "[ParaBlock]\r\nPARA_ADV_ADD_BLINK_LINE=1\r\nPARA_ADV_TAIL_SPACE=0\r\n"
                            "PARA_ADV_CHECK_LINE_LEN=1\r\n");
    ASSERT_TRUE(LoadParaBlock(Path("Leafturner.ini"), ParaScreen{}));
    Write("book.txt", CodePage::QStringToAnsi(QStringLiteral("　　第一段\r\n接着\r\n　　第二段\r\n")));
    EXPECT_EQ(Run({Path("book.txt"), QStringLiteral("--complex"), QStringLiteral("--out"), Path("out.txt")}),
              0);
    EXPECT_EQ(Read("out.txt"), Utf16LeWithMark(QStringLiteral("　　第一段接着\r\n\r\n　　第二段")));
}

TEST_F(CmdReformatTest, FailuresLeaveTheOutputAlone)
{
    const QStringList out = {QStringLiteral("--out"), Path("out.txt")};
    Write("out.txt", "keep");
    // Usage errors.
    EXPECT_EQ(Run(QStringList{Path("book.txt")} + out), 2);
    EXPECT_EQ(
        Run(QStringList{Path("book.txt"), QStringLiteral("--simple"), QStringLiteral("--complex")} + out), 2);
    EXPECT_EQ(Run(QStringList{Path("book.txt"), QStringLiteral("--simple"), QStringLiteral("--trim"),
                              QStringLiteral("2")} +
                  out),
              2);
    EXPECT_EQ(Run(QStringList{Path("book.txt"), QStringLiteral("--complex"), QStringLiteral("--trim"),
                              QStringLiteral("1")} +
                  out),
              2);
    EXPECT_EQ(Run({Path("book.txt"), QStringLiteral("--simple")}), 2);
    // A missing book, and a book with nothing to rearrange.
    EXPECT_EQ(Run(QStringList{Path("missing.txt"), QStringLiteral("--simple")} + out), 1);
    Write("blank.txt", " \r\n\t\r\n");
    EXPECT_EQ(Run(QStringList{Path("blank.txt"), QStringLiteral("--complex")} + out), 1);
    EXPECT_EQ(Read("out.txt"), QByteArray("keep"));
}

} // namespace
