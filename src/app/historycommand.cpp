#include "app/historycommand.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "history/historydialog.h"
#include "history/historystore.h"
#include "library/bookmarkfile.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "settings/profile.h"
#include "ui/commandids.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Often enough that a killed reader loses about a second of reading; the store coalesces the writes.
constexpr int kPollMilliseconds = 250;

} // namespace

CHistoryCommand::CHistoryCommand(CMainFrame* frame, CLeafturnerApp* app)
    : QObject(frame), m_frame(frame), m_app(app),
      m_store(std::make_unique<HistoryStore>(ProfileFile(QStringLiteral(".db"))))
{
    setObjectName(QStringLiteral("HistoryCommand"));
    frame->AddCommandHandler(this);
    connect(&m_poll, &QTimer::timeout, this, &CHistoryCommand::Poll);
    m_poll.start(kPollMilliseconds);
    if (m_store->IsAvailable())
        SetBookEncodingMemory(this);
}

CHistoryCommand::~CHistoryCommand()
{
    if (&CurrentBookEncodingMemory() == this)
        SetBookEncodingMemory(nullptr);
} // the store writes what is pending

QString CHistoryCommand::ChosenEncoding(const QString& path)
{
    const auto row = m_store->Find(path);
    return row ? row->encoding : QString();
}

void CHistoryCommand::SetChosenEncoding(const QString& path, const QString& name)
{
    const QString stored = name.compare(u"auto", Qt::CaseInsensitive) == 0 ? QString() : name;
    if (!m_store->SetEncoding(path, stored))
        m_pendingEncoding = {path, stored}; // a book not yet in the history: kept for its row
}

QString CHistoryCommand::ChosenConversion(const QString& path) const
{
    if (m_pendingConversion.first == path && !path.isEmpty())
        return m_pendingConversion.second;
    const auto row = m_store->Find(path);
    return row ? row->conversion : QString();
}

void CHistoryCommand::SetChosenConversion(const QString& path, const QString& name)
{
    if (!m_store->SetConversion(path, name))
        m_pendingConversion = {path, name};
}

void CHistoryCommand::Poll()
{
    CLeafturnerDoc* doc = m_app ? m_app->Document() : nullptr;
    if (m_path.isEmpty() || !doc || !doc->HasText())
        return;
    const TextBuffer* buffer = doc->Buffer();
    const BookFingerprint& fingerprint = buffer->Fingerprint();
    if (fingerprint.IsValid() && (doc->PathName() != m_path || fingerprint != m_fingerprint)) {
        // Saved, perhaps under a new name.
        m_store->NoteSaved(doc->PathName(), fingerprint, buffer->Length());
        m_path = doc->PathName();
        m_fingerprint = fingerprint;
    }
    const std::int32_t offset = ShownOffset();
    if (offset < 0)
        return;
    const std::int32_t length = buffer->Length();
    if (offset != m_offset || length != m_length) {
        m_store->NotePosition(m_path, offset, length);
        m_offset = offset;
        m_length = length;
    }
}

void CHistoryCommand::BookOpened(bool routeHasPosition)
{
    BookLeaving();
    CLeafturnerDoc* doc = m_app ? m_app->Document() : nullptr;
    if (!doc || !doc->HasText())
        return;
    const TextBuffer* buffer = doc->Buffer();
    m_path = doc->PathName();
    m_fingerprint = buffer->Fingerprint();
    m_length = buffer->Length();
    // A choice made before the book had a row goes into it; a detected encoding stores nothing.
    const EncodingChoice& choice = buffer->Choice();
    QString chosen = choice.kind == EncodingChoice::Kind::Auto ? QString() : EncodingChoiceName(choice);
    if (m_pendingEncoding.first == m_path)
        chosen = m_pendingEncoding.second;
    m_pendingEncoding = {};
    const auto row = m_store->OpenBook(m_path, m_fingerprint, m_length, chosen);
    if (row && !chosen.isEmpty() && row->encoding != chosen)
        m_store->SetEncoding(m_path, chosen);
    if (m_pendingConversion.first == m_path)
        m_store->SetConversion(m_path, m_pendingConversion.second);
    m_pendingConversion = {};
    CMyView* view = m_frame->ActiveView();
    if (view && row && !routeHasPosition && row->position > 0)
        view->GoToOffset(row->position);
    m_offset = ShownOffset();
}

std::int32_t CHistoryCommand::ShownOffset() const
{
    // Both views keep PARA_LAST_POS at the first character they show, for the book of PARA_LAST_PATH.
    CLeafturnerDoc* doc = m_app ? m_app->Document() : nullptr;
    if (!doc || !m_frame->ActiveView() || ParaGetString(PARA_LAST_PATH) != doc->PathName())
        return -1;
    return ParaGetInt(PARA_LAST_POS);
}

void CHistoryCommand::BookLeaving()
{
    if (m_path.isEmpty())
        return;
    Poll();
    m_store->CloseBook();
    m_path.clear();
    m_fingerprint = {};
    m_offset = m_length = -1;
}

QString CHistoryCommand::FindMovedBook(const QString& missingPath) const
{
    const auto row = m_store->FindMoved(QFileInfo(missingPath).absoluteFilePath());
    return row ? row->path : QString();
}

QString CHistoryCommand::RelocateBookmark(const QString& name, const QString& missingPath,
                                          std::int32_t position)
{
    const QString found = FindMovedBook(missingPath);
    if (found.isEmpty())
        return {};
    const QString question =
        QStringLiteral(
            "书签“%1”所对应的文件已不在原处：\n%2\n在这里找到了同一本书：\n%3\n要把书签改为新的位置吗？")
            .arg(name, QDir::toNativeSeparators(missingPath), QDir::toNativeSeparators(found));
    if (AskQuestion(question, MsgButtons::YesNo) == MsgAnswer::Yes)
        BookmarkFile::Default().Write(name, found, position);
    return found;
}

QString CHistoryCommand::ProgressText(const QString& path) const
{
    const auto row = m_store->Find(path);
    return row ? QString::number(row->percent, 'f', 1) + u'%' : QString();
}

bool CHistoryCommand::OnCmdMsg(int id)
{
    if (id != Cmd::History)
        return false;
    Poll(); // the dialog shows the open book's latest position
    if (const auto path = RunHistoryDialog(*m_store, m_frame); path && m_app)
        m_app->OpenDocumentFile(*path);
    return true;
}

bool CHistoryCommand::OnUpdateCmdUI(int id, CmdUI& ui)
{
    if (id != Cmd::History)
        return false;
    ui.enabled = m_store->IsAvailable();
    return true;
}
