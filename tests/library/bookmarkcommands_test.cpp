// The reader's bookmark commands: adding from the reading view, organising from the frame, loading.
#include "support/modaldialog.h"
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "library/addbookmarkdialog.h"
#include "library/bookmarkfile.h"
#include "library/organizebookmarksdialog.h"
#include "settings/inifile.h"
#include "settings/profile.h"
#include "ui/commandids.h"
#include "views/leafturnerview.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

QString LongText()
{
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("第%1段。春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。\n").arg(i);
    return text;
}

class BookmarkCommandTest : public ReaderTest
{
protected:
    bool Enabled(int id)
    {
        Frame()->UpdateCommandUI();
        return Frame()->Action(id)->isEnabled();
    }

    void Trigger(int id)
    {
        Frame()->Action(id)->trigger();
        Settle();
    }

    void LoadFromOrganise(const QString& name)
    {
        WhenModal<OrganizeBookmarksDialog>([name](OrganizeBookmarksDialog* d) {
            const auto found = d->List()->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            d->List()->setCurrentItem(found.constFirst());
            QTest::mouseClick(d->LoadButton(), Qt::LeftButton);
        });
        Trigger(Cmd::OrganizeBookmarks);
    }
};

TEST_F(BookmarkCommandTest, AddFromTheReadingViewAndLoadItBack)
{
    const QString book = WriteBook(QStringLiteral("book.txt"), LongText());
    ASSERT_TRUE(Start({book}));
    CLeafturnerView* view = ReadingView();
    ASSERT_NE(view, nullptr);
    ASSERT_GT(view->PageCount(), 6);
    view->ShowPage(5);
    const int page = view->CurrentPage();
    const std::int32_t offset = view->CurrentCharOffset();
    ASSERT_GT(offset, 0);

    ASSERT_TRUE(Enabled(Cmd::AddBookmark));
    QString shownName;
    WhenModal<AddBookmarkDialog>([&shownName](AddBookmarkDialog* d) {
        shownName = d->NameEdit()->text();
        d->NameEdit()->setText(QStringLiteral("读到这里"));
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    Trigger(Cmd::AddBookmark);
    EXPECT_EQ(shownName, QStringLiteral("book"));
    const BookmarkEntry mark = BookmarkFile::Default().Read(QStringLiteral("读到这里"));
    EXPECT_EQ(mark.path, book);
    EXPECT_EQ(mark.position, offset);

    view->ShowPage(0);
    view->window()->setFocus();
    ASSERT_TRUE(Enabled(Cmd::OrganizeBookmarks));
    LoadFromOrganise(QStringLiteral("读到这里"));
    view = ReadingView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Frame()->Document()->PathName(), book);
    EXPECT_EQ(view->CurrentPage(), page);
    EXPECT_EQ(Frame()->focusWidget(), view);
    EXPECT_TRUE(m_sink.Messages().isEmpty());
}

TEST_F(BookmarkCommandTest, LoadingOpensTheBookAndBadPositionsStartAtTheTop)
{
    const QString book = WriteBook(QStringLiteral("marked.txt"), LongText());
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Enabled(Cmd::AddBookmark));
    EXPECT_TRUE(Enabled(Cmd::OrganizeBookmarks));

    IniFile bmk(BookmarkFilePath());
    bmk.WriteString(QStringLiteral("deep"), QStringLiteral("PATH"), book);
    bmk.WriteString(QStringLiteral("deep"), QStringLiteral("POSITION"), QStringLiteral("6000"));
    bmk.WriteString(QStringLiteral("junk"), QStringLiteral("PATH"), book);
    bmk.WriteString(QStringLiteral("junk"), QStringLiteral("POSITION"), QStringLiteral("abc"));

    LoadFromOrganise(QStringLiteral("deep"));
    CLeafturnerView* view = ReadingView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Frame()->Document()->PathName(), book);
    TextBuffer* buffer = Frame()->Document()->Buffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_GT(view->CurrentPage(), 0);
    EXPECT_EQ(view->CurrentPage(), buffer->PageOf(6000) & ~(view->IsSpread() ? 1 : 0));
    EXPECT_TRUE(Enabled(Cmd::AddBookmark));

    LoadFromOrganise(QStringLiteral("junk"));
    EXPECT_EQ(ReadingView()->CurrentPage(), 0);

    // A bookmark whose book went away between the dialog and the opening opens nothing.
    EXPECT_FALSE(TheApp()->OpenBookmark(QStringLiteral("no such bookmark")));
    EXPECT_TRUE(m_sink.Messages().isEmpty());
}

} // namespace
