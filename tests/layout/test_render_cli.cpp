// leafturner-cli render against a temporary profile, run as a user runs it.
#include "support/books.h"
#include "support/cliprocess.h"
#include "support/files.h"

#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RenderCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString ini = QStringLiteral("[ParaBlock]\r\nPARA_TXT_FONT_NAME=Noto Sans CJK SC\r\n"
                                           "PARA_TEXT_BG_IMAGE=-1\r\nPARA_TEXT_BG_COLOR=16777215\r\n");
        WriteFile(QStringLiteral("Leafturner.ini"), ini.toUtf8());
        m_book = WriteFile(QStringLiteral("book.txt"), NumberedParagraphs(200).toUtf8());
    }

    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        return WriteFileIn(m_dir, name, bytes);
    }

    int Render(const QStringList& args, QString* err = nullptr)
    {
        const CliRun run = RunProgram(QStringLiteral(LT_CLI_PATH),
                                      WithProfile(m_dir.path(), QStringList{QStringLiteral("render")} + args),
                                      RunOptions().Timeout(120000));
        if (err != nullptr)
            *err = run.err;
        return run.exitCode;
    }

    QImage RenderPage(const QString& window, int page)
    {
        const QString out = m_dir.filePath(QStringLiteral("page-%1-%2.png").arg(window).arg(page));
        EXPECT_EQ(Render({m_book, QStringLiteral("--window"), window, QStringLiteral("--page"),
                          QString::number(page), QStringLiteral("--out"), out}),
                  0);
        return QImage(out);
    }

    QTemporaryDir m_dir;
    QString m_book;
};

TEST_F(RenderCli, PagesCountFromOneAndSpreadsShowTheirLeftPage)
{
    const QImage first = RenderPage(QStringLiteral("900x600"), 1);
    ASSERT_EQ(first.size(), QSize(900, 600));
    // Page 2 belongs to the spread of pages 1 and 2; page 3 opens the next one.
    EXPECT_EQ(RenderPage(QStringLiteral("900x600"), 2), first);
    EXPECT_NE(RenderPage(QStringLiteral("900x600"), 3), first);
    // Past the end shows the last spread, as the view clamps.
    EXPECT_EQ(RenderPage(QStringLiteral("900x600"), 100000).size(), QSize(900, 600));
    // A tall window shows single pages: page 2 is its own picture.
    EXPECT_NE(RenderPage(QStringLiteral("500x700"), 2), RenderPage(QStringLiteral("500x700"), 1));
}

TEST_F(RenderCli, ScaleTwoDrawsTwiceThePixelsOfTheSamePages)
{
    const QString out = m_dir.filePath(QStringLiteral("2x.png"));
    const QStringList args{m_book, QStringLiteral("--window"), QStringLiteral("900x600"), QStringLiteral("--page"),
                           QStringLiteral("3"), QStringLiteral("--out"), out};
    ASSERT_EQ(Render(args + QStringList{QStringLiteral("--scale"), QStringLiteral("2")}), 0);
    const QImage two = QImage(out).convertToFormat(QImage::Format_RGB32);
    const QImage one = RenderPage(QStringLiteral("900x600"), 3).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(two.size(), QSize(1800, 1200));
    // The desk and cover as at 1x, each pixel a block; the text differs, drawn finer.
    for (const QPoint p : {QPoint(5, 5), QPoint(3, 300), QPoint(450, 5), QPoint(450, 594)})
        EXPECT_EQ(two.pixel(p * 2 + QPoint(1, 1)), one.pixel(p)) << p.x() << "," << p.y();
    // Not the 1x picture blown up: every second pixel of that would give the 1x picture back.
    EXPECT_NE(two.scaled(900, 600), one);
    // --scale 1 is the plain picture.
    ASSERT_EQ(Render(args + QStringList{QStringLiteral("--scale=1")}), 0);
    EXPECT_EQ(QImage(out).convertToFormat(QImage::Format_RGB32), one);

    QFile::remove(out);
    QString err;
    for (const char* bad : {"0", "0.5", "5", "two", ""}) {
        EXPECT_EQ(Render(args + QStringList{QStringLiteral("--scale"), QString::fromLatin1(bad)}, &err), 2) << bad;
        EXPECT_TRUE(err.contains(QStringLiteral("--scale"))) << err.toStdString();
    }
    // A window that can be drawn at 1x but not at four times its pixels.
    EXPECT_EQ(Render({m_book, QStringLiteral("--window"), QStringLiteral("8000x8000"), QStringLiteral("--page"),
                      QStringLiteral("1"), QStringLiteral("--out"), out, QStringLiteral("--scale"),
                      QStringLiteral("4")},
                     &err),
              2);
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(RenderCli, BadArgumentsAndBooks)
{
    const QString out = m_dir.filePath(QStringLiteral("x.png"));
    QString err;
    EXPECT_EQ(Render({m_book, QStringLiteral("--window"), QStringLiteral("900x600"), QStringLiteral("--page"),
                      QStringLiteral("0"), QStringLiteral("--out"), out}),
              2);
    EXPECT_EQ(Render({m_book, QStringLiteral("--window"), QStringLiteral("900"), QStringLiteral("--page"),
                      QStringLiteral("1"), QStringLiteral("--out"), out}),
              2);
    EXPECT_EQ(Render({m_book, QStringLiteral("--window"), QStringLiteral("90000x90000"),
                      QStringLiteral("--page"), QStringLiteral("1"), QStringLiteral("--out"), out}),
              2);
    EXPECT_EQ(Render({m_book, QStringLiteral("--window"), QStringLiteral("900x600"), QStringLiteral("--page"),
                      QStringLiteral("1")}),
              2);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(Render({m_dir.filePath(QStringLiteral("missing.txt")), QStringLiteral("--window"),
                      QStringLiteral("900x600"), QStringLiteral("--page"), QStringLiteral("1"),
                      QStringLiteral("--out"), out},
                     &err),
              1);
    EXPECT_FALSE(err.isEmpty());
    // An output folder that does not exist: the save fails and says so.
    EXPECT_EQ(
        Render({m_book, QStringLiteral("--window"), QStringLiteral("900x600"), QStringLiteral("--page"),
                QStringLiteral("1"), QStringLiteral("--out"), m_dir.filePath(QStringLiteral("no/x.png"))},
               &err),
        1);
    EXPECT_TRUE(err.contains(QStringLiteral("文件保存失败。")));
}

} // namespace
