// leafturner-cli search: rows as a user's script reads them, and the ways it fails.
#include "support/books.h"
#include "support/cliprocess.h"
#include "support/files.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SearchCli : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    void Write(const QString& text) { WriteFileIn(m_dir, QStringLiteral("book.txt"), text.toUtf8()); }
    int Run(const QStringList& extra, QString* out, QString* err = nullptr,
            const QString& command = QStringLiteral("search"))
    {
        const CliRun run =
            RunProgram(QStringLiteral(LT_CLI_PATH),
                       WithProfile(m_dir.path(),
                                   QStringList{command, m_dir.filePath(QStringLiteral("book.txt"))} + extra));
        *out = run.Text();
        if (err)
            *err = run.err;
        return run.exitCode;
    }

    QTemporaryDir m_dir;
};

TEST_F(SearchCli, RowsWithContextAndOptions)
{
    // CR LF becomes one CR in the decoded text; the astral character takes two units.
    Write(QStringLiteral("𠀀第一章\r\n\t甲乙ＡＢ丙丁戊己庚辛壬癸子丑寅卯ab\r\n"));
    struct Case
    {
        QStringList args;
        QString rows;
    };
    const Case cases[] = {
        {{QStringLiteral("甲乙")}, QStringLiteral("7\t2\t𠀀第一章  甲乙ＡＢ丙丁戊己庚辛壬癸\n")},
        {{QStringLiteral("ab"), QStringLiteral("--ignore-case"), QStringLiteral("--ignore-width")},
         QStringLiteral("9\t2\t𠀀第一章  甲乙ＡＢ丙丁戊己庚辛壬癸子丑\n23\t2\t戊己庚辛壬癸子丑寅卯ab \n")},
        {{QStringLiteral("AB")}, QString()},
        {{QStringLiteral("章\\s+\\S"), QStringLiteral("--regex")},
         QStringLiteral("4\t4\t𠀀第一章  甲乙ＡＢ丙丁戊己庚辛壬\n")},
        {{QStringLiteral("--"), QStringLiteral("--x")}, QString()},
    };
    for (const Case& c : cases) {
        QString out;
        EXPECT_EQ(Run(c.args, &out), 0) << c.args.join(u' ').toStdString();
        EXPECT_EQ(out.toStdString(), c.rows.toStdString()) << c.args.join(u' ').toStdString();
    }
}

TEST_F(SearchCli, FailuresAndTheCap)
{
    Write(QStringLiteral("x").repeated(10001));
    QString out, err;
    EXPECT_EQ(Run({QStringLiteral("(x"), QStringLiteral("--regex")}, &out, &err), 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(err.startsWith(QStringLiteral("正则表达式有误："))) << err.toStdString();
    EXPECT_EQ(Run({QStringLiteral("x"), QStringLiteral("--bogus")}, &out, &err), 2);
    EXPECT_EQ(Run({}, &out, &err), 2);

    EXPECT_EQ(Run({QStringLiteral("x")}, &out, &err), 0);
    EXPECT_EQ(out.count(u'\n'), 10000);
    EXPECT_TRUE(err.contains(QStringLiteral("已达上限"))) << err.toStdString();

    QFile::remove(m_dir.filePath(QStringLiteral("book.txt")));
    EXPECT_EQ(Run({QStringLiteral("x")}, &out, &err), 1);
    EXPECT_EQ(err.trimmed(), QStringLiteral("文件打开失败。"));
}

// The picture `render --highlight` draws for a hit `search` found: marked where the hit is on the
// shown page, unchanged for a hit on no shown page, refused when malformed.
TEST_F(SearchCli, RenderHighlightsAHitSearchFound)
{
    Write(NumberedParagraphs(300));
    QString out, err;
    ASSERT_EQ(Run({QStringLiteral("第3段")}, &out), 0);
    const QString offset = out.section(u'\t', 0, 0);
    auto render = [&](const QStringList& more) {
        const QString png = m_dir.filePath(QStringLiteral("page.png"));
        QFile::remove(png);
        EXPECT_EQ(
            Run(QStringList{QStringLiteral("--window"), QStringLiteral("900x700"), QStringLiteral("--page"),
                            QStringLiteral("1"), QStringLiteral("--out"), png} +
                    more,
                &out, &err, QStringLiteral("render")),
            0)
            << err.toStdString();
        return QImage(png);
    };
    const QImage plain = render({});
    ASSERT_FALSE(plain.isNull());
    EXPECT_NE(render({QStringLiteral("--highlight"), offset + QStringLiteral(":3")}), plain);
    EXPECT_EQ(render({QStringLiteral("--highlight"), QStringLiteral("9000:3")}), plain);
    EXPECT_EQ(Run({QStringLiteral("--window"), QStringLiteral("900x700"), QStringLiteral("--page"),
                   QStringLiteral("1"), QStringLiteral("--out"), m_dir.filePath(QStringLiteral("x.png")),
                   QStringLiteral("--highlight"), QStringLiteral("12")},
                  &out, &err, QStringLiteral("render")),
              2);
}

} // namespace
