// leafturner-cli history: the listing format, and that it only ever reads.
#include "historyfixture.h"
#include "support/cliprocess.h"

namespace {

using HistoryCliTest = HistoryFixture;

CliRun Cli(const QString& profile, const QStringList& args)
{
    return RunProgram(QStringLiteral(LT_CLI_PATH), WithProfile(profile, args));
}

QStringList Listing(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

TEST_F(HistoryCliTest, ListsMostRecentFirstAndOnlyReads)
{
    const QString missing = Path(QStringLiteral("no-profile"));
    CliRun r = Cli(missing, {QStringLiteral("history")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(missing)); // not even the folder

    const QString a = WriteBook(QStringLiteral("书/甲.txt"), 1);
    const QString b = WriteBook(QStringLiteral("b.txt"), 2);
    const QString c = WriteBook(QStringLiteral("c.txt"), 3);
    {
        HistoryStore store(DbFile());
        Open(store, a, 3);
        store.NotePosition(a, 2, 3);
        Open(store, b, 1000);
        Open(store, c, 200000);
        store.NotePosition(c, 199999, 200000);
    }
    const QStringList before = Listing(m_dir.path());
    r = Cli(m_dir.path(), {QStringLiteral("history")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out), QStringLiteral("100.00\t199999\t") + c +
                                            QStringLiteral("\n0.00\t0\t") + b +
                                            QStringLiteral("\n66.67\t2\t") + a + u'\n');
    EXPECT_EQ(Listing(m_dir.path()), before);

    r = Cli(m_dir.path(), {QStringLiteral("history"), QStringLiteral("extra")});
    EXPECT_EQ(r.exitCode, 2);

    // A broken file is reported, and left for the reader to move aside.
    QFile f(DbFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a database at all, just some text that is long enough", 57);
    f.close();
    r = Cli(m_dir.path(), {QStringLiteral("history")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("阅读记录无法打开。"));
    EXPECT_EQ(Listing(m_dir.path()), before);
}

} // namespace
