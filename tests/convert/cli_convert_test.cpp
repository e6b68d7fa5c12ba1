// leafturner-cli text --convert, against the opencc tool on the same book.
#include "support/cliprocess.h"
#include "support/files.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(CliConvert, TextConvertEqualsTheOpenccToolAndBadConfigsAreUsageErrors)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString book = dir.filePath(QStringLiteral("book.txt"));
    {
        QFile f(book);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("她的头发很干净，后来我们去了图书馆。\r\n鐘錶與臺灣的電腦軟體\r\n𫃗与䑽\r\n")
                    .toUtf8());
    }
    const QString cli = QStringLiteral(LT_CLI_PATH);
    const QStringList profile{QStringLiteral("--profile"), dir.filePath(QStringLiteral("profile"))};
    const CliRun plain = RunProgram(cli, profile + QStringList{QStringLiteral("text"), book});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();

    for (const char* config : {"s2t", "s2tw", "s2hk", "t2s"}) {
        SCOPED_TRACE(config);
        const QString name = QString::fromLatin1(config);
        const CliRun ours = RunProgram(
            cli, profile + QStringList{QStringLiteral("text"), book, QStringLiteral("--convert"), name});
        ASSERT_EQ(ours.exitCode, 0) << ours.err.toStdString();
        const CliRun tool =
            RunProgram(QStringLiteral("opencc"),
                       {QStringLiteral("-c"), QStringLiteral("/usr/share/opencc/%1.json").arg(name)},
                       RunOptions().Input(plain.out));
        ASSERT_EQ(tool.exitCode, 0) << tool.err.toStdString();
        EXPECT_EQ(ours.out, tool.out);
        EXPECT_NE(ours.out, plain.out);
    }
    for (const QStringList& bad :
         {QStringList{QStringLiteral("--convert"), QStringLiteral("s2twp")},
          QStringList{QStringLiteral("--convert=S2T")}, QStringList{QStringLiteral("--convert")}}) {
        const CliRun r = RunProgram(cli, profile + QStringList{QStringLiteral("text"), book} + bad);
        EXPECT_EQ(r.exitCode, 2) << bad.join(u' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
    }
}

// A page drawn with conversion is the page of the book written in the other script, pixel for pixel,
// in both writing directions: same line cut, only the glyphs differ.
TEST(CliConvert, RenderConvertDrawsThePagesOfTheConvertedBook)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString simplified;
    for (int i = 0; i < 120; ++i)
        simplified +=
            QStringLiteral("她的头发很干净，后来我们去了图书馆。这个时间说话的人很多，第%1段。\r\n").arg(i);
    const QString cli = QStringLiteral(LT_CLI_PATH);
    const QString sBook = WriteFileIn(dir, QStringLiteral("s.txt"), simplified.toUtf8());
    const QStringList profile{QStringLiteral("--profile"), dir.path()};
    const CliRun traditional =
        RunProgram(cli, profile + QStringList{QStringLiteral("text"), sBook, QStringLiteral("--convert"),
                                              QStringLiteral("s2t")});
    ASSERT_EQ(traditional.exitCode, 0);
    ASSERT_EQ(QString::fromUtf8(traditional.out).size(),
              QString(simplified).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).size());
    const QString tBook =
        WriteFileIn(dir, QStringLiteral("t.txt"), QByteArray(traditional.out).replace("\n", "\r\n"));

    std::vector<QImage> plainByDirection;
    for (const char* vertical : {"0", "1"}) {
        SCOPED_TRACE(vertical);
        WriteFileIn(
            dir, QStringLiteral("Leafturner.ini"),
            QByteArray("[ParaBlock]\r\nPARA_TXT_FONT_NAME=Noto Sans CJK SC\r\nPARA_TEXT_BG_IMAGE=-1\r\n"
                       "PARA_TEXT_BG_COLOR=16777215\r\nPARA_VERTICAL_LINE=") +
                vertical + "\r\n");
        int shot = 0;
        auto render = [&](const QString& book, const QStringList& extra) {
            const QString out = dir.filePath(QStringLiteral("shot-%1.png").arg(++shot));
            const CliRun r =
                RunProgram(cli, profile +
                                    QStringList{QStringLiteral("render"), book, QStringLiteral("--window"),
                                                QStringLiteral("900x600"), QStringLiteral("--page"),
                                                QStringLiteral("3"), QStringLiteral("--out"), out} +
                                    extra);
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            return QImage(out);
        };
        const QImage plain = render(sBook, {});
        plainByDirection.push_back(plain);
        const QImage shownTraditional = render(sBook, {QStringLiteral("--convert"), QStringLiteral("s2t")});
        const QImage written = render(tBook, {});
        ASSERT_FALSE(plain.isNull());
        EXPECT_NE(plain, shownTraditional);
        EXPECT_EQ(shownTraditional, written);
        // And back: the Traditional book shown in Simplified is the Simplified book.
        EXPECT_EQ(render(tBook, {QStringLiteral("--convert"), QStringLiteral("t2s")}), plain);
    }
    ASSERT_EQ(plainByDirection.size(), 2u);
    EXPECT_NE(plainByDirection[0], plainByDirection[1]) << "both writing directions drawn";
    EXPECT_EQ(
        RunProgram(cli, profile + QStringList{QStringLiteral("render"), sBook, QStringLiteral("--window"),
                                              QStringLiteral("900x600"), QStringLiteral("--page"),
                                              QStringLiteral("1"), QStringLiteral("--out"),
                                              dir.filePath(QStringLiteral("x.png")),
                                              QStringLiteral("--convert"), QStringLiteral("tw")})
            .exitCode,
        2);
}

} // namespace
