// CMainFrame: construction, command routing, the view and its switching, the status indicator, the
// title and closing.
#include "app/mainframe.h"

#include "app/conversionmenu.h"
#include "app/encodingmenu.h"
#include "app/leafturnerapp.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "library/organizebookmarksdialog.h"
#include "reformat/reformatcommands.h"
#include "settings/parablock.h"
#include "settings/readingposition.h"
#include "ui/commandids.h"
#include "ui/toolbarex.h"
#include "views/viewfactory.h"

#include <QAction>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>

namespace {

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/leafturner-%1.png").arg(size), QSize(size, size));
    return icon;
}

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
