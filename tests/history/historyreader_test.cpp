// The reading history in the running reader: each book opens where it was left by every route
// without a position of its own; bookmarks and the start-up restore keep theirs; a bookmark whose
// book moved is found again; the recent-file menu shows the percent.
#include "support/readerfixture.h"

#include "app/historycommand.h"
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "history/historystore.h"
#include "library/bookmarkfile.h"
#include "settings/profile.h"
#include "ui/commandids.h"
#include "views/leafturnerview.h"

#include <QAction>
#include <QFile>

namespace {

QString LongText(int seed)
{
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("第%1卷第%2段。春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。\n")
                    .arg(seed)
                    .arg(i);
    return text;
}

class HistoryReaderTest : public ReaderTest
{
protected:
    // The first character shown.
    std::int32_t Shown() const
    {
        return Frame()->Document()->Buffer()->PageStart(ReadingView()->CurrentPage());
    }
    // Opens `book` as the recent-file menu or the file list does and returns where it is shown.
    std::int32_t Open(const QString& book)
    {
        EXPECT_TRUE(m_app->OpenDocumentFile(book));
        Settle();
        return Shown();
    }
    std::int32_t MoveTo(std::int32_t offset)
    {
        ReadingView()->GoToOffset(offset);
        return Shown();
    }
};

TEST_F(HistoryReaderTest, EveryBookOpensWhereItWasLeft)
{
    const QString a = WriteBook(QStringLiteral("a.txt"), LongText(1));
    const QString b = WriteBook(QStringLiteral("b.txt"), LongText(2));
    const QString c = WriteBook(QStringLiteral("c.txt"), LongText(3));
    ASSERT_TRUE(Start());
    EXPECT_EQ(Open(a), 0);
    const std::int32_t atA = MoveTo(9000);
    EXPECT_EQ(Open(b), 0);
    const std::int32_t atB = MoveTo(3000);
    EXPECT_EQ(Open(c), 0);
    const std::int32_t atC = MoveTo(15000);
    ASSERT_GT(atA, 0);
    ASSERT_GT(atB, 0);
    EXPECT_EQ(Open(a), atA);
    EXPECT_EQ(Open(b), atB);
    // The recent-file menu shows how far each book is read, as its shortcut column.
    m_app->MainFrame()->UpdateRecentFiles();
    const QString first = Frame()->Action(Cmd::FileMruFirst)->text();
    EXPECT_TRUE(first.startsWith(QStringLiteral("&1 b.txt\t"))) << first.toStdString();
    EXPECT_TRUE(first.endsWith(u'%')) << first.toStdString();
    Open(c);
    Stop();

    // The start-up restore keeps its own position (PARA_LAST_POS), then every book is where it was.
    Setting(QStringLiteral("PARA_LAST_POS"), QStringLiteral("2000"));
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->Document()->PathName(), c);
    EXPECT_NE(Shown(), atC);
    EXPECT_GT(Shown(), 0);
    EXPECT_LE(Shown(), 2000);
    EXPECT_EQ(Open(a), atA);
    EXPECT_EQ(Open(b), atB);

    // A bookmark brings its own position.
    ASSERT_TRUE(BookmarkFile::Default().Write(QStringLiteral("书签"), a, 100));
    ASSERT_TRUE(m_app->OpenBookmark(QStringLiteral("书签")));
    EXPECT_EQ(Frame()->Document()->PathName(), a);
    EXPECT_EQ(Shown(), 0);
}

TEST_F(HistoryReaderTest, BookmarkWhoseBookMovedIsFoundAndUpdated)
{
    const QString old = WriteBook(QStringLiteral("old.txt"), LongText(4));
    const QString moved = m_dir.filePath(QStringLiteral("moved.txt"));
    ASSERT_TRUE(Start());
    Open(old);
    const std::int32_t marked = MoveTo(6000);
    ASSERT_TRUE(BookmarkFile::Default().Write(QStringLiteral("旧书签"), old, marked));
    ASSERT_TRUE(BookmarkFile::Default().Write(QStringLiteral("另一个"), old, 0));
    Open(WriteBook(QStringLiteral("other.txt"), LongText(5)));
    ASSERT_TRUE(QFile::rename(old, moved));
    EXPECT_EQ(Open(moved), marked); // found by its content, where it was left

    // Declined: the book opens, the bookmark file keeps its path.
    m_sink.QueueAnswer(MsgAnswer::No);
    ASSERT_TRUE(m_app->OpenBookmark(QStringLiteral("另一个")));
    EXPECT_EQ(Frame()->Document()->PathName(), moved);
    EXPECT_EQ(BookmarkFile::Default().Read(QStringLiteral("另一个")).path, old);
    EXPECT_TRUE(m_sink.Last().contains(QStringLiteral("old.txt")));

    m_sink.QueueAnswer(MsgAnswer::Yes);
    ASSERT_TRUE(m_app->OpenBookmark(QStringLiteral("旧书签")));
    EXPECT_EQ(Frame()->Document()->PathName(), moved);
    EXPECT_EQ(Shown(), marked);
    const BookmarkEntry mark = BookmarkFile::Default().Read(QStringLiteral("旧书签"));
    EXPECT_EQ(mark.path, moved);
    EXPECT_EQ(mark.position, marked);

    // A bookmark of a book the history never saw stays missing, with no question.
    const int asked = static_cast<int>(m_sink.Messages().size());
    ASSERT_TRUE(
        BookmarkFile::Default().Write(QStringLiteral("无"), m_dir.filePath(QStringLiteral("never.txt")), 0));
    EXPECT_FALSE(m_app->OpenBookmark(QStringLiteral("无")));
    EXPECT_EQ(m_sink.Messages().size(), asked);
}

} // namespace
