// leafturner-cli info and text, run as a script would run them.
#include "bookgen/bookgen.h"
#include "support/cliprocess.h"
#include "support/files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

class CliTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    CliRun Cli(QStringList args, const QString& stdoutFile = {})
    {
        if (!args.contains(QStringLiteral("--profile")))
            args = WithProfile(m_dir.filePath(QStringLiteral("profile")), args);
        return RunProgram(QStringLiteral(LT_CLI_PATH), args, RunOptions().StdoutTo(stdoutFile));
    }
    QString Write(const QString& name, const QByteArray& bytes) { return WriteFileIn(m_dir, name, bytes); }

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
    EXPECT_EQ(info.exitCode, 0) << info.err.toStdString();
    // Each CR LF pair becomes one CR: the length is the text's with LF line ends.
    EXPECT_EQ(info.out, "encoding: Utf8\nlength: " + QByteArray::number(text.size()) + "\n");

    const CliRun dump = Cli({QStringLiteral("text"), path});
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_TRUE(dump.out == text.toUtf8());
    EXPECT_TRUE(dump.err.isEmpty());

    // Big5 bytes read with the code page asked for.
    const QString big5 = Write(QStringLiteral("big5.txt"), "\xA4\xA4\xA4\xE5\r\n");
    const CliRun b =
        Cli({QStringLiteral("--codepage"), QStringLiteral("CP950"), QStringLiteral("text"), big5});
    EXPECT_EQ(b.exitCode, 0);
    EXPECT_EQ(b.out, QByteArray("中文\n"));
    const CliRun u16 =
        Cli({QStringLiteral("info"), Write(QStringLiteral("be.txt"), QByteArray("\xFE\xFF\0a", 4))});
    EXPECT_EQ(u16.out, QByteArray("encoding: Utf16Be\nlength: 1\n"));
}

// --encoding on the commands that load a book, and the code page info reports.
TEST_F(CliTest, EncodingOptionAndCodePageLine)
{
    // 天色將晚的時候，他才從山上走下來。 in Big5, eight times over: long enough to be detected.
    QByteArray big5;
    for (int i = 0; i < 8; ++i)
        big5 += "\xA4\xD1\xA6\xE2\xB1\x4E\xB1\xDF\xAA\xBA\xAE\xC9\xAD\xD4\xA1\x41\xA5\x4C\xA4\x7E"
                "\xB1\x71\xA4\x73\xA4\x57\xA8\xAB\xA4\x55\xA8\xD3\xA1\x43\r\n";
    const QString path = Write(QStringLiteral("big5.txt"), big5);
    struct Case
    {
        QStringList args;
        int status;
        QByteArray out;
    };
    const Case cases[] = {
        {{QStringLiteral("info"), path}, 0, "encoding: Ansi\nlength: 144\ncodepage: Big5\n"},
        {{QStringLiteral("info"), path, QStringLiteral("--encoding"), QStringLiteral("gb18030")},
         0,
         "encoding: Ansi\nlength: 144\ncodepage: GB18030\n"},
        {{QStringLiteral("--encoding=UTF-16LE"), QStringLiteral("info"), path},
         0,
         "encoding: Utf16Le\nlength: 144\n"},
        {{QStringLiteral("info"), path, QStringLiteral("--encoding"), QStringLiteral("auto")},
         0,
         "encoding: Ansi\nlength: 144\ncodepage: Big5\n"},
        {{QStringLiteral("text"),
          Write(QStringLiteral("le.txt"), QByteArray("a\0b\0\r\0\n\0", 8).repeated(40))},
         0,
         QByteArray("ab\n").repeated(40)},
        {{QStringLiteral("info"), path, QStringLiteral("--encoding"), QStringLiteral("klingon")}, 2, ""},
        {{QStringLiteral("info"), path, QStringLiteral("--encoding")}, 2, ""},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args.join(u' ').toStdString() << r.err.toStdString();
        EXPECT_EQ(r.out, c.out) << c.args.join(u' ').toStdString();
    }
    EXPECT_EQ(Cli({QStringLiteral("text"), path, QStringLiteral("--encoding=Big5")}).out.left(9),
              QString::fromUtf16(u"天色將").toUtf8());
}

TEST_F(CliTest, FailuresAndUsage)
{
    CliRun r = Cli({QStringLiteral("info"), m_dir.filePath(QStringLiteral("missing.txt"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("文件打开失败。"));
    EXPECT_TRUE(r.out.isEmpty());

    r = Cli({QStringLiteral("info"), Write(QStringLiteral("empty.txt"), {})});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QByteArray("encoding: Ansi\nlength: 0\n"));
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("空文件。"));

    EXPECT_EQ(Cli({QStringLiteral("info")}).exitCode, 2);
    EXPECT_EQ(Cli({QStringLiteral("text"), QStringLiteral("a.txt"), QStringLiteral("b.txt")}).exitCode, 2);
}

// Every file under `dir` with its bytes; "<missing>" when the folder is not there.
std::map<QString, QByteArray> Snapshot(const QString& dir)
{
    std::map<QString, QByteArray> files;
    if (!QFileInfo(dir).isDir())
        return {{QStringLiteral("<missing>"), {}}};
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files[path] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<folder>");
    }
    return files;
}

TEST_F(CliTest, ReadingCommandsLeaveTheProfileAsTheyFoundIt)
{
    const QString book =
        Write(QStringLiteral("book.txt"), QStringLiteral("第1章 开始\r\n正文。\r\n").toUtf8());
    const QString out = m_dir.filePath(QStringLiteral("out"));
    const QString window = QStringLiteral("--window=400x300");
    const QStringList commands[] = {
        {QStringLiteral("info"), book},
        {QStringLiteral("text"), book},
        {QStringLiteral("settings")},
        {QStringLiteral("paginate"), book, window},
        {QStringLiteral("render"), book, window, QStringLiteral("--page=1"), QStringLiteral("--out"),
         out + QStringLiteral(".png")},
        {QStringLiteral("turn"), book, window, QStringLiteral("--page=1"), QStringLiteral("--to=2"),
         QStringLiteral("--mode=1"), QStringLiteral("--out"), out},
        {QStringLiteral("chapters"), book},
    };
    // A folder that does not exist, and one with UTF-8 settings and ANSI bookmarks nobody converted yet.
    const QString missing = m_dir.filePath(QStringLiteral("none/profile"));
    const QString existing = m_dir.filePath(QStringLiteral("profile"));
    ASSERT_TRUE(QDir().mkpath(existing));
    Write(QStringLiteral("profile/Leafturner.ini"), "[ParaBlock]\nPARA_FONT_SIZE=20\n");
    Write(QStringLiteral("profile/Leafturner.bmk"), "[\xCA\xE9]\r\nPATH=/a.txt\r\n");
    for (const QString& profile : {missing, existing}) {
        for (const QStringList& command : commands) {
            const auto before = Snapshot(profile);
            const CliRun r = Cli(QStringList{QStringLiteral("--profile"), profile} + command);
            EXPECT_EQ(r.exitCode, 0) << command.join(u' ').toStdString() << ": " << r.err.toStdString();
            EXPECT_TRUE(Snapshot(profile) == before)
                << command.join(u' ').toStdString() << " in " << profile.toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("none"))));
}

TEST_F(CliTest, FailedWorkExitsOneWithTheSystemsMessage)
{
    const QString book = Write(QStringLiteral("book.txt"), "abc\r\n");
    const QString out = m_dir.filePath(QStringLiteral("out.txt"));
    const QString reformat = QStringLiteral("reformat");
    const QString simple = QStringLiteral("--simple");
    const QString outOption = QStringLiteral("--out=") + out;
    struct Case
    {
        QStringList args;
        QString stdoutFile;
        QString message;
    };
    const Case cases[] = {
        {{QStringLiteral("text"), Write(QStringLiteral("book.text"), "abc")},
         {},
         QStringLiteral("文件打开失败。")},
        {{reformat, Write(QStringLiteral("book.htm"), "abc"), simple, outOption},
         {},
         QStringLiteral("文件打开失败。")},
        {{reformat, Write(QStringLiteral("empty.txt"), {}), simple, outOption},
         {},
         QStringLiteral("空文件。")},
        {{reformat, Write(QStringLiteral("blank.txt"), "  \t  "), simple, outOption},
         {},
         QStringLiteral("空文件。")},
        {{QStringLiteral("text"), book}, QStringLiteral("/dev/full"), QStringLiteral("文件保存失败。")},
        {{QStringLiteral("info"), book}, QStringLiteral("/dev/full"), QStringLiteral("文件保存失败。")},
        // A profile that cannot be a folder is the work failing, not a usage error.
        {{QStringLiteral("--profile"), book, QStringLiteral("info"), book},
         {},
         QStringLiteral(
             "您所指定的文件夹\n\n%1\n\n无法创建。请检查驱动器是否为光驱，或您是否具有足够的访问权限。")
             .arg(book)},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(c.args, c.stdoutFile);
        const std::string what = c.args.join(u' ').toStdString();
        EXPECT_EQ(r.exitCode, 1) << what;
        EXPECT_EQ(r.err.trimmed(), c.message) << what;
        EXPECT_FALSE(QFileInfo::exists(out)) << what;
    }
}

} // namespace
