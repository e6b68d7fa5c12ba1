// The chapter pane in the whole reader: following the reader, jumping, clearing and refreshing around
// book changes, settings, hostile conditions, Esc, and what survives a restart.
#include "support/readerfixture.h"
#include "support/waituntil.h"

#include "app/chapterpanecommand.h"
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "chapters/chapterconditiondlg.h"
#include "chapters/chapterlistdlg.h"
#include "chapters/chaptersettingsdlg.h"
#include "chapters/chaptertable.h"
#include "chapters/conditionfile.h"
#include "document/documenthost.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "settings/inifile.h"
#include "settings/parablock.h"
#include "settings/profile.h"
#include "ui/commandids.h"
#include "ui/panehostbar.h"
#include "views/leafturnerview.h"
#include "views/viewhost.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

namespace {

// `chapters` headings, each followed by enough text for a few pages.
QString Book(int chapters, const QString& heading = QStringLiteral("第%1章 风起"), int lines = 40)
{
    QString text;
    for (int c = 1; c <= chapters; ++c) {
        text += heading.arg(c) + u'\n';
        for (int i = 0; i < lines; ++i)
            text += QStringLiteral(
                "　　春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。山光悦鸟性，潭影空人心。\n");
    }
    return text;
}

class ChapterPaneTest : public ReaderTest
{
protected:
    CChapterPaneCommand* Command() const { return Frame()->findChild<CChapterPaneCommand*>(); }
    CChapterListDlg* Pane() const { return Command() ? Command()->Pane() : nullptr; }
    PaneHostBar* Bar() const { return Command() ? Command()->Bar() : nullptr; }
    QTableWidget* List() const { return Pane()->List(); }

    // Ctrl+P, then waits until the search ended.
    CChapterListDlg* OpenPane()
    {
        Frame()->RouteCommand(Cmd::ChapterList);
        CChapterListDlg* pane = Pane();
        EXPECT_NE(pane, nullptr);
        if (pane)
            WaitForRows();
        return pane;
    }
    void WaitForRows()
    {
        Settle();
        EXPECT_TRUE(WaitUntil([this] { return !Pane()->IsSearching(); }));
        Settle();
    }
    int SelectedRow() const
    {
        const auto selected = List()->selectedItems();
        return selected.isEmpty() ? -1 : selected.front()->row();
    }
    bool Checked(int id)
    {
        Frame()->UpdateCommandUI();
        return Frame()->Action(id)->isChecked();
    }
};

TEST_F(ChapterPaneTest, FollowsTheReaderAndJumpsToTheChosenChapter)
{
    const QString path = WriteBook(QStringLiteral("book.txt"), Book(30));
    ASSERT_TRUE(Start({path}));
    EXPECT_FALSE(Checked(Cmd::ChapterList));
    CChapterListDlg* pane = OpenPane();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(Frame()->dockWidgetArea(Bar()), Qt::RightDockWidgetArea);
    EXPECT_TRUE(Checked(Cmd::ChapterList));
    ASSERT_EQ(List()->rowCount(), 30);
    EXPECT_EQ(List()->horizontalHeaderItem(0)->text(), QStringLiteral("位置"));
    EXPECT_EQ(List()->horizontalHeaderItem(1)->text(), QStringLiteral("章节"));

    CLeafturnerView* view = ReadingView();
    ASSERT_NE(view, nullptr);
    ASSERT_GT(view->PageCount(), 60);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(List()->item(i, 1)->text(), QStringLiteral("第%1章 风起").arg(i + 1));
        EXPECT_EQ(List()->item(i, 0)->text(), view->FormatPositionLabel(pane->Table()[i]));
    }
    // The reading view keeps the keys after the pane opened.
    EXPECT_FALSE(List()->hasFocus());

    // Turning pages moves the highlight to the chapter being read, and never moves the view.
    for (int turn = 0; turn < 15; ++turn) {
        Frame()->RouteCommand(Cmd::NextPage);
        const std::int32_t offset = view->CurrentOffset();
        const int expected = pane->Table().RowAt(offset);
        EXPECT_TRUE(WaitUntil([&] { return SelectedRow() == expected; }, 2000)) << turn;
        QTest::qWait(CChapterListDlg::kFollowIntervalMs + 50);
        EXPECT_EQ(view->CurrentOffset(), offset) << turn;
    }
    EXPECT_GT(SelectedRow(), 0);

    // Choosing a row moves the view to that chapter's page, and the highlight stays on it.
    QTableWidgetItem* item = List()->item(20, 1);
    List()->scrollToItem(item);
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(item).center());
    const std::int32_t start = pane->Table()[20];
    TextBuffer* buffer = Frame()->Document()->Buffer();
    const int shown = buffer->PageOf(view->CurrentOffset());
    EXPECT_TRUE(buffer->PageOf(start) == shown || buffer->PageOf(start) == shown - 1);
    QTest::qWait(CChapterListDlg::kFollowIntervalMs + 100);
    EXPECT_EQ(SelectedRow(), 20);

    // Ctrl+P hides and shows the pane.
    Frame()->RouteCommand(Cmd::ChapterList);
    EXPECT_TRUE(Bar()->isHidden());
    EXPECT_FALSE(Checked(Cmd::ChapterList));
    Frame()->RouteCommand(Cmd::ChapterList);
    EXPECT_FALSE(Bar()->isHidden());
    EXPECT_EQ(List()->rowCount(), 30);
}

TEST_F(ChapterPaneTest, EmptiedBeforeAnotherBookAndFilledAfter)
{
    const QString first = WriteBook(QStringLiteral("first.txt"), Book(12));
    const QString second = WriteBook(QStringLiteral("second.txt"), Book(5, QStringLiteral("第%1回 夜行")));
    ASSERT_TRUE(Start());
    CChapterListDlg* pane = OpenPane();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(List()->rowCount(), 0);
    EXPECT_FALSE(pane->IsFollowing());

    ASSERT_TRUE(m_app->OpenDocumentFile(first));
    WaitForRows();
    EXPECT_EQ(List()->rowCount(), 12);
    EXPECT_TRUE(pane->IsFollowing());

    ASSERT_TRUE(m_app->OpenDocumentFile(second));
    WaitForRows();
    ASSERT_EQ(List()->rowCount(), 5);
    EXPECT_EQ(List()->item(4, 1)->text(), QStringLiteral("第5回 夜行"));

    // Clear while a search runs: the list stays empty and nothing arrives later.
    pane->Refresh();
    pane->Clear();
    EXPECT_FALSE(pane->IsSearching());
    QTest::qWait(100);
    EXPECT_EQ(List()->rowCount(), 0);
    EXPECT_EQ(pane->Table().Count(), 0);
    EXPECT_FALSE(pane->IsFollowing());

    // The Refresh button searches again.
    QTest::mouseClick(Pane()->findChild<QPushButton*>(QStringLiteral("RefreshButton")), Qt::LeftButton);
    WaitForRows();
    EXPECT_EQ(List()->rowCount(), 5);
}

TEST_F(ChapterPaneTest, EditedBookIsSavedBeforeTheSearchOrLeftAlone)
{
    const QString ask = QStringLiteral("文件内容已被修改，您想保存吗？");
    const QString path = WriteBook(QStringLiteral("book.txt"), Book(4));
    ASSERT_TRUE(Start({path}));
    ASSERT_NE(OpenPane(), nullptr);
    Frame()->RouteCommand(Cmd::EditMode);
    WaitForRows();
    CMyView* view = Frame()->ActiveView();
    ASSERT_TRUE(view && view->IsEditView());
    ASSERT_EQ(List()->rowCount(), 4);
    EXPECT_TRUE(List()->item(1, 0)->text().endsWith(u'%'));

    // Cancel: nothing is saved and the list stays empty.
    view->SetTextModified(true);
    m_sink.QueueAnswer(MsgAnswer::Cancel);
    Frame()->ChapterPaneRefresh();
    WaitForRows();
    EXPECT_EQ(m_sink.Last(), ask);
    EXPECT_EQ(List()->rowCount(), 0);
    EXPECT_TRUE(Frame()->Document()->IsModified());

    // A save that fails keeps the edits marked as unsaved; the search still runs.
    ASSERT_TRUE(QFile::rename(path, path + QStringLiteral(".away")));
    ASSERT_TRUE(QDir().mkdir(path));
    m_sink.Clear();
    m_sink.QueueAnswer(MsgAnswer::Ok);
    Frame()->ChapterPaneRefresh();
    WaitForRows();
    EXPECT_TRUE(m_sink.Messages().contains(QStringLiteral("文件保存失败。")));
    EXPECT_TRUE(Frame()->Document()->IsModified());
    EXPECT_EQ(List()->rowCount(), 4);

    // OK saves the book first.
    ASSERT_TRUE(QDir().rmdir(path));
    ASSERT_TRUE(QFile::rename(path + QStringLiteral(".away"), path));
    m_sink.QueueAnswer(MsgAnswer::Ok);
    Frame()->ChapterPaneRefresh();
    WaitForRows();
    EXPECT_FALSE(Frame()->Document()->IsModified());
    EXPECT_EQ(List()->rowCount(), 4);
    EXPECT_TRUE(QFileInfo(path).isFile());
    Frame()->RouteCommand(Cmd::EditMode);
}

TEST_F(ChapterPaneTest, NoNumeralKindIsReported)
{
    Setting(QStringLiteral("PARA_CHP_ENG_DIGIT"), QStringLiteral("0"));
    Setting(QStringLiteral("PARA_CHP_CHN_LOWER"), QStringLiteral("0"));
    const QString path = WriteBook(QStringLiteral("book.txt"), Book(3));
    ASSERT_TRUE(Start({path}));
    CChapterListDlg* pane = OpenPane();
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(m_sink.Messages().contains(QStringLiteral("抱歉，查找条件有问题，请检查设置。")));
    EXPECT_EQ(List()->rowCount(), 0);
}

TEST_F(ChapterPaneTest, SettingsWriteTheConditionFileAndRefresh)
{
    const QString path =
        WriteBook(QStringLiteral("book.txt"), Book(4) + Book(3, QStringLiteral("卷%1 开端"), 5));
    ASSERT_TRUE(Start({path}));
    CChapterListDlg* pane = OpenPane();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(List()->rowCount(), 4);
    EXPECT_FALSE(QFile::exists(ConditionFilePath()));

    auto driveSettings = [](std::function<void(CChapterSettingsDlg*)> drive) {
        QTimer::singleShot(20, [drive] {
            auto* dialog = qobject_cast<CChapterSettingsDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            drive(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
    };
    // Add "卷×" and untick "第×章" (row 5 of the defaults).
    driveSettings([](CChapterSettingsDlg* d) {
        d->List()->item(5, 0)->setCheckState(Qt::Unchecked);
        QTimer::singleShot(20, [] {
            auto* c = qobject_cast<CChapterConditionDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(c, nullptr);
            c->Edit()->setText(QStringLiteral("卷×"));
            c->accept();
        });
        d->OnAdd();
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("OkButton")), Qt::LeftButton);
    });
    QTest::mouseClick(pane->findChild<QPushButton*>(QStringLiteral("SettingsButton")), Qt::LeftButton);
    WaitForRows();
    ASSERT_EQ(List()->rowCount(), 3);
    EXPECT_EQ(List()->item(0, 1)->text(), QStringLiteral("卷1 开端"));

    QFile file(ConditionFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    EXPECT_TRUE(bytes.startsWith(QByteArray("\xFF\xFE", 2)));
    EXPECT_TRUE(bytes.endsWith(QByteArray("\r\0\n\0", 4)));
    ChapterConditionList stored;
    LoadConditionFile(ConditionFilePath(), stored);
    EXPECT_EQ(stored, pane->Conditions());
    EXPECT_EQ(stored.At(6), QStringLiteral("第×章"));
    EXPECT_EQ(stored.At(11), QStringLiteral("*卷×"));

    // A file that cannot be written is reported; the new conditions still hold.
    ASSERT_TRUE(QFile::remove(ConditionFilePath()));
    ASSERT_TRUE(QDir().mkdir(ConditionFilePath()));
    m_sink.Clear();
    driveSettings([](CChapterSettingsDlg* d) {
        d->SetAllTicks(true);
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("OkButton")), Qt::LeftButton);
    });
    QTest::mouseClick(pane->findChild<QPushButton*>(QStringLiteral("SettingsButton")), Qt::LeftButton);
    EXPECT_EQ(m_sink.Last(), QStringLiteral("文件保存失败。"));
    WaitForRows();
    EXPECT_EQ(List()->rowCount(), 7);
    EXPECT_TRUE(pane->Conditions().At(6).startsWith(u'*'));
}

TEST_F(ChapterPaneTest, HostileConditionsLeaveTheOthersWorking)
{
    ChapterConditionList conditions;
    conditions.Add(QStringLiteral("*(a+)+$"));
    conditions.Add(QStringLiteral("*") + QString(4000, u'字'));
    conditions.Add(QStringLiteral("*第×章("));
    conditions.Add(QStringLiteral("*第×章"));
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QString(28, u'a') + QStringLiteral("b\n");
    text += Book(6);
    for (int i = 0; i < 300; ++i)
        text += QString(40, u'a') + u'\n';
    const QString path = WriteBook(QStringLiteral("book.txt"), text);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SaveConditionFile(ConditionFilePath(), conditions));
    ASSERT_TRUE(m_app->OpenDocumentFile(path));

    // The window keeps handling events while the search runs.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(5);
    QElapsedTimer searching;
    searching.start();
    CChapterListDlg* pane = OpenPane();
    ASSERT_NE(pane, nullptr);
    // A fast machine may end the search before the first tick is due.
    if (searching.elapsed() >= 50) {
        EXPECT_GT(ticks, 0);
    }
    EXPECT_EQ(pane->Conditions().Count(), 4);
    // "(a+)+$" gives up only the lines that cost too much; the lines of a's alone it does match
    // (one row: their titles repeat), and the pane says what was given up.
    ASSERT_EQ(List()->rowCount(), 7);
    EXPECT_EQ(List()->item(0, 1)->text(), QStringLiteral("第1章 风起"));
    EXPECT_EQ(List()->item(6, 1)->text(), QString(31, u'a'));
    EXPECT_TRUE(pane->Status()->text().contains(QStringLiteral("“(a+)+$”")))
        << pane->Status()->text().toStdString();

    // A condition file of random bytes: the pane still opens and searches.
    Stop();
    QFile file(ConditionFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QByteArray noise(8192, '\0');
    QRandomGenerator random(7);
    for (char& c : noise)
        c = static_cast<char>(random.bounded(256));
    file.write(noise);
    file.close();
    ASSERT_TRUE(Start({path}));
    ASSERT_NE(OpenPane(), nullptr);
    EXPECT_FALSE(Pane()->IsSearching());
    QTest::mouseClick(Pane()->findChild<QPushButton*>(QStringLiteral("RefreshButton")), Qt::LeftButton);
    WaitForRows();
}

// A condition that keeps the engine busy for seconds between two looks at the cancel flag must not
// hold up the window when the book changes.
TEST_F(ChapterPaneTest, ClearDoesNotWaitForABusyEngine)
{
    ChapterConditionList conditions;
    conditions.Add(QStringLiteral("*(a|aa)*c"));
    conditions.Add(QStringLiteral("*第×章"));
    // No characters before the keyword, so each line costs the engine many steps but stays under its
    // limit: the condition is slow instead of failing at once.
    Setting(QStringLiteral("PARA_CHP_LINE_HEAD"), QStringLiteral("0"));
    QString text = Book(3);
    // Every line tries (a|aa)* in thousands of ways before the "b" and never matches.
    for (int i = 0; i < 200000; ++i)
        text += QString(16, u'a') + QStringLiteral("bc\n");
    const QString slow = WriteBook(QStringLiteral("slow.txt"), text);
    const QString plain = WriteBook(QStringLiteral("plain.txt"), Book(4));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SaveConditionFile(ConditionFilePath(), conditions));
    ASSERT_TRUE(m_app->OpenDocumentFile(slow));
    Frame()->RouteCommand(Cmd::ChapterList);
    ASSERT_NE(Pane(), nullptr);
    ASSERT_TRUE(WaitUntil([this] { return Pane()->IsSearching(); }, 5000));
    QTest::qWait(50);

    QElapsedTimer clock;
    clock.start();
    Pane()->Clear();
    EXPECT_LT(clock.elapsed(), 600);
    EXPECT_FALSE(Pane()->IsSearching());
    EXPECT_EQ(List()->rowCount(), 0);

    // The next book is searched while the abandoned search winds down.
    ASSERT_TRUE(m_app->OpenDocumentFile(plain));
    WaitForRows();
    EXPECT_EQ(List()->rowCount(), 4);
    // Not left running past the test.
    EXPECT_TRUE(Pane()->WaitForSearch(60000));
}

// What a search leaves out is said under the list; the rows it did find stay.
TEST_F(ChapterPaneTest, StatusTellsWhatTheSearchLeftOut)
{
    ChapterConditionList conditions;
    conditions.Add(QStringLiteral("*第×[章]"));
    const QString longLine =
        WriteBook(QStringLiteral("long.txt"), QStringLiteral("第1章 甲\n正文\n") + QString(10000, u' ') +
                                                  QStringLiteral("x章\n第2章 乙\n"));
    const QString many = WriteBook(QStringLiteral("many.txt"), Book(5000, QStringLiteral("第%1章 风起"), 0));
    const QString plain = WriteBook(QStringLiteral("plain.txt"), Book(3));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SaveConditionFile(ConditionFilePath(), conditions));
    ASSERT_NE(OpenPane(), nullptr);
    EXPECT_TRUE(Pane()->Status()->isHidden());

    ASSERT_TRUE(m_app->OpenDocumentFile(longLine));
    WaitForRows();
    ASSERT_EQ(List()->rowCount(), 2);
    EXPECT_EQ(List()->item(1, 1)->text(), QStringLiteral("第2章 乙"));
    EXPECT_FALSE(Pane()->Status()->isHidden());
    EXPECT_TRUE(Pane()->Status()->text().contains(QStringLiteral("“第×[章]”")))
        << Pane()->Status()->text().toStdString();

    ASSERT_TRUE(m_app->OpenDocumentFile(many));
    WaitForRows();
    EXPECT_EQ(List()->rowCount(), ChapterTable::kSize);
    EXPECT_TRUE(Pane()->Status()->text().contains(QStringLiteral("4096")))
        << Pane()->Status()->text().toStdString();

    ASSERT_TRUE(m_app->OpenDocumentFile(plain));
    WaitForRows();
    EXPECT_EQ(List()->rowCount(), 3);
    EXPECT_TRUE(Pane()->Status()->isHidden());
}

// A chapter that starts on the view is the one being read, the last page's included.
TEST_F(ChapterPaneTest, HighlightFollowsChaptersStartingOnTheViewUpToTheLastPage)
{
    const QString path = WriteBook(QStringLiteral("book.txt"), Book(3) + QStringLiteral("第4章 终\n完\n"));
    ASSERT_TRUE(Start({path}));
    CChapterListDlg* pane = OpenPane();
    ASSERT_NE(pane, nullptr);
    ASSERT_EQ(List()->rowCount(), 4);
    CLeafturnerView* view = ReadingView();
    TextBuffer* buffer = Frame()->Document()->Buffer();
    const std::int32_t last = pane->Table()[3];
    ASSERT_EQ(buffer->PageOf(last), view->PageCount() - 1);
    ASSERT_GT(last, buffer->PageStart(view->PageCount() - 1));
    Frame()->RouteCommand(Cmd::LastPage);
    EXPECT_TRUE(WaitUntil([this] { return SelectedRow() == 3; }, 2000)) << SelectedRow();
    Frame()->RouteCommand(Cmd::FirstPage);
    EXPECT_TRUE(WaitUntil([this] { return SelectedRow() == 0; }, 2000)) << SelectedRow();
}

// Page numbers in the list are those of the layout on screen.
TEST_F(ChapterPaneTest, PageLabelsFollowEveryNewLayout)
{
    const QString path = WriteBook(QStringLiteral("book.txt"), Book(20));
    ASSERT_TRUE(Start({path}));
    CChapterListDlg* pane = OpenPane();
    ASSERT_NE(pane, nullptr);
    ASSERT_EQ(List()->rowCount(), 20);
    CLeafturnerView* view = ReadingView();
    auto labelsMatch = [&] {
        for (int i = 0; i < List()->rowCount(); ++i)
            if (List()->item(i, 0)->text() != view->FormatPositionLabel(pane->Table()[i]))
                return false;
        return true;
    };
    const QString before = List()->item(19, 0)->text();
    const std::vector<std::function<void()>> relayouts = {
        [&] { Frame()->RouteCommand(Cmd::Vertical); },
        [&] { Frame()->resize(Frame()->width() / 2 + 50, Frame()->height()); },
        [&] { Frame()->RouteCommand(Cmd::Vertical); },
    };
    for (std::size_t k = 0; k < relayouts.size(); ++k) {
        const int pages = view->PageCount();
        relayouts[k]();
        Settle();
        ASSERT_NE(view->PageCount(), pages) << k;
        EXPECT_TRUE(WaitUntil(labelsMatch, 2000)) << k;
    }
    EXPECT_NE(List()->item(19, 0)->text(), before);
}

TEST_F(ChapterPaneTest, StateAndFontSizeSurviveARestart)
{
    const QString path = WriteBook(QStringLiteral("book.txt"), Book(5));
    ASSERT_TRUE(Start({path}));
    ASSERT_NE(OpenPane(), nullptr);
    auto* combo = Pane()->findChild<QComboBox*>(QStringLiteral("FontSizeCombo"));
    ASSERT_NE(combo, nullptr);
    ASSERT_GT(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0).toInt(), QFontInfo(Pane()->font()).pixelSize());
    EXPECT_EQ(combo->itemText(combo->count() - 1), QStringLiteral("32"));
    combo->setCurrentIndex(3);
    EXPECT_EQ(QFontInfo(List()->font()).pixelSize(), combo->itemText(3).toInt());
    Frame()->addDockWidget(Qt::LeftDockWidgetArea, Bar());
    Settle();
    QTest::qWait(50);
    Stop();

    const QString section = QStringLiteral("Charpter-SCBar-124");
    IniFile ini(SettingsFilePath());
    for (const char* key : {"sizeHorzCX", "sizeHorzCY", "sizeVertCX", "sizeVertCY", "sizeFloatCX",
                            "sizeFloatCY", "style", "posx", "posy"})
        EXPECT_FALSE(ini.ReadString(section, QLatin1String(key)).isEmpty()) << key;
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("style")).toInt() & 0xF001, 0x1000);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_CHP_FONT_SIZE")), QStringLiteral("3"));

    ASSERT_TRUE(Start({path}));
    ASSERT_NE(OpenPane(), nullptr);
    EXPECT_EQ(Pane()->findChild<QComboBox*>(QStringLiteral("FontSizeCombo"))->currentIndex(), 3);
    EXPECT_EQ(Frame()->dockWidgetArea(Bar()), Qt::LeftDockWidgetArea);
    EXPECT_EQ(List()->rowCount(), 5);
}

// Stands in for the main window around a pane built on its own.
class FakeFrame : public DocumentHost, public ViewHost
{
public:
    CMyView* ActiveView() const override { return nullptr; }
    void ChapterPaneClear() override {}
    void ChapterPaneRefresh() override {}
    bool SwitchView(bool) override { return false; }
    QString AskSaveAsPath(const QString&) override { return {}; }
    void LocateInFileList(const QString&) override {}
    void UpdateFrameTitle() override {}
    void PushStatusText(CMyView*) override {}
    void PostCommand(int id) override { posted.append(id); }
    void RunCommand(int) override {}
    void ShowContextMenu(int, const QPoint&) override {}
    QWidget* FrameWidget() override { return nullptr; }
    QList<int> posted;
};

TEST_F(ChapterPaneTest, EscInThePaneHidesTheWindowInsteadOfClosingThePane)
{
    ASSERT_TRUE(Start());
    FakeFrame frame;
    CChapterListDlg pane(&frame, &frame);
    pane.show();
    QApplication::setActiveWindow(&pane);
    pane.List()->setFocus();
    QTest::keyClick(pane.List(), Qt::Key_Escape);
    EXPECT_EQ(frame.posted, QList<int>{Cmd::HideToTray});
    EXPECT_TRUE(pane.isVisible());
}

} // namespace
