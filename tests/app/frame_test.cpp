// The main frame around the view: toolbar and menu icons, bars, placement, title, indicator, closing.
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "library/bookmarkfile.h"
#include "library/organizebookmarksdialog.h"
#include "settings/inifile.h"
#include "settings/parablock.h"
#include "settings/profile.h"
#include "ui/commandids.h"
#include "ui/customizedialog.h"
#include "ui/toolbarex.h"
#include "views/leafturnerview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QtEndian>

namespace {

QByteArray Placement()
{
    return IniFile(SettingsFilePath())
        .ReadBinary(QStringLiteral("WindowState"), QStringLiteral("WindowPlacement"));
}

int ShowCommandOf(const QByteArray& placement)
{
    return placement.size() >= 12 ? qFromLittleEndian<std::int32_t>(placement.constData() + 8) : -1;
}

} // namespace

TEST_F(ReaderTest, FrameHasTheToolbarAndMenuIcons)
{
    ASSERT_TRUE(Start());
    CToolBarEx* toolbar = Frame()->ToolBar();
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->windowTitle(), QStringLiteral("工具栏"));
    EXPECT_EQ(toolbar->Layout().size(), 44);
    EXPECT_EQ(Frame()->toolBarArea(toolbar), Qt::TopToolBarArea);
    EXPECT_EQ(toolbar->iconSize(), QSize(16, 16));
    // Every command with a button has the same image in the menus, with a disabled version.
    for (int id : {Cmd::FileOpen, Cmd::Help, Cmd::ChapterList, Cmd::EditUndo}) {
        QAction* a = Frame()->Action(id);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->icon().isNull()) << id;
        EXPECT_FALSE(a->icon().pixmap(16, QIcon::Disabled).isNull()) << id;
    }
    EXPECT_TRUE(Frame()->Action(Cmd::AppExit)->icon().isNull());
    EXPECT_FALSE(Frame()->windowIcon().isNull());
    // Without a book the save button follows its disabled command.
    EXPECT_FALSE(toolbar->ButtonAction(Cmd::FileSave)->isEnabled());
    EXPECT_TRUE(toolbar->ButtonAction(Cmd::FileOpen)->isEnabled());
    EXPECT_EQ(Frame()->minimumSize(), QSize(300, 400));
}

TEST_F(ReaderTest, MediumIconsSurviveARestart)
{
    ASSERT_TRUE(Start());
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CCustomizeDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ran = true;
        dialog->IconOptionList()->setCurrentIndex(CToolBarEx::kIconMedium);
        dialog->TextOptionList()->setCurrentIndex(CToolBarEx::kTextRight);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CloseButton")), Qt::LeftButton);
    });
    Frame()->RouteCommand(Cmd::CustomizeToolbar);
    EXPECT_TRUE(ran);
    EXPECT_EQ(Frame()->ToolBar()->iconSize(), QSize(24, 24));
    Stop();
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->ToolBar()->IconOption(), CToolBarEx::kIconMedium);
    EXPECT_EQ(Frame()->ToolBar()->iconSize(), QSize(24, 24));
    EXPECT_EQ(Frame()->ToolBar()->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
}

TEST_F(ReaderTest, PlacementRoundTrip)
{
    // Maximised comes back maximised with its normal rectangle behind it.
    ASSERT_TRUE(Start());
    Frame()->showNormal();
    Frame()->setGeometry(60, 70, 820, 640);
    Settle();
    Frame()->showMaximized();
    Settle();
    Stop();
    QByteArray placement = Placement();
    ASSERT_EQ(placement.size(), 44);
    EXPECT_EQ(qFromLittleEndian<std::int32_t>(placement.constData()), 44);
    EXPECT_EQ(ShowCommandOf(placement), 3);
    EXPECT_EQ(qFromLittleEndian<std::int32_t>(placement.constData() + 36) -
                  qFromLittleEndian<std::int32_t>(placement.constData() + 28),
              820);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame()->isMaximized());

    // Minimised comes back restored.
    Frame()->showNormal();
    Settle();
    Frame()->showMinimized();
    Settle();
    Stop();
    EXPECT_EQ(ShowCommandOf(Placement()), 2);
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Frame()->isMinimized());
    EXPECT_FALSE(Frame()->isMaximized());

    // A placement of the wrong length leaves the maximised default.
    Stop();
    QByteArray bad = Placement();
    qToLittleEndian<std::int32_t>(40, bad.data());
    IniFile(SettingsFilePath())
        .WriteBinary(QStringLiteral("WindowState"), QStringLiteral("WindowPlacement"), bad);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame()->isMaximized());
}

TEST_F(ReaderTest, TitleAndIndicator)
{
    Setting(QStringLiteral("PARA_SHOW_BOOK_NAME"), QStringLiteral("0"));
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner"));
    EXPECT_TRUE(Frame()->Indicator()->text().isEmpty());
    const QString book = WriteBook(QStringLiteral("春晓.txt"), QStringLiteral("春眠不觉晓，处处闻啼鸟。\n"));
    ASSERT_TRUE(m_app->OpenDocumentFile(book));
    Frame()->UpdateCommandUI();
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner"));
    EXPECT_FALSE(Frame()->Indicator()->text().isEmpty());
    EXPECT_FALSE(Frame()->Action(Cmd::FileNameInTitle)->isChecked());
    Frame()->RouteCommand(Cmd::FileNameInTitle);
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner - 春晓.txt"));
    EXPECT_EQ(IniValue(QStringLiteral("PARA_SHOW_BOOK_NAME")), QStringLiteral("1"));
    Frame()->RouteCommand(Cmd::FileNameInTitle);
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner"));
    const int restore = ParaGetInt(PARA_SAVE_RST);
    Frame()->RouteCommand(Cmd::RestoreAtStartup);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_SAVE_RST")).toInt(), restore ? 0 : 1);
    Frame()->UpdateCommandUI();
    EXPECT_EQ(Frame()->Action(Cmd::RestoreAtStartup)->isChecked(), restore == 0);
}

TEST_F(ReaderTest, BarLayoutLoadsOnlyWhenEveryBarExists)
{
    ASSERT_TRUE(Start());
    Frame()->addToolBar(Qt::LeftToolBarArea, Frame()->ToolBar());
    Stop();
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->toolBarArea(Frame()->ToolBar()), Qt::LeftToolBarArea);

    // A layout with a pane that is not there now is ignored as a whole.
    auto* pane = new QDockWidget(QStringLiteral("窗格"), Frame());
    pane->setObjectName(QStringLiteral("Pane999"));
    Frame()->addDockWidget(Qt::RightDockWidgetArea, pane);
    Stop();
    EXPECT_EQ(IniFile(SettingsFilePath()).ReadString(QStringLiteral("BarSec"), QStringLiteral("Bars")),
              QStringLiteral("ToolBar,Pane999"));
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->toolBarArea(Frame()->ToolBar()), Qt::TopToolBarArea);
    // Hand-edited garbage is refused without harm.
    Stop();
    IniFile(SettingsFilePath())
        .WriteString(QStringLiteral("BarSec"), QStringLiteral("State"), QStringLiteral("00ff12"));
    IniFile(SettingsFilePath())
        .WriteString(QStringLiteral("BarSec"), QStringLiteral("Bars"), QStringLiteral("ToolBar"));
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Frame()->LoadBarState());
    EXPECT_EQ(Frame()->toolBarArea(Frame()->ToolBar()), Qt::TopToolBarArea);
}

TEST_F(ReaderTest, ClosingWaitsForWorkersWithinTheBudget)
{
    ASSERT_TRUE(Start());
    std::vector<int> budgets;
    bool hookRan = false;
    Frame()->AddCloseHook([&] { hookRan = true; });
    Frame()->AddWorkerWait([&](int ms) {
        budgets.push_back(ms);
        QTest::qWait(50);
        return true;
    });
    Frame()->AddWorkerWait([&](int ms) {
        budgets.push_back(ms);
        return true;
    });
    Stop();
    EXPECT_TRUE(hookRan);
    ASSERT_EQ(budgets.size(), 2u);
    EXPECT_LE(budgets[0], CMainFrame::kWorkerWaitMs);
    EXPECT_GT(budgets[0], CMainFrame::kWorkerWaitMs - 1000);
    EXPECT_LE(budgets[1], budgets[0] - 50);
    EXPECT_FALSE(
        IniFile(SettingsFilePath()).ReadString(QStringLiteral("BarSec"), QStringLiteral("State")).isEmpty());
}

TEST_F(ReaderTest, EscWithoutTrayKeepsTheWindow)
{
    ASSERT_TRUE(Start());
    Frame()->activateWindow();
    Frame()->RouteCommand(Cmd::HideToTray);
    Settle();
    // The offscreen platform has no notification area: the icon cannot be added.
    EXPECT_TRUE(Frame()->isVisible());
}

TEST_F(ReaderTest, OpenOrSelectFileOpensTheBook)
{
    ASSERT_TRUE(Start());
    const QString book = WriteBook(QStringLiteral("a.txt"), QStringLiteral("甲乙丙丁"));
    Frame()->OpenOrSelectFile(book, 1); // select only: nothing opens
    EXPECT_EQ(Frame()->Document()->Buffer(), nullptr);
    Frame()->OpenOrSelectFile(book, 3);
    EXPECT_EQ(Frame()->Document()->PathName(), book);
}

TEST_F(ReaderTest, FramePopupMenuListsBars)
{
    ASSERT_TRUE(Start());
    std::unique_ptr<QMenu> menu(Frame()->createPopupMenu());
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> items = menu->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_EQ(items.first()->text(), QStringLiteral("工具栏"));
    EXPECT_EQ(items.last()->text(), QStringLiteral("自定义工具栏..."));
    Frame()->RouteCommand(Cmd::ViewToolbar);
    EXPECT_FALSE(Frame()->ToolBar()->isVisible());
}

TEST_F(ReaderTest, RecentFileMenuKeepsAmpersandsAndNumbersItsItems)
{
    ASSERT_TRUE(Start());
    QStringList names{QStringLiteral("A&B.txt")};
    for (int i = 2; i <= 11; ++i)
        names.append(QStringLiteral("书%1.txt").arg(i));
    names.append(QStringLiteral("&&.txt"));
    for (const QString& name : names)
        ASSERT_TRUE(m_app->OpenDocumentFile(WriteBook(name, QStringLiteral("正文"))));
    // The newest first: "&&.txt" is item 1, "A&B.txt" item 12.
    const struct
    {
        int item;
        const char* text;
    } expected[] = {
        {1, "&1 &&&&.txt"},  {2, "&2 书11.txt"}, {9, "&9 书4.txt"},
        {10, "1&0 书3.txt"}, {11, "11 书2.txt"}, {12, "12 A&&B.txt"},
    };
    for (const auto& e : expected) {
        QAction* action = Frame()->Action(Cmd::FileMruFirst + e.item - 1);
        // The reading history's percent follows a tab, in the shortcut column.
        EXPECT_EQ(action->text().section(u'\t', 0, 0), QString::fromUtf8(e.text)) << e.item;
        EXPECT_TRUE(action->isVisible());
    }
}

TEST_F(ReaderTest, BarLayoutAndOpenPanesComeBackAfterARestart)
{
    ASSERT_TRUE(Start());
    Frame()->RouteCommand(Cmd::FileList);
    Frame()->RouteCommand(Cmd::ChapterList);
    Frame()->RouteCommand(Cmd::ChapterList); // closed again before quitting
    Settle();
    Frame()->addToolBar(Qt::LeftToolBarArea, Frame()->ToolBar());
    auto* files = Frame()->findChild<QDockWidget*>(QStringLiteral("Pane123"));
    ASSERT_NE(files, nullptr);
    Frame()->addDockWidget(Qt::RightDockWidgetArea, files);
    Stop();

    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->toolBarArea(Frame()->ToolBar()), Qt::LeftToolBarArea);
    files = Frame()->findChild<QDockWidget*>(QStringLiteral("Pane123"));
    ASSERT_NE(files, nullptr);
    EXPECT_FALSE(files->isHidden());
    EXPECT_EQ(Frame()->dockWidgetArea(files), Qt::RightDockWidgetArea);
    EXPECT_TRUE(Frame()->Action(Cmd::FileList)->isChecked());
    const auto* chapters = Frame()->findChild<QDockWidget*>(QStringLiteral("Pane124"));
    EXPECT_TRUE(!chapters || chapters->isHidden());
}

TEST_F(ReaderTest, OrganiseBookmarksStartsOnTheOpenBooksMarkSoDownAndEnterLoad)
{
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("第%1段。春眠不觉晓，处处闻啼鸟。\n").arg(i);
    const QString open = WriteBook(QStringLiteral("open.txt"), text);
    const QString other = WriteBook(QStringLiteral("other.txt"), text);
    ASSERT_TRUE(Start({open}));
    BookmarkFile marks = BookmarkFile::Default();
    ASSERT_TRUE(marks.Write(QStringLiteral("alpha"), other, 100));
    ASSERT_TRUE(marks.Write(QStringLiteral("beta"), open, 200));
    ASSERT_TRUE(marks.Write(QStringLiteral("gamma"), other, 3000));
    QString focused;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<OrganizeBookmarksDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QWidget* focus = dialog->focusWidget();
        ASSERT_NE(focus, nullptr);
        focused = focus->objectName() + u'/' + dialog->List()->currentItem()->text();
        QTest::keyClick(focus, Qt::Key_Down);
        QTest::keyClick(focus, Qt::Key_Return);
    });
    Frame()->RouteCommand(Cmd::OrganizeBookmarks);
    EXPECT_EQ(focused, QStringLiteral("BookmarkList/beta"));
    EXPECT_EQ(Frame()->Document()->PathName(), other);
    EXPECT_EQ(ReadingView()->CurrentCharOffset(), 3000);
    EXPECT_TRUE(m_sink.Messages().isEmpty());
}
