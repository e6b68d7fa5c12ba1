// leafturner-cli info and text, run as a script would run them.
#include "bookgen/bookgen.h"

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

class CliTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    CliRun Cli(QStringList args)
    {
        args.prepend(m_dir.filePath(QStringLiteral("profile")));
        args.prepend(QStringLiteral("--profile"));
        QProcess p;
        p.start(QStringLiteral(LT_CLI_PATH), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
    }
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(CliTest, InfoAndTextOfABook)
{
    BookOptions o;
    o.characters = 30000;
    o.encoding = BookEncoding::Utf8;
    const QString text = GenerateBookText(o);
    const QString path = Write(QStringLiteral("book.txt"), EncodeBookText(text, o));

    const CliRun info = Cli({QStringLiteral("info"), path});
    EXPECT_EQ(info.status, 0) << info.err.toStdString();
    // Each CR LF pair becomes one CR: the length is the text's with LF line ends.
    EXPECT_EQ(info.out, "encoding: Utf8\nlength: " + QByteArray::number(text.size()) + "\n");

    const CliRun dump = Cli({QStringLiteral("text"), path});
    EXPECT_EQ(dump.status, 0);
    EXPECT_TRUE(dump.out == text.toUtf8());
    EXPECT_TRUE(dump.err.isEmpty());

    // Big5 bytes read with the code page asked for.
    const QString big5 = Write(QStringLiteral("big5.txt"), "\xA4\xA4\xA4\xE5\r\n");
    const CliRun b =
        Cli({QStringLiteral("--codepage"), QStringLiteral("CP950"), QStringLiteral("text"), big5});
    EXPECT_EQ(b.status, 0);
    EXPECT_EQ(b.out, QByteArray("中文\n"));
    const CliRun u16 =
        Cli({QStringLiteral("info"), Write(QStringLiteral("be.txt"), QByteArray("\xFE\xFF\0a", 4))});
    EXPECT_EQ(u16.out, QByteArray("encoding: Utf16Be\nlength: 1\n"));
}

TEST_F(CliTest, FailuresAndUsage)
{
    CliRun r = Cli({QStringLiteral("info"), m_dir.filePath(QStringLiteral("missing.txt"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("文件打开失败。"));
    EXPECT_TRUE(r.out.isEmpty());

    r = Cli({QStringLiteral("text"), Write(QStringLiteral("book.text"), "abc")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral(".txt")));

    r = Cli({QStringLiteral("info"), Write(QStringLiteral("empty.txt"), {})});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("encoding: Ansi\nlength: 0\n"));
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("空文件。"));

    EXPECT_EQ(Cli({QStringLiteral("info")}).status, 2);
    EXPECT_EQ(Cli({QStringLiteral("text"), QStringLiteral("a.txt"), QStringLiteral("b.txt")}).status, 2);
}

} // namespace
