// leafturner-cli text --convert, against the opencc tool on the same book.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliRun
{
    int status = -1;
    QByteArray out;
    QString err;
};

CliRun RunProgram(const QString& program, const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

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
    ASSERT_EQ(plain.status, 0) << plain.err.toStdString();

    for (const char* config : {"s2t", "s2tw", "s2hk", "t2s"}) {
        SCOPED_TRACE(config);
        const QString name = QString::fromLatin1(config);
        const CliRun ours = RunProgram(
            cli, profile + QStringList{QStringLiteral("text"), book, QStringLiteral("--convert"), name});
        ASSERT_EQ(ours.status, 0) << ours.err.toStdString();
        const CliRun tool = RunProgram(
            QStringLiteral("opencc"),
            {QStringLiteral("-c"), QStringLiteral("/usr/share/opencc/%1.json").arg(name)}, plain.out);
        ASSERT_EQ(tool.status, 0) << tool.err.toStdString();
        EXPECT_EQ(ours.out, tool.out);
        EXPECT_NE(ours.out, plain.out);
    }
    for (const QStringList& bad :
         {QStringList{QStringLiteral("--convert"), QStringLiteral("s2twp")},
          QStringList{QStringLiteral("--convert=S2T")}, QStringList{QStringLiteral("--convert")}}) {
        const CliRun r = RunProgram(cli, profile + QStringList{QStringLiteral("text"), book} + bad);
        EXPECT_EQ(r.status, 2) << bad.join(u' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
    }
}

} // namespace
