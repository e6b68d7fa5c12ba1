// The bookshelf file: reading its lines, the default bookshelf, writing and removing it.
#include "library/bookshelflist.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Utf16Le(const QString& text, bool mark = true)
{
    QByteArray bytes = mark ? QByteArray("\xFF\xFE", 2) : QByteArray();
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

class BookshelfFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Write(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("Leafturner.blb"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return path;
    }
    QByteArray Read(const QString& path) { return ReadFileBytes(path); }

    QTemporaryDir m_dir;
};

TEST_F(BookshelfFileTest, LinesAreTrimmedAndEmptyOnesSkippedInEveryEncoding)
{
    const QString text = QStringLiteral("  /书/小说  \r\n\r\n \t \n*/books/科幻\r/tmp/a b\r\n");
    const QStringList expected{QStringLiteral("/书/小说"), QStringLiteral("*/books/科幻"),
                               QStringLiteral("/tmp/a b")};
    EXPECT_EQ(BookshelfList::ReadLines(Write(Utf16Le(text))), expected);
    EXPECT_EQ(BookshelfList::ReadLines(Write(text.toUtf8())), expected);
    EXPECT_EQ(BookshelfList::ReadLines(Write(QByteArray("\xEF\xBB\xBF") + text.toUtf8())), expected);

    // Nothing there, or just a mark: an empty list rather than stray characters.
    EXPECT_TRUE(BookshelfList::ReadLines(Write(QByteArray("\xFF\xFE", 2))).isEmpty());
    EXPECT_TRUE(BookshelfList::ReadLines(Write(QByteArray())).isEmpty());
    EXPECT_TRUE(BookshelfList::ReadLines(m_dir.filePath(QStringLiteral("missing.blb"))).isEmpty());
    EXPECT_TRUE(BookshelfList::ReadLines(m_dir.path()).isEmpty());
}

TEST_F(BookshelfFileTest, DefaultIsTheFirstMarkedEntryWithoutItsMark)
{
    BookshelfList list;
    list.Load(Write(Utf16Le(QStringLiteral("/a\r\n*/b\r\n*/c\r\n"))));
    EXPECT_EQ(list.Entries().size(), 3);
    EXPECT_EQ(list.DefaultBookshelf(), QStringLiteral("/b"));
    EXPECT_EQ(BookshelfList::DefaultIn({QStringLiteral("/a")}), QString());
    EXPECT_EQ(BookshelfList::WithoutMark(QStringLiteral("*/b")), QStringLiteral("/b"));
    EXPECT_EQ(BookshelfList::WithoutMark(QStringLiteral("/b")), QStringLiteral("/b"));
}

TEST_F(BookshelfFileTest, SaveWritesMarkedUtf16LinesAndRemovesTheFileWhenEmpty)
{
    const QString path = m_dir.filePath(QStringLiteral("Leafturner.blb"));
    BookshelfList list(path);
    const QStringList rows{QStringLiteral("/书架"), QStringLiteral("*/home/r/books")};
    ASSERT_TRUE(list.Save(rows));
    EXPECT_EQ(Read(path), Utf16Le(QStringLiteral("/书架\r\n*/home/r/books\r\n")));
    EXPECT_TRUE(list.Entries().isEmpty()); // memory changes only on reload
    list.Reload();
    EXPECT_EQ(list.Entries(), rows);

    ASSERT_TRUE(list.Save({}));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(list.Save({})); // nothing to remove is fine
    list.Reload();
    EXPECT_TRUE(list.Entries().isEmpty());
}

TEST_F(BookshelfFileTest, FailedSaveReportsFailureAndKeepsTheOldFile)
{
    // A folder where the file should be: it can be neither replaced nor removed.
    const QString blocked = m_dir.filePath(QStringLiteral("blocked.blb"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    ASSERT_TRUE(QFile(blocked + QStringLiteral("/keep")).open(QIODevice::WriteOnly));
    BookshelfList list(blocked);
    EXPECT_FALSE(list.Save({QStringLiteral("/a")}));
    EXPECT_FALSE(list.Save({}));
    EXPECT_TRUE(QFileInfo(blocked).isDir());

    // Under a file no folder can hold it.
    const QString underFile = Write(Utf16Le(QStringLiteral("/a\r\n"))) + QStringLiteral("/Leafturner.blb");
    EXPECT_FALSE(BookshelfList(underFile).Save({QStringLiteral("/b")}));
    EXPECT_EQ(Read(m_dir.filePath(QStringLiteral("Leafturner.blb"))), Utf16Le(QStringLiteral("/a\r\n")));
}

} // namespace
