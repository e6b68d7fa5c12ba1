// CMainFrame: menus, command routing, status indicator, title, placement, tray and view switching.
#include "app/mainframe.h"
#include "app/traymenu.h"

#include "app/conversionmenu.h"
#include "app/encodingmenu.h"
#include "app/historycommand.h"
#include "app/leafturnerapp.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "images/builtinpicturetable.h"
#include "library/organizebookmarksdialog.h"
#include "reformat/reformatcommands.h"
#include "settings/inifile.h"
#include "settings/parablock.h"
#include "settings/profile.h"
#include "settings/readingposition.h"
#include "ui/commandids.h"
#include "ui/coolmenumanager.h"
#include "ui/toolbarex.h"
#include "ui/toolbarresource.h"
#include "views/viewfactory.h"

#include <QAction>
#include <QCloseEvent>
#include <QDataStream>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <QtEndian>

namespace {

const QString kTitle = QStringLiteral("Leafturner");
const QString kBarSection = QStringLiteral("BarSec");
constexpr int kBarStateVersion = 1;

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/leafturner-%1.png").arg(size), QSize(size, size));
    return icon;
}

// Windows' WINDOWPLACEMENT record, kept as 44 bytes so the stored value stays what it always was.
struct Placement
{
    std::int32_t length = 44;
    std::int32_t flags = 0;
    std::int32_t showCmd = 1;
    std::int32_t minX = -1, minY = -1, maxX = -1, maxY = -1;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    QByteArray Bytes() const
    {
        QByteArray b(44, '\0');
        const std::int32_t v[] = {length, flags, showCmd, minX, minY, maxX, maxY, left, top, right, bottom};
        for (int i = 0; i < 11; ++i)
            qToLittleEndian(v[i], b.data() + 4 * i);
        return b;
    }
    static bool FromBytes(const QByteArray& b, Placement& p)
    {
        if (b.size() < 44 || qFromLittleEndian<std::int32_t>(b.constData()) != 44)
            return false;
        std::int32_t v[11];
        for (int i = 0; i < 11; ++i)
            v[i] = qFromLittleEndian<std::int32_t>(b.constData() + 4 * i);
        p = Placement{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]};
        return true;
    }
};

enum
{
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_RESTORE = 9,
    SW_FORCEMINIMIZE = 11
};

} // namespace

CMainFrame::CMainFrame(CLeafturnerApp* app, CLeafturnerDoc* document) : m_app(app), m_document(document)
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(kTitle);
    setMinimumSize(300, 400);
    setAcceptDrops(true);
    m_document->SetHost(this);
    CreateActions();
    CreateMenus();
    CreateStatusBar();
    CreateToolBar();
    setWindowIcon(AppIcon());
    m_updateTimer = new QTimer(this);
    m_updateTimer->setInterval(150);
    connect(m_updateTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    m_updateTimer->start();
    // The edit view's reformat reloads the book on screen to throw its edits away.
    InstallReformatCommands(
        {[](const QString& path) { return TheApp() && TheApp()->ReloadDocumentFile(path); },
         [] {
             if (TheApp() && TheApp()->MainFrame())
                 TheApp()->MainFrame()->ChapterPaneRefresh();
         }});
}

CMainFrame::~CMainFrame()
{
    if (m_document)
        m_document->SetHost(nullptr);
}

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

bool CMainFrame::LoadBarState()
{
    IniFile ini(SettingsFilePath());
    const QByteArray state = ini.ReadBinary(kBarSection, QStringLiteral("State"));
    if (state.isEmpty())
        return false;
    // A layout that names a bar which does not exist now is ignored as a whole.
    const QStringList names =
        ini.ReadString(kBarSection, QStringLiteral("Bars")).split(u',', Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (!m_paneCommands.contains(name) && !findChild<QToolBar*>(name, Qt::FindDirectChildrenOnly) &&
            !findChild<QDockWidget*>(name, Qt::FindDirectChildrenOnly))
            return false;
    }
    return restoreState(state, kBarStateVersion);
}

void CMainFrame::SaveBarState()
{
    QStringList names;
    const auto toolbars = findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
    for (const QToolBar* t : toolbars)
        names.append(t->objectName());
    QStringList open;
    const auto docks = findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly);
    for (const QDockWidget* d : docks) {
        names.append(d->objectName());
        if (!d->isHidden() && !d->objectName().isEmpty())
            open.append(d->objectName());
    }
    names.removeAll(QString());
    IniFile ini(SettingsFilePath());
    ini.WriteBinary(kBarSection, QStringLiteral("State"), saveState(kBarStateVersion));
    ini.WriteString(kBarSection, QStringLiteral("Bars"), names.join(u','));
    ini.WriteString(kBarSection, QStringLiteral("Open"), open.join(u','));
}

void CMainFrame::ReopenPanes()
{
    const QStringList open = IniFile(SettingsFilePath())
                                 .ReadString(kBarSection, QStringLiteral("Open"))
                                 .split(u',', Qt::SkipEmptyParts);
    for (const QString& name : open) {
        const auto command = m_paneCommands.constFind(name);
        if (command == m_paneCommands.cend())
            continue;
        const auto* dock = findChild<QDockWidget*>(name, Qt::FindDirectChildrenOnly);
        if (!dock || dock->isHidden())
            RouteCommand(*command);
    }
}

void CMainFrame::OpenOrSelectFile(const QString& path, int kind)
{
    if (m_openingFile)
        return;
    m_openingFile = true;
    if (kind == 1) {
        if (m_fileListLink)
            m_fileListLink->SelectFile(path);
    } else {
        if (m_app)
            m_app->OpenDocumentFile(path);
        if (kind != 3 && m_fileListLink)
            m_fileListLink->SelectFile(path);
    }
    m_openingFile = false;
}

void CMainFrame::RouteCommand(int id)
{
    if (m_view && m_view->OnCmdMsg(id))
        return;
    if (m_document && m_document->OnCmdMsg(id))
        return;
    if (OnCmdMsg(id))
        return;
    for (CCmdTarget* t : std::as_const(m_extraTargets))
        if (t->OnCmdMsg(id))
            return;
    if (m_app)
        m_app->OnCmdMsg(id);
}

void CMainFrame::UpdateCommandUI()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const int id = it.key();
        if (id >= Cmd::FileMruFirst && id <= Cmd::FileMruLast)
            continue;
        CmdUI ui;
        bool handled = (m_view && m_view->OnUpdateCmdUI(id, ui)) ||
                       (m_document && m_document->OnUpdateCmdUI(id, ui)) || OnUpdateCmdUI(id, ui);
        for (qsizetype i = 0; !handled && i < m_extraTargets.size(); ++i)
            handled = m_extraTargets[i]->OnUpdateCmdUI(id, ui);
        if (!handled && m_app)
            handled = m_app->OnUpdateCmdUI(id, ui);
        QAction* a = it.value();
        // A command nobody handles is unavailable.
        a->setEnabled(handled && ui.enabled);
        if (a->isCheckable())
            a->setChecked(handled && ui.checked);
    }
    UpdateIndicator();
    m_encodingMenu->Refresh(m_document);
    m_conversionMenu->Refresh(m_document);
}

void CMainFrame::PostCommand(int id)
{
    QMetaObject::invokeMethod(
        this, [this, id] { RouteCommand(id); }, Qt::QueuedConnection);
}

void CMainFrame::ShowContextMenu(int menuId, const QPoint& globalPos)
{
    if (QMenu* menu = ContextMenu(menuId)) {
        UpdateCommandUI();
        menu->exec(globalPos);
    }
}

bool CMainFrame::InstallView(bool editView)
{
    CMyView* view = nullptr;
    QWidget* widget = CreateViewWidget(editView, m_document, this, this, &view);
    if (!widget || !view)
        return false;
    QWidget* old = m_viewWidget;
    if (old)
        takeCentralWidget();
    setCentralWidget(widget);
    m_viewWidget = widget;
    m_view = view;
    if (old)
        old->deleteLater();
    return true;
}

void CMainFrame::CreateInitialView()
{
    if (!InstallView(ParaGetInt(PARA_VIEW_MODE) == 1))
        InstallView(false);
}

void CMainFrame::InitialUpdateView()
{
    if (m_view)
        m_view->OnInitialUpdate();
    UpdateTitle();
    UpdateIndicator();
}

bool CMainFrame::SwitchView(bool toEditView)
{
    if (!m_view)
        return false;
    FlushReadingPosition();
    const std::int32_t offset = m_view->OffsetUnderMouse();
    QWidget* oldWidget = m_viewWidget;
    CMyView* view = nullptr;
    QWidget* widget = CreateViewWidget(toEditView, m_document, this, this, &view);
    if (!widget || !view)
        return false;
    ChapterPaneClear();
    takeCentralWidget();
    setCentralWidget(widget);
    m_viewWidget = widget;
    m_view = view;
    // The new view lays out its book for the old one's place, not for a default size first.
    if (oldWidget)
        widget->setGeometry(oldWidget->geometry());
    widget->show();
    m_view->OnInitialUpdate();
    m_view->GoToOffset(offset);
    widget->setFocus();
    if (oldWidget)
        oldWidget->deleteLater();
    ChapterPaneRefresh();
    UpdateCommandUI();
    FlushReadingPosition();
    return true;
}

void CMainFrame::ChapterPaneClear()
{
    for (const auto& hook : m_bookClearHooks)
        hook();
    if (m_chapterLink)
        m_chapterLink->Clear();
}

void CMainFrame::ChapterPaneRefresh()
{
    if (m_chapterLink)
        m_chapterLink->Refresh();
}

QString CMainFrame::AskSaveAsPath(const QString& currentPath)
{
    return QFileDialog::getSaveFileName(this, QStringLiteral("另存为"), currentPath,
                                        QStringLiteral("Supported Files (*.txt);;All Files(*.*)"));
}

void CMainFrame::DocumentPathChanged(const QString& path)
{
    if (m_app)
        m_app->AddToRecentFiles(path);
}

void CMainFrame::LocateInFileList(const QString& path)
{
    // The file list pane shows itself first when it is hidden.
    if (Action(Cmd::FileList) && !Action(Cmd::FileList)->isChecked())
        RouteCommand(Cmd::FileList);
    if (m_fileListLink)
        m_fileListLink->SelectFile(path);
}

void CMainFrame::PushStatusText(CMyView* view)
{
    if (!view)
        return;
    const QString text = view->FormatStatusText();
    if (text != m_lastIndicator) {
        m_lastIndicator = text;
        m_indicator->setText(text);
    }
}

void CMainFrame::UpdateIndicator()
{
    const QString text =
        (m_view && m_document && m_document->HasText()) ? m_view->FormatStatusText() : QString();
    if (text != m_lastIndicator) {
        m_lastIndicator = text;
        m_indicator->setText(text);
    }
}

void CMainFrame::UpdateTitle()
{
    QString title = kTitle;
    if (ParaGetInt(PARA_SHOW_BOOK_NAME) != 0 && m_document && m_document->HasText())
        title += QStringLiteral(" - ") + m_document->Title();
    setWindowTitle(title);
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

bool CMainFrame::OnCmdMsg(int id)
{
    switch (id) {
    case Cmd::FileNameInTitle:
        ParaSetInt(ParaGetInt(PARA_SHOW_BOOK_NAME) ? 0 : 1, PARA_SHOW_BOOK_NAME);
        UpdateTitle();
        return true;
    case Cmd::RestoreAtStartup:
        ParaSetInt(ParaGetInt(PARA_SAVE_RST) ? 0 : 1, PARA_SAVE_RST);
        return true;
    case Cmd::HideToTray:
        HideWindowToTray();
        return true;
    case Cmd::ViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        return true;
    case Cmd::ViewToolbar:
        m_toolBar->setVisible(!m_toolBar->isVisible());
        return true;
    case Cmd::CustomizeToolbar:
        m_toolBar->Customize();
        return true;
    case Cmd::OrganizeBookmarks:
        if (const auto name =
                RunOrganizeBookmarksDialog(this, m_document ? m_document->PathName() : QString());
            name && m_app)
            m_app->OpenBookmark(*name);
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnUpdateCmdUI(int id, CmdUI& ui)
{
    switch (id) {
    case Cmd::FileNameInTitle:
        ui.checked = ParaGetInt(PARA_SHOW_BOOK_NAME) != 0;
        return true;
    case Cmd::RestoreAtStartup:
        ui.checked = ParaGetInt(PARA_SAVE_RST) != 0;
        return true;
    case Cmd::HideToTray:
    case Cmd::OrganizeBookmarks:
        return true;
    case Cmd::ViewStatusBar:
        ui.checked = statusBar()->isVisible();
        return true;
    case Cmd::ViewToolbar:
        ui.checked = m_toolBar->isVisible();
        return true;
    case Cmd::CustomizeToolbar:
        return true;
    default:
        return false;
    }
}

void CMainFrame::HideWindowToTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return; // the icon cannot be added: stay visible
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(windowIcon(), this);
        m_tray->setToolTip(kTitle);
        AttachTrayMenu(m_tray, this);
    }
    m_tray->show();
    if (!m_tray->isVisible())
        return;
    hide();
}

void CMainFrame::ShowFromTray()
{
    show();
    raise();
    activateWindow();
    if (m_tray)
        m_tray->hide();
}

void CMainFrame::RestorePlacement()
{
    const QByteArray bytes =
        IniFile(SettingsFilePath())
            .ReadBinary(QStringLiteral("WindowState"), QStringLiteral("WindowPlacement"));
    Placement p;
    if (!Placement::FromBytes(bytes, p)) {
        // Also fill the screen where no window manager honours the maximised state.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            setGeometry(screen->availableGeometry());
        setWindowState(Qt::WindowMaximized);
        return;
    }
    QRect normal(p.left, p.top, p.right - p.left, p.bottom - p.top);
    // Keep the window reachable when the screens changed since.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableVirtualGeometry();
        if (!avail.intersects(normal) || normal.width() < 300 || normal.height() < 400)
            normal = QRect(avail.topLeft() + QPoint(40, 40),
                           QSize(std::min(avail.width() - 80, 1200), std::min(avail.height() - 80, 800)));
    }
    setGeometry(normal);
    switch (p.showCmd) {
    case SW_SHOWMAXIMIZED:
        setWindowState(Qt::WindowMaximized);
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
    case SW_RESTORE:
    default:
        setWindowState(Qt::WindowNoState);
        break;
    }
}

void CMainFrame::SavePlacement()
{
    Placement p;
    const QRect normal = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    p.showCmd = isMinimized() ? SW_SHOWMINIMIZED : isMaximized() ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    IniFile(SettingsFilePath())
        .WriteBinary(QStringLiteral("WindowState"), QStringLiteral("WindowPlacement"), p.Bytes());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_document && !m_document->SaveModified(false)) {
        event->ignore();
        return;
    }
    // Panes first (they save their own state and stop their workers), then the bars and placement.
    for (const auto& hook : m_closeHooks)
        hook();
    SaveBarState();
    SavePlacement();
    if (m_tray)
        m_tray->hide();
    event->accept();
    if (m_workerWaits.empty())
        return;
    hide();
    QElapsedTimer clock;
    clock.start();
    for (const auto& wait : m_workerWaits)
        wait(static_cast<int>(std::max<qint64>(0, kWorkerWaitMs - clock.elapsed())));
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            activateWindow();
            if (m_app)
                m_app->OpenDocumentFile(url.toLocalFile());
            return;
        }
    }
}
