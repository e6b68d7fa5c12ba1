// CFileListCommand: creating and toggling the file list pane, the bookshelf commands.
#include "app/filelistcommand.h"

#include "library/bookshelflist.h"
#include "library/librarymanagerdialog.h"
#include "ui/commandids.h"
#include "ui/dlgfilebrowse.h"
#include "ui/panehostbar.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Open only: the browser has the file selected already.
constexpr int kOpenFromBrowser = 3;

} // namespace

CFileListCommand::CFileListCommand(CMainFrame* frame) : QObject(frame), m_frame(frame)
{
    setObjectName(QStringLiteral("FileListCommand"));
    // The frame outlives this child, so nothing is unregistered on the way out.
    frame->AddCommandHandler(this);
    frame->SetFileListLink(this);
    frame->RegisterPane(QStringLiteral("Pane%1").arg(kBarId), Cmd::FileList);
}

QString CFileListCommand::InitialFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && desktop != QDir::homePath() && QFileInfo(desktop).isDir())
        return desktop;
    return QDir::homePath();
}

PaneHostBar* CFileListCommand::Bar() const
{
    return m_bar;
}

CDlgFileBrowse* CFileListCommand::Pane() const
{
    return m_pane;
}

bool CFileListCommand::IsPaneVisible() const
{
    return m_bar && !m_bar->isHidden();
}

void CFileListCommand::CreatePane()
{
    auto* bar = new PaneHostBar(m_frame, kBarId, PaneMode::FileList);
    auto* pane = new CDlgFileBrowse(InitialFolder(), bar);
    bar->SetContent(pane);
    m_bar = bar;
    m_pane = pane;
    UpdatePlaces();
    connect(pane, &CDlgFileBrowse::OpenBookRequested, this, [this](const QString& path) {
        // Posted: the selection handler returns before the book loads, as a posted message would.
        QMetaObject::invokeMethod(
            m_frame, [frame = m_frame, path] { frame->OpenOrSelectFile(path, kOpenFromBrowser); },
            Qt::QueuedConnection);
    });
    // "文件夹定位" asks the menu whether the pane shows; the close button must not leave it stale.
    connect(bar, &QDockWidget::visibilityChanged, this, &CFileListCommand::SyncCheck);
    if (!bar->TakeLaidOutPlace()) {
        m_frame->addDockWidget(Qt::LeftDockWidgetArea, bar);
        bar->show();
    }
}

void CFileListCommand::SyncCheck()
{
    if (QAction* action = m_frame->Action(Cmd::FileList))
        action->setChecked(IsPaneVisible());
}

void CFileListCommand::UpdatePlaces()
{
    if (!m_pane)
        return;
    QStringList places{QDir::homePath()};
    const QString desktop = InitialFolder();
    if (!places.contains(desktop))
        places.append(desktop);
    for (const QString& entry : BookshelfList::Instance().Entries())
        places.append(BookshelfList::WithoutMark(entry));
    m_pane->SetPlaces(places);
}

void CFileListCommand::FocusView()
{
    if (QWidget* view = m_frame->ActiveViewWidget())
        view->setFocus();
}

void CFileListCommand::TogglePane()
{
    if (m_bar)
        m_bar->setVisible(m_bar->isHidden());
    else
        CreatePane();
    SyncCheck();
    FocusView();
}

void CFileListCommand::ShowFolderInFileList(const QString& folder)
{
    if (!m_bar)
        CreatePane();
    else if (m_bar->isHidden())
        m_bar->show();
    SyncCheck();
    FocusView();
    if (m_pane && !folder.isEmpty() && QFileInfo(folder).isDir())
        m_pane->NavigateToFolder(folder);
}

void CFileListCommand::ShowFolder(const QString& folder)
{
    if (m_pane && QFileInfo(folder).isDir())
        m_pane->NavigateToFolder(folder);
}

void CFileListCommand::SelectFile(const QString& path)
{
    if (m_pane)
        m_pane->LocateFile(path);
}

bool CFileListCommand::OnCmdMsg(int id)
{
    switch (id) {
    case Cmd::FileList:
        TogglePane();
        return true;
    case Cmd::DefaultBookshelf:
        // A default bookshelf that has gone leaves the pane where it was.
        ShowFolderInFileList(BookshelfList::Instance().DefaultBookshelf());
        return true;
    case Cmd::LibraryManager:
        if (RunLibraryManagerDialog(m_frame, [this](const QString& folder) { ShowFolderInFileList(folder); }))
            UpdatePlaces();
        return true;
    default:
        return false;
    }
}

bool CFileListCommand::OnUpdateCmdUI(int id, CmdUI& ui)
{
    switch (id) {
    case Cmd::FileList:
        ui.checked = IsPaneVisible();
        return true;
    case Cmd::DefaultBookshelf:
    case Cmd::LibraryManager:
        return true;
    default:
        return false;
    }
}
