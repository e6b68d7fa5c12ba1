// CLeafturnerDoc: opening, saving, the save prompts and the reading/edit toggle.
#include "document/leafturnerdoc.h"

#include "document/documenthost.h"
#include "document/myview.h"
#include "settings/filewrite.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "settings/readingposition.h"
#include "ui/commandids.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kAskSave = QStringLiteral("文件内容已被修改，您想保存吗？");
const QString kSaveFailed = QStringLiteral("文件保存失败。");

QString EncodingLabel(SourceEncoding encoding)
{
    switch (encoding) {
    case SourceEncoding::Ansi:
        return QStringLiteral("ANSI");
    case SourceEncoding::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case SourceEncoding::Utf16Be:
        return QStringLiteral("UTF-16BE");
    case SourceEncoding::Utf8Bom:
        return QStringLiteral("UTF-8（带BOM）");
    case SourceEncoding::Utf8:
        return QStringLiteral("UTF-8");
    }
    return QStringLiteral("UTF-16LE");
}

// A save that would write the file in another encoding than it holds now asks first.
bool ConfirmNewEncoding(SourceEncoding stored, SourceEncoding wanted, SourceEncoding written)
{
    QString text;
    if (wanted == SourceEncoding::Ansi && written != SourceEncoding::Ansi)
        text = QStringLiteral("文本中有 ANSI 代码页无法表示的字符。");
    text += QStringLiteral("文件将由 %1 编码改存为 %2 编码。\n确定要保存吗？")
                .arg(EncodingLabel(stored), EncodingLabel(written));
    return AskQuestion(text, MsgButtons::OkCancel, MsgIcon::Warning) == MsgAnswer::Ok;
}
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
    m_textNotOnDisk = false;
}

void CLeafturnerDoc::OnNewDocument()
{
    DeleteContents();
    m_path.clear();
    m_title.clear();
}

bool CLeafturnerDoc::IsOpenable(const QString& path)
{
    if (path.isEmpty())
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

bool CLeafturnerDoc::OnOpenDocument(const QString& path)
{
    const QFileInfo info(path);
    const QString full = info.absoluteFilePath();
    if (!IsOpenable(full)) {
        ShowMessage(MsgOpenFailed(), MsgIcon::Warning);
        return false;
    }
    // The new book is read before the old one goes, so a failed load keeps the book that was open.
    std::unique_ptr<TextBuffer> fresh;
    if (HasBookExtension(full)) {
        fresh = CreateTextBuffer(full); // in the encoding remembered for the book, if any
        if (!fresh)
            return false;
    }
    if (m_host)
        m_host->ChapterPaneClear();
    DeleteContents();
    m_buffer = std::move(fresh);
    if (m_buffer) {
        m_storedEncoding = m_buffer->Encoding();
        ParaSetString(PARA_LAST_PATH, full);
    }
    m_path = full;
    m_title = info.fileName();
    return true;
}

bool CLeafturnerDoc::CommitViewEdits()
{
    CMyView* view = ActiveView();
    if (!view)
        return true;
    const bool modified = view->IsTextModified();
    if (!view->CommitEdits())
        return false;
    if (modified)
        m_textNotOnDisk = true;
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
    const auto dropNewFile = [&] {
        if (!existed)
            QFile::remove(path);
    };
    // Writing after a failed commit would store the old text and drop the edits.
    if (!CommitViewEdits()) {
        dropNewFile();
        return false;
    }
    SourceEncoding written = m_buffer->Encoding();
    const QByteArray bytes = m_buffer->Encode(&written);
    if (written != m_storedEncoding && !ConfirmNewEncoding(m_storedEncoding, m_buffer->Encoding(), written)) {
        dropNewFile();
        return false;
    }
    if (!WriteBookFile(path, bytes)) {
        dropNewFile();
        ShowMessage(kSaveFailed, MsgIcon::Warning);
        return false;
    }
    m_storedEncoding = written;
    m_textNotOnDisk = false;
    SetModifiedFlag(false);
    return true;
}

bool CLeafturnerDoc::ReplaceTextFromBytes(const QByteArray& bytes)
{
    if (!m_buffer)
        m_buffer = std::make_unique<TextBuffer>();
    m_textNotOnDisk = true;
    return m_buffer->LoadFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
}

bool CLeafturnerDoc::DoSave(const QString& path, bool changePath)
{
    if (!OnSaveDocument(path))
        return false;
    if (changePath) {
        // From now on the document is the new file: Reload, the next start and the recent list say so.
        m_path = QFileInfo(path).absoluteFilePath();
        m_title = QFileInfo(path).fileName();
        // The place read so far goes with the book to its new name.
        ParaSetLastBook(m_path, ParaGetInt(PARA_LAST_POS));
        if (m_host) {
            m_host->UpdateFrameTitle();
            m_host->DocumentPathChanged(m_path);
        }
    }
    return true;
}

bool CLeafturnerDoc::RestoreStoredText()
{
    if (!IsOpenable(m_path)) {
        ShowMessage(MsgOpenFailed(), MsgIcon::Warning);
        return false;
    }
    auto stored = std::make_unique<TextBuffer>();
    if (!stored->Load(m_path))
        return false;
    if (m_host)
        m_host->ChapterPaneClear();
    m_buffer = std::move(stored);
    m_storedEncoding = m_buffer->Encoding();
    m_textNotOnDisk = false;
    if (CMyView* view = ActiveView())
        view->Relayout();
    if (m_host)
        m_host->ChapterPaneRefresh();
    return true;
}

bool CLeafturnerDoc::SaveModified(bool staying)
{
    if (!IsModified())
        return true;
    switch (AskQuestion(kAskSave, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Cancel:
        return false;
    case MsgAnswer::Yes:
        if (!CommitViewEdits())
            return false;
        if (IsModified() && m_buffer && !DoSave(m_path, false))
            return false;
        break;
    default:
        // The edits are dropped; text of them already in the buffer must not stay on show.
        SetModifiedFlag(false);
        if (staying && m_textNotOnDisk && !RestoreStoredText()) {
            SetModifiedFlag(true);
            return false;
        }
        return true;
    }
    SetModifiedFlag(false);
    return true;
}

bool CLeafturnerDoc::SaveBeforeLeaving()
{
    if (!CommitViewEdits())
        return false;
    if (IsModified() && m_buffer)
        return DoSave(m_path, false);
    return true;
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
