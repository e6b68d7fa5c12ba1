// leafturner-cli chapters: rows from the profile's conditions and settings; the condition file is
// only read.
#include "support/cliprocess.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ChaptersCli : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    void Write(const QString& name, const QByteArray& bytes) { WriteFileIn(m_dir, name, bytes); }
    int Run(QByteArray* out, QByteArray* err = nullptr)
    {
        const CliRun run =
            RunProgram(QStringLiteral(LT_CLI_PATH),
                       WithProfile(m_dir.path(),
                                   {QStringLiteral("chapters"), m_dir.filePath(QStringLiteral("book.txt"))}));
        *out = run.out;
        if (err)
            *err = run.err.toUtf8();
        return run.exitCode;
    }

    QTemporaryDir m_dir;
};

TEST_F(ChaptersCli, DefaultsThenProfileConditionsAndSettings)
{
    Write(QStringLiteral("book.txt"), QStringLiteral("序言\r\n　　第十二章　风起\r\n第3章 上\r\n第3章 下\r\n"
                                                     "第四回风\r\n后记\r\n")
                                          .toUtf8());
    QByteArray out;
    ASSERT_EQ(Run(&out), 0);
    EXPECT_EQ(out.toStdString(), "3\t第十二章　风起\n13\t第3章 上\n30\t后记\n");
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("Leafturner.chp"))));

    // No separator needed, repeated numbers kept, and only the conditions of the file.
    Write(QStringLiteral("Leafturner.ini"),
          "[ParaBlock]\r\nPARA_CHP_SEP_BLANK=0\r\nPARA_CHP_NO_DUP_CHPT=0\r\n");
    const QString chp = QStringLiteral("*第×章\r\n第×回\r\n");
    Write(QStringLiteral("Leafturner.chp"), Utf16LeWithMark(chp));
    ASSERT_EQ(Run(&out), 0);
    EXPECT_EQ(out.toStdString(), "3\t第十二章　风起\n13\t第3章 上\n19\t第3章 下\n");
    // A file holding only the mark is an empty list, not the defaults.
    Write(QStringLiteral("Leafturner.chp"), QByteArray("\xFF\xFE", 2));
    ASSERT_EQ(Run(&out), 0);
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(ChaptersCli, ControlCharactersInTitlesAreWrittenAsSpaces)
{
    // A TAB would make a third field of the row; the others could end or garble it.
    Write(QStringLiteral("book.txt"), QStringLiteral("第1章 甲\t乙\x1B丙\u2028丁\r\n第2章 戊\r\n").toUtf8());
    QByteArray out;
    ASSERT_EQ(Run(&out), 0);
    EXPECT_EQ(out.toStdString(), "0\t第1章 甲 乙 丙 丁\n12\t第2章 戊\n");
}

TEST_F(ChaptersCli, WhatTheSearchLeftOutGoesToStandardError)
{
    const QString chp = QStringLiteral("*第×[章]\r\n");
    Write(QStringLiteral("Leafturner.chp"), Utf16LeWithMark(chp));
    // A line the engine gives up on: the other chapters still come out.
    Write(QStringLiteral("book.txt"),
          (QStringLiteral("第1章 甲\n正文\n") + QString(10000, u' ') + QStringLiteral("x章\n第2章 乙\n"))
              .toUtf8());
    QByteArray out, err;
    ASSERT_EQ(Run(&out, &err), 0);
    EXPECT_EQ(out.toStdString(), "0\t第1章 甲\n10012\t第2章 乙\n");
    EXPECT_TRUE(QString::fromUtf8(err).contains(QStringLiteral("“第×[章]”"))) << err.toStdString();

    // More chapters than the table holds.
    QString many;
    for (int i = 1; i <= 5000; ++i)
        many += QStringLiteral("第%1章\n").arg(i);
    Write(QStringLiteral("book.txt"), many.toUtf8());
    ASSERT_EQ(Run(&out, &err), 0);
    EXPECT_EQ(out.count('\n'), 4096);
    EXPECT_TRUE(QString::fromUtf8(err).contains(QStringLiteral("4096"))) << err.toStdString();
}

TEST_F(ChaptersCli, FailuresExitWithMessage)
{
    QByteArray out, err;
    EXPECT_EQ(Run(&out, &err), 1);
    EXPECT_EQ(QString::fromUtf8(err).trimmed(), QStringLiteral("文件打开失败。"));

    Write(QStringLiteral("book.txt"), QStringLiteral("第1章 甲\r\n").toUtf8());
    Write(QStringLiteral("Leafturner.ini"),
          "[ParaBlock]\r\nPARA_CHP_ENG_DIGIT=0\r\nPARA_CHP_CHN_LOWER=0\r\n");
    EXPECT_EQ(Run(&out, &err), 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(QString::fromUtf8(err).contains(QStringLiteral("抱歉，查找条件有问题，请检查设置。")));
}

} // namespace
