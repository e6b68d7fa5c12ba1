// Both programs' --help, --version and refused options, run as a shell would run them; the reader's
// first-paint exit for the start-up benchmark.
#include "support/cliprocess.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

Outcome Start(const QString& program, const QStringList& args, bool display,
              const QString& extraVariable = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!extraVariable.isEmpty())
        env.insert(extraVariable, QStringLiteral("1"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    else
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")); // would fail if it were needed
    const CliRun run = RunProgram(program, args, RunOptions().Timeout(30000).Environment(env));
    return {run.exitCode, run.Text(), run.err};
}

// A book of one line in `dir`.
QString WriteBook(const QTemporaryDir& dir)
{
    const QString book = dir.filePath(QStringLiteral("书.txt"));
    QFile f(book);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("一本书\n");
    return book;
}

TEST(CommandLine, HelpVersionAndRefusedOptions)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString profile = dir.filePath(QStringLiteral("profile"));
    const QString book = WriteBook(dir);
    const QString reader = QStringLiteral(LT_READER_PATH);
    const QString cli = QStringLiteral(LT_CLI_PATH);
    const QString version = QStringLiteral(LT_VERSION);
    const QString p = QStringLiteral("--profile");

    const struct
    {
        const QString& program;
        QStringList args;
        int status;
        QString out; // expected in standard output
        QString err; // expected in standard error
        bool display;
    } cases[] = {
        // Help and version need no display and win over everything else on the line.
        {reader, {QStringLiteral("--help")}, 0, QStringLiteral("用法：leafturner"), {}, false},
        {reader,
         {QStringLiteral("-h"), QStringLiteral("--bogus")},
         0,
         QStringLiteral("--new-window"),
         {},
         false},
        {reader,
         {QStringLiteral("--version")},
         0,
         QStringLiteral("leafturner ") + version + u'\n',
         {},
         false},
        // An option that is not known is not a book to open.
        {reader, {p, profile, QStringLiteral("--bogus")}, 2, {}, QStringLiteral("未知选项：--bogus"), true},
        {reader, {p, profile, QStringLiteral("-x"), book}, 2, {}, QStringLiteral("用法：leafturner"), true},
        {reader, {p, profile, book, book}, 2, {}, QStringLiteral("一次只能打开一本书"), true},
        {reader, {p}, 2, {}, QStringLiteral("--profile needs a value"), true},
        {cli, {QStringLiteral("--help")}, 0, QStringLiteral("reformat BOOK"), {}, false},
        {cli,
         {p, profile, QStringLiteral("info"), QStringLiteral("--help")},
         0,
         QStringLiteral("usage:"),
         {},
         false},
        {cli,
         {QStringLiteral("--version")},
         0,
         QStringLiteral("leafturner-cli ") + version + u'\n',
         {},
         false},
        {cli,
         {p, profile, QStringLiteral("--bogus"), QStringLiteral("info"), book},
         2,
         {},
         QStringLiteral("unknown option: --bogus"),
         false},
        {cli,
         {p, profile, QStringLiteral("info"), book, QStringLiteral("--bogus")},
         2,
         {},
         QStringLiteral("usage:"),
         false},
        {cli,
         {p, profile, QStringLiteral("text"), book, QStringLiteral("--bogus")},
         2,
         {},
         QStringLiteral("usage:"),
         false},
        {cli,
         {p, profile, QStringLiteral("chapters"), book, QStringLiteral("--bogus")},
         2,
         {},
         QStringLiteral("usage:"),
         false},
        {cli,
         {p, profile, QStringLiteral("settings"), QStringLiteral("--bogus")},
         2,
         {},
         QStringLiteral("usage:"),
         false},
    };
    for (const auto& c : cases) {
        const Outcome run = Start(c.program, c.args, c.display);
        const std::string what = QString(c.program + u' ' + c.args.join(u' ')).toStdString();
        EXPECT_EQ(run.status, c.status) << what << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(c.out)) << what << "\n" << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(c.err)) << what << "\n" << run.err.toStdString();
        if (c.status == 2) {
            EXPECT_TRUE(run.out.isEmpty()) << what;
        }
    }
}

// The start-up benchmark's run: the book's first page is painted, the time since start printed, and
// the reader ends by itself.
TEST(CommandLine, ExitAfterFirstPaintReportsTheTime)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString book = WriteBook(dir);
    const Outcome run = Start(QStringLiteral(LT_READER_PATH),
                              {QStringLiteral("--profile"), dir.filePath(QStringLiteral("profile")), book},
                              true, QStringLiteral("LEAFTURNER_EXIT_AFTER_FIRST_PAINT"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^first-paint-ms: \\d+\n$")).match(run.out).hasMatch())
        << run.out.toStdString();
}

} // namespace
