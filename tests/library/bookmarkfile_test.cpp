// BookmarkFile: names, reading, writing and removing, on clean, hand-edited, broken and huge files.
#include "document/codepage.h"
#include "library/bookmarkfile.h"
#include "settings/parablock.h"
#include "support/files.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BookmarkFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
        m_path = m_dir.filePath(QStringLiteral("Leafturner.bmk"));
    }
    QTemporaryDir m_dir;
    QString m_path;
};

TEST_F(BookmarkFileTest, OverwriteKeepsPlaceAndDeletingAllKeepsTheMark)
{
    EnsureUnicodeIniFile(m_path, QString());
    ASSERT_EQ(ReadFileBytes(m_path), QByteArray("\xFF\xFE\r\0\n\0", 6));
    BookmarkFile file(m_path);
    EXPECT_TRUE(file.Names().isEmpty());

    ASSERT_TRUE(file.Write(QStringLiteral("第一章"), QStringLiteral("/books/a.txt"), 10));
    ASSERT_TRUE(file.Write(QStringLiteral("Middle"), QStringLiteral("/books/b.txt"), 20));
    ASSERT_TRUE(file.Write(QStringLiteral("last"), QStringLiteral("/books/c.txt"), 30));
    EXPECT_EQ(file.Names(),
              (QStringList{QStringLiteral("第一章"), QStringLiteral("Middle"), QStringLiteral("last")}));

    // Another case is the same bookmark: it is replaced where it stands and keeps its first spelling.
    EXPECT_TRUE(file.IsTaken(QStringLiteral("MIDDLE")));
    EXPECT_FALSE(file.IsTaken(QStringLiteral("middle2")));
    ASSERT_TRUE(file.Write(QStringLiteral("middle"), QStringLiteral("/other/d.txt"), -7));
    EXPECT_EQ(file.Names(),
              (QStringList{QStringLiteral("第一章"), QStringLiteral("Middle"), QStringLiteral("last")}));
    const BookmarkEntry mark = file.Read(QStringLiteral("Middle"));
    EXPECT_EQ(mark.path, QStringLiteral("/other/d.txt"));
    EXPECT_EQ(mark.position, -7);
    EXPECT_EQ(file.Load().Lines().indexOf(QStringLiteral("[Middle]")), 4);

    for (const QString& name : file.Names())
        ASSERT_TRUE(file.Remove(name));
    EXPECT_TRUE(file.Names().isEmpty());
    EXPECT_TRUE(ReadFileBytes(m_path).startsWith("\xFF\xFE"));
}

TEST_F(BookmarkFileTest, HandEditedEntriesReadSafely)
{
    WriteFileBytes(m_path, Utf16LeWithMark(QStringLiteral("[NaN]\r\nPATH=/a.txt\r\nPOSITION=abc\r\n"
                                                          "[NoPos]\r\nPATH=/b.txt\r\n"
                                                          "[Padded]\r\nPATH=/c.txt\r\nPOSITION=  42xyz\r\n"
                                                          "[]\r\nPATH=/d.txt\r\n"
                                                          "[a[b]\r\nPATH=/e.txt\r\n"
                                                          "[  spaced  ]\r\nPATH=/f.txt\r\n"
                                                          "[nan]\r\nPATH=/g.txt\r\n"
                                                          "[NoPath]\r\nPOSITION=3\r\n")));
    BookmarkFile file(m_path);
    // Headers no bookmark can have are left out; of two spellings the first is the one a lookup finds.
    EXPECT_EQ(file.Names(),
              (QStringList{QStringLiteral("NaN"), QStringLiteral("NoPos"), QStringLiteral("Padded"),
                           QStringLiteral("spaced"), QStringLiteral("NoPath")}));
    EXPECT_EQ(file.Read(QStringLiteral("nan")).path, QStringLiteral("/a.txt"));
    EXPECT_EQ(file.Read(QStringLiteral("NaN")).position, 0);
    EXPECT_EQ(file.Read(QStringLiteral("NoPos")).position, 0);
    EXPECT_EQ(file.Read(QStringLiteral("Padded")).position, 42);
    EXPECT_EQ(file.Read(QStringLiteral("spaced")).path, QStringLiteral("/f.txt"));
    EXPECT_FALSE(file.IsTaken(QStringLiteral("NoPath")));
    EXPECT_EQ(file.Read(QStringLiteral("missing")).path, QString());

    // Deleting a bookmark deletes every spelling: a hidden older copy must not come back in its place.
    ASSERT_TRUE(file.Remove(QStringLiteral("NAN")));
    EXPECT_FALSE(file.Names().contains(QStringLiteral("nan")));
    EXPECT_EQ(file.Read(QStringLiteral("NaN")).path, QString());
}

TEST_F(BookmarkFileTest, PathsReadBackExactlyOrAreRefused)
{
    BookmarkFile file(m_path);
    const QStringList paths = {QStringLiteral("/books/ends in blank.txt "), QStringLiteral("\"/quoted.txt\""),
                               QStringLiteral("'single'"), QStringLiteral("/书/红楼梦 第一卷.txt")};
    for (const QString& p : paths) {
        ASSERT_TRUE(file.Write(QStringLiteral("mark"), p, 1));
        EXPECT_EQ(file.Read(QStringLiteral("mark")).path, p);
    }
    // A line break cannot be stored: the write fails and changes nothing.
    const QByteArray before = ReadFileBytes(m_path);
    EXPECT_FALSE(file.Write(QStringLiteral("other"), QStringLiteral("/a\nb.txt"), 1));
    EXPECT_FALSE(file.Write(QStringLiteral("a]b"), QStringLiteral("/a.txt"), 1));
    EXPECT_EQ(ReadFileBytes(m_path), before);
}

TEST_F(BookmarkFileTest, NamesAreCheckedCleanedAndSortedWithoutCase)
{
    EXPECT_EQ(BookmarkFile::CheckName(QString()), BookmarkFile::NameProblem::Empty);
    EXPECT_EQ(BookmarkFile::CheckName(QStringLiteral("a[1")), BookmarkFile::NameProblem::Bracket);
    EXPECT_EQ(BookmarkFile::CheckName(QStringLiteral("x]")), BookmarkFile::NameProblem::Bracket);
    EXPECT_EQ(BookmarkFile::CheckName(QStringLiteral("第三回")), BookmarkFile::NameProblem::None);
    EXPECT_EQ(BookmarkFile::CleanName(QStringLiteral("  name\t")), QStringLiteral("name"));
    EXPECT_EQ(BookmarkFile::CleanName(QStringLiteral("   ")), QString());

    const QStringList sorted =
        BookmarkFile::SortedForDisplay({QStringLiteral("cherry"), QStringLiteral("Banana"),
                                        QStringLiteral("apple"), QStringLiteral("Apple")});
    EXPECT_EQ(sorted, (QStringList{QStringLiteral("Apple"), QStringLiteral("apple"), QStringLiteral("Banana"),
                                   QStringLiteral("cherry")}));
}

TEST_F(BookmarkFileTest, RandomBytesAndTenThousandBookmarksLoseNothing)
{
    // Garbage before real bookmarks: listing does not crash and adding keeps what was there.
    QByteArray junk(64 * 1024, '\0');
    QRandomGenerator rng(12345);
    for (char& c : junk)
        c = static_cast<char>(rng.bounded(256));
    WriteFileBytes(m_path, junk + "\r\n[keep]\r\nPATH=/keep.txt\r\nPOSITION=5\r\n");
    BookmarkFile file(m_path);
    EXPECT_TRUE(file.Names().contains(QStringLiteral("keep")));
    ASSERT_TRUE(file.Write(QStringLiteral("new"), QStringLiteral("/new.txt"), 9));
    EXPECT_EQ(file.Read(QStringLiteral("keep")).path, QStringLiteral("/keep.txt"));
    EXPECT_EQ(file.Read(QStringLiteral("keep")).position, 5);
    EXPECT_EQ(file.Read(QStringLiteral("new")).position, 9);

    // Far more names than an old fixed-size name buffer held: every one is listed.
    QString text;
    for (int i = 0; i < 10000; ++i)
        text += QStringLiteral("[书签%1号]\r\nPATH=/books/%1.txt\r\nPOSITION=%1\r\n").arg(i);
    WriteFileBytes(m_path, Utf16LeWithMark(text));
    const QStringList names = file.Names();
    ASSERT_EQ(names.size(), 10000);
    EXPECT_EQ(names.last(), QStringLiteral("书签9999号"));
    ASSERT_TRUE(file.Write(QStringLiteral("one more"), QStringLiteral("/x.txt"), 1));
    EXPECT_EQ(file.Names().size(), 10001);
    EXPECT_EQ(file.Read(QStringLiteral("书签0号")).path, QStringLiteral("/books/0.txt"));
    EXPECT_EQ(file.Read(QStringLiteral("书签9999号")).position, 9999);
}

TEST_F(BookmarkFileTest, UnitsLikeAMarkAfterTheMarkAreNotTakenForOne)
{
    // FF FE, then FE FF (U+FFFE) or FF FE (U+FEFF) as the first text: the rest stays little-endian.
    for (const char16_t first : {u'\xFFFE', u'\xFEFF'}) {
        WriteFileBytes(
            m_path,
            Utf16LeWithMark(QChar(first) + QStringLiteral("\r\n[keep]\r\nPATH=/keep.txt\r\nPOSITION=5\r\n")));
        BookmarkFile file(m_path);
        ASSERT_EQ(file.Names(), QStringList{QStringLiteral("keep")});
        ASSERT_TRUE(file.Write(QStringLiteral("new"), QStringLiteral("/new.txt"), 9));
        EXPECT_EQ(file.Read(QStringLiteral("keep")).path, QStringLiteral("/keep.txt"));
        EXPECT_EQ(file.Read(QStringLiteral("keep")).position, 5);
        EXPECT_EQ(file.Read(QStringLiteral("new")).position, 9);
    }
}

} // namespace
