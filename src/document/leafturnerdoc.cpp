// CLeafturnerDoc: opening, saving, the save prompts and the reading/edit toggle.
#include "document/leafturnerdoc.h"

#include "document/documenthost.h"
#include "document/myview.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "settings/readingposition.h"
#include "ui/commandids.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString kAskSave = QStringLiteral("文件内容已被修改，您想保存吗？");
const QString kSaveFailed = QStringLiteral("文件保存失败。");
} // namespace

CLeafturnerDoc::CLeafturnerDoc(DocumentHost* host) : m_host(host) {}

CLeafturnerDoc::~CLeafturnerDoc() = default;

CMyView* CLeafturnerDoc::ActiveView() const
{
    return m_host ? m_host->ActiveView() : nullptr;
}

bool CLeafturnerDoc::IsModified() const
{
    if (!m_buffer)
        return false;
    CMyView* view = ActiveView();
    return view && view->IsTextModified();
}

void CLeafturnerDoc::SetModifiedFlag(bool modified)
{
    if (CMyView* view = ActiveView())
        view->SetTextModified(modified);
}

void CLeafturnerDoc::DeleteContents()
{
    // The book's last place reaches the file before another book's path can.
    FlushReadingPosition();
    m_buffer.reset();
}

void CLeafturnerDoc::OnNewDocument()
{
    DeleteContents();
    m_path.clear();
    m_title.clear();
}

bool CLeafturnerDoc::OnOpenDocument(const QString& path)
{
    DeleteContents();
    if (m_host)
        m_host->ChapterPaneClear();
    const QFileInfo info(path);
    const QString full = info.absoluteFilePath();
    QFile probe(full);
    if (info.isDir() || !probe.open(QIODevice::ReadOnly)) {
        ShowMessage(QStringLiteral("文件打开失败。"), MsgIcon::Warning);
        return false;
    }
    probe.close();
    m_buffer = CreateTextBuffer(full);
    if (m_buffer)
        ParaSetString(PARA_LAST_PATH, full);
    m_path = full;
    m_title = info.fileName();
    return true;
}

bool CLeafturnerDoc::OnSaveDocument(const QString& path)
{
    if (!m_buffer)
        return false;
    // The target must be writable; opened without truncating, so a failed save loses nothing.
    QFile probe(path);
    const bool existed = probe.exists();
    if (QFileInfo(path).isDir() || !probe.open(QIODevice::ReadWrite)) {
        ShowMessage(kSaveFailed, MsgIcon::Warning);
        return false;
    }
    probe.close();
    if (CMyView* view = ActiveView())
        view->CommitEdits();
    if (!m_buffer->Save(path)) {
        if (!existed)
            QFile::remove(path);
        ShowMessage(kSaveFailed, MsgIcon::Warning);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CLeafturnerDoc::ReplaceTextFromBytes(const QByteArray& bytes)
{
    if (!m_buffer)
        m_buffer = std::make_unique<TextBuffer>();
    return m_buffer->LoadFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
}

bool CLeafturnerDoc::DoSave(const QString& path, bool changePath)
{
    if (!OnSaveDocument(path))
        return false;
    if (changePath) {
        m_path = QFileInfo(path).absoluteFilePath();
        m_title = QFileInfo(path).fileName();
        if (m_host)
            m_host->UpdateFrameTitle();
    }
    return true;
}

bool CLeafturnerDoc::SaveModified()
{
    if (!IsModified())
        return true;
    switch (AskQuestion(kAskSave, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Cancel:
        return false;
    case MsgAnswer::Yes:
        if (CMyView* view = ActiveView())
            view->CommitEdits();
        if (IsModified() && m_buffer && !DoSave(m_path, false))
            return false;
        break;
    default:
        break;
    }
    SetModifiedFlag(false);
    return true;
}

void CLeafturnerDoc::SaveBeforeLeaving()
{
    if (CMyView* view = ActiveView())
        view->CommitEdits();
    if (IsModified() && m_buffer)
        DoSave(m_path, false);
}

bool CLeafturnerDoc::ToggleEditMode()
{
    if (!m_host)
        return false;
    // A failed save keeps the edit view and its edits rather than dropping them.
    if (!SaveModified())
        return false;
    CMyView* view = ActiveView();
    const bool toEdit = !(view && view->IsEditView());
    if (!m_host->SwitchView(toEdit))
        return false;
    ParaSetInt(toEdit ? 1 : 0, PARA_VIEW_MODE);
    return true;
}

bool CLeafturnerDoc::OnCmdMsg(int id)
{
    switch (id) {
    case Cmd::FileSave:
        if (IsModified() && m_buffer)
            DoSave(m_path, false);
        return true;
    case Cmd::FileSaveAs:
        if (m_buffer && m_host) {
            const QString target = m_host->AskSaveAsPath(m_path);
            if (!target.isEmpty())
                DoSave(target, true);
        }
        return true;
    case Cmd::LocateFolder:
        if (m_buffer && m_host)
            m_host->LocateInFileList(m_path);
        return true;
    case Cmd::EditMode:
        ToggleEditMode();
        return true;
    default:
        return false;
    }
}

bool CLeafturnerDoc::OnUpdateCmdUI(int id, CmdUI& ui)
{
    switch (id) {
    case Cmd::FileSave:
        ui.enabled = IsModified() && m_buffer;
        return true;
    case Cmd::FileSaveAs:
    case Cmd::LocateFolder:
    case Cmd::AddBookmark:
        ui.enabled = m_buffer != nullptr;
        return true;
    case Cmd::EditMode: {
        CMyView* view = ActiveView();
        ui.checked = view && view->IsEditView();
        return true;
    }
    default:
        return false;
    }
}
