// Simplified/Traditional display conversion in the whole reader: the menu and its memory, pages
// drawn converted over the book's own offsets, titles, search in either script, and the edit view's
// whole-text conversion.
#include "support/readerfixture.h"
#include "support/waituntil.h"

#include "app/conversionmenu.h"
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "app/searchpanecommand.h"
#include "chapters/chapterlistdlg.h"
#include "chapters/chaptertable.h"
#include "convert/shownscript.h"
#include "document/leafturnerdoc.h"
#include "document/textbuffer.h"
#include "library/bookmarkfile.h"
#include "search/searchpanedlg.h"
#include "search/searchresultmodel.h"
#include "ui/commandids.h"
#include "views/leafturnerview.h"
#include "views/myrichedit.h"
#include "views/myricheditview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QTableWidget>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <string>
#include <vector>

namespace {

QString SimplifiedBook(int chapters)
{
    QString text;
    for (int c = 1; c <= chapters; ++c) {
        text += QStringLiteral("第%1章 后来的图书馆\n").arg(c);
        for (int i = 0; i < 12; ++i)
            text += QStringLiteral(
                "　　她的头发很干净，后来我们去了图书馆，计算机和软件都在那里。天色将晚，风很大。\n");
    }
    return text;
}

QString Converted(const QString& text, ConvertConfig config)
{
    const std::u16string out = ScriptConverter::Get(config)->ConvertWhole(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
    return QString::fromUtf16(out.data(), static_cast<qsizetype>(out.size()));
}

class Conversion : public ReaderTest
{
protected:
    ConversionMenu* Menu() const { return Frame()->Conversions(); }
    // Chooses from the submenu as the user does, then waits for the dictionaries.
    void Choose(const char* name)
    {
        for (QAction* a : Menu()->Menu()->actions())
            if (a->data().toString() == QLatin1String(name))
                a->trigger();
        ASSERT_TRUE(WaitUntil([this] { return Menu()->IsReady(); }));
        Settle();
    }
    std::vector<std::int32_t> PageTable() const
    {
        const TextBuffer* buffer = Frame()->Document()->Buffer();
        std::vector<std::int32_t> starts;
        for (int p = 0; p < buffer->PageCount(); ++p)
            starts.push_back(buffer->PageStart(p));
        return starts;
    }
};

TEST_F(Conversion, ChoiceIsKeptPerBookWithTheLastOneAsDefault)
{
    const QString a = WriteBook(QStringLiteral("a.txt"), SimplifiedBook(2));
    const QString b = WriteBook(QStringLiteral("b.txt"), SimplifiedBook(3));
    ASSERT_TRUE(Start({a}));
    QMenu* menu = Menu()->Menu();
    EXPECT_EQ(menu->title(), QStringLiteral("简繁转换"));
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << a->text();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("不转换"), QStringLiteral("简体→繁体"),
                                  QStringLiteral("简体→台湾正体"), QStringLiteral("简体→香港繁体"),
                                  QStringLiteral("繁体→简体")}));
    bool inViewMenu = false;
    for (QAction* top : Frame()->menuBar()->actions())
        inViewMenu |=
            top->text() == QStringLiteral("查看(&V)") && top->menu()->actions().contains(menu->menuAction());
    EXPECT_TRUE(inViewMenu);
    EXPECT_TRUE(Frame()->ContextMenu(160)->actions().contains(menu->menuAction()));
    EXPECT_TRUE(menu->actions()[0]->isChecked());

    const struct
    {
        const QString& book; // the open book at the end of the step
        const char* choose;  // nullptr: only open the book
        ConvertConfig shown;
        const char* defaultSetting;
    } steps[] = {
        {a, "s2tw", ConvertConfig::S2TW, "2"},
        {b, nullptr, ConvertConfig::S2TW, "2"}, // never chosen: the default
        {b, "none", ConvertConfig::None, "0"},
        {a, nullptr, ConvertConfig::S2TW, "0"}, // its own choice
        {b, nullptr, ConvertConfig::None, "0"},
        {b, nullptr, ConvertConfig::None, "0"},
        {b, "t2s", ConvertConfig::T2S, "4"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.choose ? step.choose : "open");
        if (!step.choose) {
            ASSERT_TRUE(m_app->OpenDocumentFile(step.book));
            Settle();
        } else {
            Choose(step.choose);
        }
        EXPECT_EQ(Menu()->Current(), step.shown);
        EXPECT_EQ(ShownScript::Instance().Config(), step.shown);
        for (QAction* action : menu->actions())
            EXPECT_EQ(action->isChecked(),
                      action->data().toString() == QLatin1String(ConvertConfigName(step.shown)));
        EXPECT_EQ(StoredValue(QStringLiteral("PARA_CONVERSION"), QLatin1String(step.defaultSetting)),
                  QLatin1String(step.defaultSetting));
    }
    // The book's choice holds across a restart.
    Stop();
    ASSERT_TRUE(Start({b}));
    EXPECT_EQ(Menu()->Current(), ConvertConfig::T2S);
    ASSERT_TRUE(m_app->OpenDocumentFile(a));
    Settle();
    EXPECT_EQ(Menu()->Current(), ConvertConfig::S2TW);
}

TEST_F(Conversion, PagesAreDrawnConvertedOverTheBooksOwnOffsets)
{
    const QString path = WriteBook(QStringLiteral("book.txt"), SimplifiedBook(30));
    ASSERT_TRUE(Start({path}));
    CLeafturnerView* view = ReadingView();
    ASSERT_NE(view, nullptr);
    ASSERT_GT(view->PageCount(), 20);
    Frame()->RouteCommand(Cmd::ChapterList);
    auto* pane = Frame()->findChild<CChapterListDlg*>();
    ASSERT_NE(pane, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !pane->IsSearching() && pane->List()->rowCount() == 30; }));
    const std::int32_t mark = pane->Table()[17] + 9;
    ASSERT_TRUE(BookmarkFile::Default().Write(QStringLiteral("标记"), path, mark));

    // Where a bookmark and a chapter take the reader, and what the page looks like, in each script.
    struct Landing
    {
        std::vector<std::int32_t> pages;
        std::int32_t bookmark = -1;
        int bookmarkPage = -1;
        std::int32_t chapter = -1;
        QString title;
        QImage picture;
    };
    auto land = [&] {
        Landing l;
        l.pages = PageTable();
        EXPECT_TRUE(m_app->OpenBookmark(QStringLiteral("标记")));
        Settle();
        l.bookmark = view->CurrentCharOffset();
        l.bookmarkPage = view->CurrentPage();
        view->ShowPage(0);
        Settle();
        pane->List()->clearSelection();
        pane->List()->selectRow(25);
        Settle();
        l.chapter = view->CurrentCharOffset();
        const std::u16string title = ShownScript::Instance().Short(u"第4章 后来的图书馆");
        const QString expected = QString::fromUtf16(title.data(), static_cast<qsizetype>(title.size()));
        EXPECT_TRUE(WaitUntil([&] { return pane->List()->item(3, 1)->text() == expected; }, 3000));
        l.title = pane->List()->item(3, 1)->text();
        l.picture = view->ComposePage(view->CurrentPage());
        return l;
    };
    const Landing plain = land();
    EXPECT_EQ(plain.title, QStringLiteral("第4章 后来的图书馆"));
    Choose("s2t");
    const Landing shown = land();
    EXPECT_EQ(shown.title, QStringLiteral("第4章 後來的圖書館"));
    EXPECT_EQ(shown.pages, plain.pages);
    EXPECT_EQ(shown.bookmark, mark);
    EXPECT_EQ(plain.bookmark, mark);
    EXPECT_EQ(shown.bookmarkPage, plain.bookmarkPage);
    EXPECT_EQ(shown.chapter, plain.chapter);
    EXPECT_EQ(plain.chapter, pane->Table()[25]);
    EXPECT_NE(shown.picture, plain.picture) << "the page is drawn in the other script";
    // The last position stays the book's offset.
    EXPECT_EQ(StoredValue(QStringLiteral("PARA_LAST_POS"), QString::number(shown.chapter)),
              QString::number(shown.chapter));

    // The pages around the one drawn were made ahead: turning finds them kept.
    ASSERT_TRUE(WaitUntil([] {
        ShownScript::Instance().Pages().WaitIdle();
        return true;
    }));
    const std::uint64_t hits = ShownScript::Instance().Pages().Hits();
    Frame()->RouteCommand(Cmd::NextPage);
    view->ComposePage(view->CurrentPage());
    EXPECT_GT(ShownScript::Instance().Pages().Hits(), hits);

    Choose("none");
    const Landing again = land();
    EXPECT_EQ(again.title, plain.title);
    EXPECT_EQ(again.picture, plain.picture);
}

TEST_F(Conversion, SearchInEitherScriptFindsTheBooksText)
{
    QString text;
    std::vector<std::int32_t> expected;
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 20; ++k)
            text += QStringLiteral("天色將晚的時候，他才從山上走下來。\n");
        expected.push_back(static_cast<std::int32_t>(text.size()) + 8);
        text += QStringLiteral("她的頭髮很乾淨，後來我們去了圖書館。\n");
    }
    const QString path = WriteBook(QStringLiteral("trad.txt"), text);
    ASSERT_TRUE(Start({path}));
    QTest::keyClick(ReadingView(), Qt::Key_F, Qt::ControlModifier);
    Settle();
    CSearchPaneDlg* pane = Frame()->findChild<CSearchPaneCommand*>()->Pane();
    ASSERT_NE(pane, nullptr);
    const struct
    {
        const char* conversion;
        QString pattern;
        std::size_t hits;
        QString context; // the first row's context column
    } cases[] = {
        {"none", QStringLiteral("后来"), 0, {}},
        {"none", QStringLiteral("後來"), 3, QStringLiteral("她的頭髮很乾淨，後來我們去了圖書館。")},
        {"t2s", QStringLiteral("后来"), 3, QStringLiteral("她的头发很干净，后来我们去了图书馆。")},
        {"t2s", QStringLiteral("後來"), 3, QStringLiteral("她的头发很干净，后来我们去了图书馆。")},
        {"s2t", QStringLiteral("后来"), 3, QStringLiteral("她的頭髮很乾淨，後來我們去了圖書館。")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.conversion) + ' ' + c.pattern.toStdString());
        Choose(c.conversion);
        pane->PatternBox()->setEditText(c.pattern);
        pane->Search();
        ASSERT_TRUE(WaitUntil([&] { return !pane->IsSearching(); }));
        const auto& hits = pane->Results().Hits();
        ASSERT_EQ(hits.size(), c.hits);
        for (std::size_t i = 0; i < hits.size(); ++i) {
            EXPECT_EQ(hits[i].offset, expected[i]);
            EXPECT_EQ(hits[i].length, 2);
        }
        if (c.hits > 0) {
            EXPECT_TRUE(pane->Results().index(0, 1).data().toString().startsWith(c.context))
                << pane->Results().index(0, 1).data().toString().toStdString();
        }
    }
}

TEST_F(Conversion, EditViewConvertsTheWholeTextAsOneUndoStep)
{
    // More than one slice: long enough to cancel halfway. A paragraph too long for one block of the
    // control and a paragraph separator of the book's own come back as they were.
    QString original = SimplifiedBook(1000);
    original += SimplifiedBook(300).remove(u'\n') + QStringLiteral("\x2029尾\n");
    const QString path = WriteBook(QStringLiteral("book.txt"), original);
    ASSERT_TRUE(Start({path}));
    Frame()->UpdateCommandUI();
    EXPECT_FALSE(Frame()->Action(Cmd::ConvertWholeText)->isEnabled()) << "not in the reading view";
    Choose("s2t");
    Frame()->RouteCommand(Cmd::EditMode);
    Settle();
    auto* edit = qobject_cast<CMyRichEditView*>(Frame()->ActiveViewWidget());
    ASSERT_NE(edit, nullptr);
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->Action(Cmd::ConvertWholeText)->isEnabled());
    QString book = edit->Edit()->TextWithCrs();
    ASSERT_EQ(book.size(), original.size());

    // Cancelled: nothing changes.
    QTimer::singleShot(40, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(w); progress && progress->isVisible())
                progress->cancel();
    });
    Frame()->RouteCommand(Cmd::ConvertWholeText);
    EXPECT_EQ(edit->Edit()->TextWithCrs(), book);
    EXPECT_FALSE(edit->IsTextModified());
    EXPECT_FALSE(edit->Edit()->document()->isUndoAvailable());

    Frame()->RouteCommand(Cmd::ConvertWholeText);
    EXPECT_EQ(edit->Edit()->TextWithCrs(), Converted(book, ConvertConfig::S2T));
    EXPECT_TRUE(edit->IsTextModified());
    // One undo gives the text back whole, and there is nothing more to undo.
    edit->Edit()->undo();
    EXPECT_EQ(edit->Edit()->TextWithCrs(), book);
    EXPECT_FALSE(edit->Edit()->document()->isUndoAvailable());
    edit->Edit()->redo();
    EXPECT_EQ(edit->Edit()->TextWithCrs(), Converted(book, ConvertConfig::S2T));
    edit->SetTextModified(false); // the reader closes without asking to save
}

} // namespace
