// CMyRichEditView: the edit commands and the state they show in menus and on the toolbar.
#include "views/myricheditview.h"

#include "document/leafturnerdoc.h"
#include "library/addbookmarkdialog.h"
#include "settings/displaysettingsdialog.h"
#include "ui/commandids.h"
#include "views/myrichedit.h"

#include <QTextDocument>
#include <utility>

namespace {

CMyRichEditView::EditToolHandler& ToolHandler()
{
    static CMyRichEditView::EditToolHandler handler;
    return handler;
}

} // namespace

void CMyRichEditView::SetEditToolHandler(EditToolHandler handler)
{
    ToolHandler() = std::move(handler);
}

bool CMyRichEditView::OnCmdMsg(int id)
{
    switch (id) {
    case Cmd::EditCut:
        m_edit->cut();
        return true;
    case Cmd::EditCopy:
        m_edit->copy();
        return true;
    case Cmd::EditPaste:
        m_edit->paste();
        return true;
    case Cmd::EditClear:
        if (!m_edit->isReadOnly()) {
            QTextCursor cursor = m_edit->textCursor();
            cursor.removeSelectedText();
            m_edit->setTextCursor(cursor);
        }
        return true;
    case Cmd::EditUndo:
        m_edit->undo();
        return true;
    case Cmd::EditRedo:
        m_edit->redo();
        return true;
    case Cmd::EditFind:
        m_find->OpenDialog(false);
        return true;
    case Cmd::EditReplace:
        m_find->OpenDialog(true);
        return true;
    case Cmd::EditRepeat:
        if (!LastFindSettings().findWhat.isEmpty())
            FindNext();
        return true;
    case Cmd::Reformat:
    case Cmd::RepairGarbled:
        if (!ToolHandler())
            return false;
        ToolHandler()(*this, id);
        return true;
    case Cmd::GoToPage:
        if (Buffer()) {
            GoToPageDialog dialog(this, this);
            dialog.exec();
        }
        return true;
    case Cmd::AddBookmark:
        if (Buffer())
            RunAddBookmarkDialog(window(), GetDocument()->PathName(), OffsetUnderMouse());
        return true;
    case Cmd::DisplaySettings:
        if (RunDisplaySettingsDialog(window(), nullptr))
            SettingsChanged();
        else
            viewport()->update();
        return true;
    default:
        return false;
    }
}

bool CMyRichEditView::OnUpdateCmdUI(int id, CmdUI& ui)
{
    const bool selection = m_edit->textCursor().hasSelection();
    const bool writable = !m_edit->isReadOnly();
    const bool hasText = m_loaded && m_edit->TextLength() > 0;
    switch (id) {
    case Cmd::EditCut:
    case Cmd::EditClear:
        ui.enabled = selection && writable;
        return true;
    case Cmd::EditCopy:
        ui.enabled = selection;
        return true;
    case Cmd::EditPaste:
        ui.enabled = writable && m_edit->canPaste();
        return true;
    case Cmd::EditUndo:
        ui.enabled = writable && m_edit->document()->isUndoAvailable();
        return true;
    case Cmd::EditRedo:
        ui.enabled = writable && m_edit->document()->isRedoAvailable();
        return true;
    case Cmd::EditFind:
    case Cmd::EditReplace:
        ui.enabled = hasText;
        return true;
    case Cmd::EditRepeat:
        ui.enabled = hasText && !LastFindSettings().findWhat.isEmpty();
        return true;
    case Cmd::Reformat:
        if (!ToolHandler())
            return false;
        ui.enabled = hasText;
        return true;
    case Cmd::RepairGarbled:
        if (!ToolHandler())
            return false;
        ui.enabled = selection && writable;
        return true;
    case Cmd::GoToPage:
    case Cmd::AddBookmark:
        ui.enabled = Buffer() != nullptr;
        return true;
    case Cmd::DisplaySettings:
        return true;
    default:
        return false;
    }
}
