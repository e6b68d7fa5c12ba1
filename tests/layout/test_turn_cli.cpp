// leafturner-cli turn against a temporary profile, run as a user runs it.
#include "support/books.h"
#include "support/cliprocess.h"
#include "support/files.h"

#include <QDir>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TurnCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_ini = WriteFile(QStringLiteral("Leafturner.ini"),
                          QByteArrayLiteral("[ParaBlock]\r\nPARA_TXT_FONT_NAME=Noto Sans CJK SC\r\n"
                                            "PARA_TURN_PAGE=3\r\nPARA_COVER_MARGIN=15\r\n"));
        m_book = WriteFile(QStringLiteral("book.txt"), NumberedParagraphs(200).toUtf8());
    }

    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        return WriteFileIn(m_dir, name, bytes);
    }

    CliRun Run(const QString& command, const QStringList& args)
    {
        return RunProgram(QStringLiteral(LT_CLI_PATH), WithProfile(m_dir.path(), QStringList{command} + args),
                          RunOptions().Timeout(120000));
    }

    CliRun Turn(const QString& from, const QString& to, const QString& mode, const QString& out)
    {
        return Run(QStringLiteral("turn"), {m_book, QStringLiteral("--window"), QStringLiteral("800x600"),
                                            QStringLiteral("--page"), from, QStringLiteral("--to"), to,
                                            QStringLiteral("--mode"), mode, QStringLiteral("--out"), out});
    }

    QImage Render(int page)
    {
        const QString out = m_dir.filePath(QStringLiteral("page-%1.png").arg(page));
        const CliRun run =
            Run(QStringLiteral("render"),
                {m_book, QStringLiteral("--window"), QStringLiteral("800x600"), QStringLiteral("--page"),
                 QString::number(page), QStringLiteral("--out"), out});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QImage(out).convertToFormat(QImage::Format_RGB32);
    }

    static QStringList Frames(const QString& dir)
    {
        return QDir(dir).entryList({QStringLiteral("*")}, QDir::Files, QDir::Name);
    }

    QTemporaryDir m_dir;
    QString m_ini;
    QString m_book;
};

} // namespace

TEST_F(TurnCli, FlipFramesRunFromTheRenderedPageToTheNextSpread)
{
    const QString out = m_dir.filePath(QStringLiteral("frames/flip"));
    const CliRun run = Turn(QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("5"), out);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.Text(), QStringLiteral("frames: 36\n"));
    const QStringList frames = Frames(out);
    ASSERT_EQ(frames.size(), 36);
    EXPECT_EQ(frames.front(), QStringLiteral("frame-0001.png"));
    EXPECT_EQ(frames.back(), QStringLiteral("frame-0036.png"));

    // The same pictures as the render command: the left page stays during the first phase, and the
    // turn ends on the whole new spread.
    const QImage first = QImage(QDir(out).filePath(frames.front())).convertToFormat(QImage::Format_RGB32);
    const QImage last = QImage(QDir(out).filePath(frames.back())).convertToFormat(QImage::Format_RGB32);
    const QImage page1 = Render(1);
    const QImage page3 = Render(3);
    ASSERT_EQ(first.size(), QSize(800, 600));
    EXPECT_EQ(first.copy(0, 0, 400, 600), page1.copy(0, 0, 400, 600));
    EXPECT_NE(first, page1);
    EXPECT_EQ(last.copy(21, 15, 758, 570), page3.copy(21, 15, 758, 570));
}

TEST_F(TurnCli, AtScaleTwoTheSameFramesHaveTwiceThePixels)
{
    const QString out = m_dir.filePath(QStringLiteral("frames/2x"));
    const CliRun run = Run(QStringLiteral("turn"),
                           {m_book, QStringLiteral("--window"), QStringLiteral("800x600"), QStringLiteral("--page"),
                            QStringLiteral("1"), QStringLiteral("--to"), QStringLiteral("3"),
                            QStringLiteral("--mode"), QStringLiteral("8"), QStringLiteral("--out"), out,
                            QStringLiteral("--scale"), QStringLiteral("2")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const CliRun plain = Turn(QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("8"),
                              m_dir.filePath(QStringLiteral("frames/1x")));
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_EQ(run.Text(), plain.Text());
    const QStringList frames = Frames(out);
    ASSERT_FALSE(frames.isEmpty());
    EXPECT_EQ(QImage(QDir(out).filePath(frames.front())).size(), QSize(1600, 1200));
    EXPECT_EQ(QImage(QDir(out).filePath(frames.back())).size(), QSize(1600, 1200));
}

TEST_F(TurnCli, TurnsThatPlayNothingWriteNoFiles)
{
    struct Case
    {
        const char* from;
        const char* to;
        const char* mode;
    };
    // No effect, an effect number out of range, Next on the last page, Previous on the first.
    const Case cases[] = {
        {"1", "3", "0"}, {"1", "3", "11"}, {"1000", "1002", "4"}, {"1", "0", "4"}, {"2", "1", "4"}};
    int i = 0;
    for (const Case& c : cases) {
        const QString out = m_dir.filePath(QStringLiteral("none-%1").arg(i++));
        const CliRun run =
            Turn(QString::fromLatin1(c.from), QString::fromLatin1(c.to), QString::fromLatin1(c.mode), out);
        EXPECT_EQ(run.exitCode, 0) << c.from << " " << c.to << " " << c.mode << run.err.toStdString();
        EXPECT_EQ(run.Text(), QStringLiteral("frames: 0\n"));
        EXPECT_TRUE(QDir(out).exists());
        EXPECT_TRUE(Frames(out).isEmpty());
    }
    // --mode is for the run only: the profile keeps its own effect.
    const CliRun settings = Run(QStringLiteral("settings"), {});
    EXPECT_TRUE(settings.Text().contains(QStringLiteral("\nPARA_TURN_PAGE=3\n")))
        << settings.Text().toStdString();
}

TEST_F(TurnCli, BadInput)
{
    const QString out = m_dir.filePath(QStringLiteral("bad"));
    const QString w = QStringLiteral("--window");
    const QString size = QStringLiteral("800x600");
    EXPECT_EQ(Run(QStringLiteral("turn"),
                  {m_book, w, size, QStringLiteral("--page"), QStringLiteral("1"), QStringLiteral("--mode"),
                   QStringLiteral("4"), QStringLiteral("--out"), out})
                  .exitCode,
              2);
    EXPECT_EQ(Turn(QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("4"), out).exitCode, 2);
    EXPECT_EQ(Turn(QStringLiteral("1"), QStringLiteral("two"), QStringLiteral("4"), out).exitCode, 2);
    EXPECT_EQ(Turn(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("wave"), out).exitCode, 2);
    EXPECT_FALSE(QDir(out).exists());

    const CliRun missing =
        Run(QStringLiteral("turn"),
            {m_dir.filePath(QStringLiteral("missing.txt")), w, size, QStringLiteral("--page"),
             QStringLiteral("1"), QStringLiteral("--to"), QStringLiteral("3"), QStringLiteral("--mode"),
             QStringLiteral("4"), QStringLiteral("--out"), out});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("文件打开失败。"))) << missing.err.toStdString();

    // An output folder that cannot be made is a failure, not an empty success.
    const QString blocked = WriteFile(QStringLiteral("taken"), QByteArrayLiteral("a file"));
    const CliRun run = Turn(QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("8"), blocked);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("文件保存失败。"))) << run.err.toStdString();
}
