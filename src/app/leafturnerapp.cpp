// CLeafturnerApp: start-up order, the open-document operation, recent files, Open, Help and About.
#include "app/leafturnerapp.h"

#include "app/aboutdialog.h"
#include "app/autoturn.h"
#include "app/chapterpanecommand.h"
#include "app/filelistcommand.h"
#include "app/firstpaintreport.h"
#include "app/fullscreen.h"
#include "app/historycommand.h"
#include "app/mainframe.h"
#include "app/searchpanecommand.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "layout/bookbackground.h"
#include "layout/layoutengine.h"
#include "layout/textmetrics.h"
#include "library/bookmarkfile.h"
#include "library/bookshelflist.h"
#include "library/organizebookmarksdialog.h"
#include "settings/inifile.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "settings/profile.h"
#include "settings/readingposition.h"
#include "ui/commandids.h"
#include "views/leafturnerview.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace {
CLeafturnerApp* g_app = nullptr;
const QString kRecentSection = QStringLiteral("Recent File List");
constexpr int kRecentCount = 12;
} // namespace

CLeafturnerApp* TheApp()
{
    return g_app;
}

CLeafturnerApp::CLeafturnerApp()
{
    g_app = this;
}

CLeafturnerApp::~CLeafturnerApp()
{
    m_frame.reset();
    m_document.reset();
    if (g_app == this)
        g_app = nullptr;
}

bool CLeafturnerApp::InitInstance(const QStringList& args)
{
    // Settings, side files and the profile folder were set up by InitCore before this point;
    // here come the bookshelves, the process-wide pictures and fonts, the window, the command line
    // and the restore.
    BookshelfList::Instance().Load(BookshelfFilePath());
    LoadBookPictures();
    RebuildTextMetrics();
    InstallLayoutEngine();
    LoadRecentFiles();

    m_document = std::make_unique<CLeafturnerDoc>();
    m_frame = std::make_unique<CMainFrame>(this, m_document.get());
    new CChapterPaneCommand(m_frame.get()); // a child of the frame
    new CFileListCommand(m_frame.get());    // a child of the frame
    new CSearchPaneCommand(m_frame.get());  // a child of the frame
    new CFullScreenCommand(m_frame.get());  // a child of the frame
    new CAutoTurnCommand(m_frame.get());    // a child of the frame
    // Reading history: a child of the frame too; the organise dialog finds moved books through it.
    m_history = new CHistoryCommand(m_frame.get(), this);
    SetMovedBookFinder(
        [this](const QString& missing) { return m_history ? m_history->FindMovedBook(missing) : QString(); });
    // After the panes registered: a layout naming them is theirs to take when they are built.
    m_frame->LoadBarState();
    m_frame->CreateInitialView();
    m_frame->UpdateRecentFiles();
    if (ExitAfterFirstPaintRequested()) {
        if (auto* reading = qobject_cast<CLeafturnerView*>(m_frame->ActiveViewWidget()))
            QObject::connect(reading, &CLeafturnerView::PagePainted, reading, &ReportFirstPaintAndExit,
                             Qt::SingleShotConnection);
    }

    QString file;
    for (const QString& a : args) {
        if (!a.startsWith(u"--")) {
            file = a;
            break;
        }
    }
    m_frame->RestorePlacement();
    m_frame->show();
    if (!file.isEmpty()) {
        // A named file that cannot be opened ends start-up, as the command line asked for it.
        if (!OpenDocumentFile(file))
            return false;
    } else {
        m_document->OnNewDocument();
        m_frame->InitialUpdateView();
        RestoreLastBook();
        if (!m_document->Buffer() && ParaGetString(PARA_LAST_PATH).isEmpty() && !m_firstRunBook.isEmpty() &&
            QFileInfo(m_firstRunBook).isFile())
            OpenDocumentFile(m_firstRunBook);
    }
    m_frame->ReopenPanes();
    m_frame->UpdateCommandUI();
    return true;
}

CHistoryCommand* CLeafturnerApp::History() const
{
    return m_history;
}

void CLeafturnerApp::ExitInstance()
{
    FlushReadingPosition();
    if (m_history) // reading history
        m_history->BookLeaving();
    SetMovedBookFinder({});
}

void CLeafturnerApp::RestoreLastBook()
{
    if (ParaGetInt(PARA_SAVE_RST) == 0)
        return;
    const QString last = ParaGetString(PARA_LAST_PATH);
    if (last.isEmpty() || !QFileInfo::exists(last))
        return;
    LoadAt(last, ParaGetInt(PARA_LAST_POS));
}

bool CLeafturnerApp::IsOpenBook(const QString& path) const
{
    if (!m_document || !m_document->Buffer() || path.isEmpty())
        return false;
    const QString open = QFileInfo(m_document->PathName()).canonicalFilePath();
    return !open.isEmpty() && QFileInfo(path).canonicalFilePath() == open;
}

bool CLeafturnerApp::OpenDocumentFile(const QString& path)
{
    if (!m_document || !m_frame)
        return false;
    // The book on screen is only brought forward: its place and history stay.
    if (IsOpenBook(path)) {
        AddToRecentFiles(m_document->PathName());
        if (QWidget* widget = m_frame->ActiveViewWidget())
            widget->setFocus();
        return true;
    }
    return LoadAt(path, std::nullopt);
}

bool CLeafturnerApp::ReloadDocumentFile(const QString& path)
{
    return LoadAt(path, std::nullopt);
}

bool CLeafturnerApp::LoadAt(const QString& path, std::optional<std::int32_t> position)
{
    if (!m_document || !m_frame)
        return false;
    // Refused before the save question: answering it for a file that cannot be read would be for nothing.
    if (!CLeafturnerDoc::IsOpenable(path)) {
        ShowMessage(MsgOpenFailed(), MsgIcon::Warning);
        return false;
    }
    const bool hadEdits = m_document->IsModified();
    if (!m_document->SaveModified())
        return false;
    if (m_history) // reading history: the book being left
        m_history->BookLeaving();
    if (!m_document->OnOpenDocument(path)) {
        // The book that was open stays; edits the user chose to drop leave the view.
        if (hadEdits && !m_document->IsModified())
            m_frame->InitialUpdateView();
        m_frame->UpdateCommandUI();
        return false;
    }
    m_frame->InitialUpdateView();
    // Shown at its place at once, and that place recorded: the previous book's no longer stands.
    if (CMyView* view = m_frame->ActiveView())
        view->GoToOffset(position.value_or(0));
    // Reading history: without a place of the route's own, where this book was left.
    if (m_history)
        m_history->BookOpened(position.has_value());
    if (m_document->Buffer())
        AddToRecentFiles(m_document->PathName());
    m_frame->ChapterPaneRefresh();
    m_frame->UpdateCommandUI();
    return true;
}

bool CLeafturnerApp::OpenBookmark(const QString& name)
{
    BookmarkEntry mark = BookmarkFile::Default().Read(name);
    if (!mark.path.isEmpty() && !QFileInfo::exists(mark.path) && m_history) // reading history
        mark.path = m_history->RelocateBookmark(name, mark.path, mark.position);
    if (mark.path.isEmpty() || !QFileInfo::exists(mark.path))
        return false;
    if (IsOpenBook(mark.path)) {
        if (CMyView* view = m_frame->ActiveView())
            view->GoToOffset(mark.position);
    } else if (!LoadAt(mark.path, mark.position)) {
        return false;
    }
    if (QWidget* widget = m_frame->ActiveViewWidget())
        widget->setFocus();
    return true;
}

void CLeafturnerApp::LoadRecentFiles()
{
    m_recent.clear();
    const IniDocument doc = IniFile(SettingsFilePath()).Load();
    for (int i = 1; i <= kRecentCount; ++i) {
        const QString path = doc.Value(kRecentSection, QStringLiteral("File%1").arg(i)).value_or(QString());
        if (!path.isEmpty() && !m_recent.contains(path))
            m_recent.append(path);
    }
}

void CLeafturnerApp::SaveRecentFiles()
{
    IniFile ini(SettingsFilePath());
    for (int i = 0; i < kRecentCount; ++i) {
        const QString key = QStringLiteral("File%1").arg(i + 1);
        if (i < m_recent.size())
            ini.WriteString(kRecentSection, key, m_recent[i]);
        else
            ini.DeleteKey(kRecentSection, key);
    }
}

void CLeafturnerApp::AddToRecentFiles(const QString& path)
{
    if (path.isEmpty())
        return;
    m_recent.removeAll(path);
    m_recent.prepend(path);
    while (m_recent.size() > kRecentCount)
        m_recent.removeLast();
    SaveRecentFiles();
    if (m_frame)
        m_frame->UpdateRecentFiles();
}

bool CLeafturnerApp::CheckChosenPath(const QString& path, bool mustExist)
{
    // Linux names may hold any character but NUL ('?' included).
    if (path.contains(QChar(0))) {
        ShowMessage(QStringLiteral("指定的文件不存在或文件名异常。"), MsgIcon::Warning);
        return false;
    }
    // Something there that is not a book file is refused by the open itself.
    if (mustExist && !QFileInfo::exists(path)) {
        ShowMessage(QStringLiteral("指定的文件不存在或文件名异常。"), MsgIcon::Warning);
        return false;
    }
    return true;
}

QString CLeafturnerApp::AskOpenPath(QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("选择文件"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Supported Files (*.txt)"), QStringLiteral("All Files(*.*) (*)")});
    // The classic dialog when the newer one is turned off.
    if (ParaGetInt(PARA_VISTA_STYLE) == 0)
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const QString last = ParaGetString(PARA_LAST_PATH);
    if (!last.isEmpty())
        dialog.setDirectory(QFileInfo(last).absolutePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    return CheckChosenPath(path, true) ? path : QString();
}

QString CLeafturnerApp::DataFilePath(const QString& relative)
{
    const QDir exeDir(QCoreApplication::applicationDirPath());
    QStringList candidates{exeDir.filePath(relative)};
    candidates += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                            QStringLiteral("leafturner/") + relative);
    candidates += exeDir.filePath(QStringLiteral("../share/leafturner/") + relative);
#ifdef LT_SOURCE_RESOURCE_DIR
    candidates += QDir(QStringLiteral(LT_SOURCE_RESOURCE_DIR)).filePath(relative);
#endif
    for (const QString& p : candidates) {
        if (QFileInfo(p).isFile())
            return QFileInfo(p).absoluteFilePath();
    }
    return {};
}

QString CLeafturnerApp::HelpFilePath()
{
    const QString found = DataFilePath(QStringLiteral("Leafturner.htm"));
    return found.isEmpty()
               ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Leafturner.htm"))
               : found;
}

void CLeafturnerApp::ShowHelp()
{
    const QString path = HelpFilePath();
    if (!QFileInfo::exists(path)) {
        ShowMessage(QStringLiteral("抱歉，找不到帮助文件。\n请下载完整的ZIP文件。"), MsgIcon::Warning);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CLeafturnerApp::ShowAbout()
{
    CAboutDlg dialog(m_frame.get());
    dialog.exec();
}

bool CLeafturnerApp::OnCmdMsg(int id)
{
    if (id >= Cmd::FileMruFirst && id <= Cmd::FileMruLast) {
        const int i = id - Cmd::FileMruFirst;
        if (i < m_recent.size()) {
            const QString path = m_recent[i];
            if (!QFileInfo::exists(path)) {
                // A vanished file leaves the list.
                ShowMessage(QStringLiteral("指定的文件不存在或文件名异常。"), MsgIcon::Warning);
                m_recent.removeAt(i);
                SaveRecentFiles();
                m_frame->UpdateRecentFiles();
            } else {
                OpenDocumentFile(path);
            }
        }
        return true;
    }
    switch (id) {
    case Cmd::FileOpen: {
        const QString path = AskOpenPath(m_frame.get());
        if (!path.isEmpty())
            OpenDocumentFile(path);
        return true;
    }
    case Cmd::Help:
        ShowHelp();
        return true;
    case Cmd::AppAbout:
        ShowAbout();
        return true;
    case Cmd::AppExit:
        if (m_frame)
            m_frame->close();
        return true;
    default:
        return false;
    }
}

bool CLeafturnerApp::OnUpdateCmdUI(int id, CmdUI& ui)
{
    (void)ui;
    switch (id) {
    case Cmd::FileOpen:
    case Cmd::Help:
    case Cmd::AppAbout:
    case Cmd::AppExit:
        return true;
    default:
        return id >= Cmd::FileMruFirst && id <= Cmd::FileMruLast;
    }
}
