// CMainFrame: the command actions and what shows them: the menu bar, the context menus, the recent
// files, the toolbar and the status bar.
#include "app/mainframe.h"

#include "app/conversionmenu.h"
#include "app/encodingmenu.h"
#include "app/historycommand.h"
#include "app/leafturnerapp.h"
#include "images/builtinpicturetable.h"
#include "ui/commandids.h"
#include "ui/coolmenumanager.h"
#include "ui/toolbarex.h"
#include "ui/toolbarresource.h"

#include <QAction>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

QAction* CMainFrame::MakeAction(int id, const QString& text, const QKeySequence& key)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    if (!key.isEmpty())
        action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    m_actions.insert(id, action);
    addAction(action); // shortcuts work while the menu bar is hidden too
    return action;
}

void CMainFrame::CreateActions()
{
    using namespace Cmd;
    MakeAction(FileOpen, QStringLiteral("打开(&O)..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    MakeAction(FileSave, QStringLiteral("保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
    MakeAction(FileSaveAs, QStringLiteral("另存为(&A)..."));
    MakeAction(AppExit, QStringLiteral("退出(&X)"));
    MakeAction(EditUndo, QStringLiteral("撤消(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    MakeAction(EditRedo, QStringLiteral("重做(&R)"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    MakeAction(EditCut, QStringLiteral("剪切(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X));
    MakeAction(EditCopy, QStringLiteral("复制(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
    MakeAction(EditPaste, QStringLiteral("粘贴(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
    MakeAction(EditClear, QStringLiteral("删除(&D)"), QKeySequence(Qt::Key_Delete));
    MakeAction(EditFind, QStringLiteral("查找(&F)..."), QKeySequence(Qt::CTRL | Qt::Key_F));
    MakeAction(EditReplace, QStringLiteral("替换(&E)"), QKeySequence(Qt::CTRL | Qt::Key_R));
    MakeAction(EditRepeat, QStringLiteral("查找下一个(&I)"), QKeySequence(Qt::Key_F3));
    MakeAction(Reformat, QStringLiteral("排版..."));
    MakeAction(RepairGarbled, QStringLiteral("破除乱码"));
    MakeAction(ConvertWholeText, QStringLiteral("转换全文"));
    MakeAction(EditMode, QStringLiteral("编辑模式"), QKeySequence(Qt::CTRL | Qt::Key_E))->setCheckable(true);
    // Page keys belong to the reading view (the edit view uses them itself): shown, not bound.
    MakeAction(FirstPage, QStringLiteral("第一页(&F)\tHome"));
    MakeAction(PrevPage, QStringLiteral("上一页(&R)\tPgUp"));
    MakeAction(NextPage, QStringLiteral("下一页(&N)\tPgDn"));
    MakeAction(LastPage, QStringLiteral("最末页(&L)\tEnd"));
    MakeAction(GoToPage, QStringLiteral("指定页(&P)..."));
    MakeAction(Back, QStringLiteral("后退(&V)\tCtrl+←"));
    MakeAction(Forward, QStringLiteral("前进(&E)\tCtrl+→"));
    MakeAction(AddBookmark, QStringLiteral("加入书签..."), QKeySequence(Qt::CTRL | Qt::Key_B));
    MakeAction(OrganizeBookmarks, QStringLiteral("整理书签..."), QKeySequence(Qt::CTRL | Qt::Key_G));
    MakeAction(ViewToolbar, QStringLiteral("工具栏(&T)"))->setCheckable(true);
    MakeAction(ViewStatusBar, QStringLiteral("状态栏(&S)"))->setCheckable(true);
    MakeAction(ChapterList, QStringLiteral("章节列表"), QKeySequence(Qt::CTRL | Qt::Key_P))
        ->setCheckable(true);
    MakeAction(FileList, QStringLiteral("文件列表"), QKeySequence(Qt::CTRL | Qt::Key_W))->setCheckable(true);
    MakeAction(Vertical, QStringLiteral("竖排显示"))->setCheckable(true);
    MakeAction(DisplaySettings, QStringLiteral("显示设置..."), QKeySequence(Qt::CTRL | Qt::Key_T));
    MakeAction(FileNameInTitle, QStringLiteral("标题栏显示文件名"))->setCheckable(true);
    MakeAction(CustomizeToolbar, QStringLiteral("自定义工具栏..."));
    MakeAction(RestoreAtStartup, QStringLiteral("启动时自动恢复现场(&S)"))->setCheckable(true);
    MakeAction(DefaultBookshelf, QStringLiteral("缺省书架"), QKeySequence(Qt::CTRL | Qt::Key_H));
    MakeAction(LibraryManager, QStringLiteral("书库管理..."));
    MakeAction(LocateFolder, QStringLiteral("文件夹定位"));
    MakeAction(History, QStringLiteral("阅读记录")); // reading history
    MakeAction(Help, QStringLiteral("使用说明"), QKeySequence(Qt::Key_F1));
    MakeAction(AppAbout, QStringLiteral("关于 Leafturner(&A)..."));
    MakeAction(HideToTray, QStringLiteral("隐藏到通知区域"), QKeySequence(Qt::Key_Escape));
    for (int i = 0; i < 12; ++i) {
        QAction* a = MakeAction(FileMruFirst + i, QString());
        a->setVisible(false);
    }
}

void CMainFrame::CreateMenus()
{
    using namespace Cmd;
    auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(m_actions.value(id));
        }
    };
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("文件(&F)"));
    add(file, {FileOpen, FileSave, FileSaveAs, 0, History});
    m_encodingMenu = new EncodingMenu(this);
    file->addMenu(m_encodingMenu->Menu());
    file->addSeparator();
    m_recentMenu = file->addMenu(QStringLiteral("最近文件"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateRecentFiles); // fresh percents
    for (int i = 0; i < 12; ++i)
        m_recentMenu->addAction(m_actions.value(FileMruFirst + i));
    add(file, {0, AppExit});

    QMenu* edit = bar->addMenu(QStringLiteral("编辑(&E)"));
    add(edit, {EditUndo, EditRedo, 0, EditCut, EditCopy, EditPaste, EditClear, 0, EditFind, EditReplace,
               EditRepeat, 0, Reformat, RepairGarbled, ConvertWholeText, 0, EditMode});

    QMenu* go = bar->addMenu(QStringLiteral("翻页(&G)"));
    add(go, {FirstPage, PrevPage, NextPage, LastPage, 0, GoToPage, 0, Back, Forward});

    QMenu* marks = bar->addMenu(QStringLiteral("书签(&B)"));
    add(marks, {AddBookmark, OrganizeBookmarks});

    QMenu* view = bar->addMenu(QStringLiteral("查看(&V)"));
    add(view, {ViewToolbar, ViewStatusBar, 0, ChapterList, FileList, 0, Vertical});
    m_conversionMenu = new ConversionMenu(this);
    view->addMenu(m_conversionMenu->Menu());
    add(view, {DisplaySettings, 0, FileNameInTitle, CustomizeToolbar});

    QMenu* library = bar->addMenu(QStringLiteral("书库(&L)"));
    add(library, {DefaultBookshelf, LibraryManager, LocateFolder});

    QMenu* options = bar->addMenu(QStringLiteral("选项(&O)"));
    add(options, {RestoreAtStartup});

    QMenu* help = bar->addMenu(QStringLiteral("帮助(&H)"));
    add(help, {Help, 0, AppAbout});

    for (QMenu* m : {file, edit, go, marks, view, library, options, help})
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);

    // Context menus of the reading view (160) and the edit view (159).
    auto* reading = new QMenu(this);
    add(reading, {PrevPage, NextPage, FirstPage, LastPage, GoToPage, 0, Back, Forward, 0, AddBookmark,
                  ChapterList, 0, Vertical, DisplaySettings, 0, EditMode});
    reading->addSeparator();
    reading->addMenu(m_encodingMenu->Menu());
    reading->addMenu(m_conversionMenu->Menu());
    m_contextMenus.insert(160, reading);
    auto* editing = new QMenu(this);
    add(editing,
        {EditUndo, EditRedo, 0, EditCut, EditCopy, EditPaste, EditClear, 0, EditFind, EditReplace, EditRepeat,
         0, Reformat, RepairGarbled, ConvertWholeText, GoToPage, AddBookmark, 0, EditMode});
    m_contextMenus.insert(159, editing);
    for (QMenu* m : {reading, editing})
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

QMenu* CMainFrame::ContextMenu(int menuId) const
{
    return m_contextMenus.value(menuId);
}

void CMainFrame::CreateStatusBar()
{
    m_indicator = new QLabel(this);
    m_indicator->setObjectName(QStringLiteral("StatusIndicator"));
    m_indicator->setAlignment(Qt::AlignCenter);
    m_indicator->setMinimumWidth(
        m_indicator->fontMetrics().horizontalAdvance(QStringLiteral("99999/99999, 100.00%")) + 12);
    statusBar()->addPermanentWidget(m_encodingMenu->Pane());
    statusBar()->addPermanentWidget(m_indicator);
    statusBar()->showMessage(QStringLiteral("就绪"));
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = new CToolBarEx(QStringLiteral("工具栏"), this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    m_toolBar->LoadToolBar(
        MainToolbarResource(), [this](int id) { return Action(id); }, kToolbarBitmap.resource);
    m_toolBar->SetBitmapResource(kIconStrip.resource);
    // Not on the toolbar at first; the customize dialog offers it (with the bookmark list's icon).
    static const ToolbarButton kHistoryButton{.imageIndex = 19,
                                              .commandId = Cmd::History,
                                              .style = ToolbarBits::StyleAutoSize,
                                              .label = QStringLiteral("阅读记录")};
    m_toolBar->BuildButtonTable({&kHistoryButton, 1});
    m_toolBar->MarkDefaultButtons();
    m_toolBar->LoadToolbarState();
    m_menuManager = new CCoolMenuManager(this);
    m_menuManager->AttachToFrame(this);
    m_menuManager->LoadMenuIcons(MainToolbarResource(), kMainToolbarButtonWidth, kMainToolbarButtonHeight,
                                 kIconStrip.resource);
}

QMenu* CMainFrame::createPopupMenu()
{
    return m_toolBar ? m_toolBar->CreateBarsMenu(this) : nullptr;
}

void CMainFrame::UpdateRecentFiles()
{
    const QStringList recent = m_app ? m_app->RecentFiles() : QStringList();
    for (int i = 0; i < 12; ++i) {
        QAction* a = m_actions.value(Cmd::FileMruFirst + i);
        if (i < recent.size()) {
            // '&' in a name is shown, not taken as a mnemonic; items 1-10 have a digit as theirs.
            QString name = QFileInfo(recent[i]).fileName();
            name.replace(u'&', QStringLiteral("&&"));
            const QString number = i < 9    ? QStringLiteral("&%1").arg(i + 1)
                                   : i == 9 ? QStringLiteral("1&0")
                                            : QString::number(i + 1);
            a->setText(number + u' ' + name);
            // Reading history: how far the book is read, in the shortcut column.
            const QString progress =
                m_app && m_app->History() ? m_app->History()->ProgressText(recent[i]) : QString();
            if (!progress.isEmpty())
                a->setText(a->text() + u'\t' + progress);
            a->setToolTip(recent[i]);
            a->setVisible(true);
        } else {
            a->setVisible(false);
        }
    }
    m_recentMenu->setEnabled(!recent.isEmpty());
}
