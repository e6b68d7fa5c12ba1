// The reformat and repair commands: dialogs, the two passes, the document's new text and the undoable repair.
#include "reformat/reformatcommands.h"

#include "document/leafturnerdoc.h"
#include "document/textbuffer.h"
#include "reformat/complexreformatdlg.h"
#include "reformat/garbledrepair.h"
#include "reformat/reformatoutput.h"
#include "reformat/simplereformatdlg.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "ui/commandids.h"
#include "ui/waitcursor.h"
#include "views/myrichedit.h"
#include "views/myricheditview.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QTextCursor>
#include <new>

namespace {

// A modal step runs an event loop: the view or its book may be gone when it returns.
bool StillThere(const QPointer<CMyRichEditView>& view, const TextBuffer* buffer)
{
    return view && view->GetDocument() && view->GetDocument()->Buffer() == buffer;
}

void Reload(CMyRichEditView& view, const ReformatCommandHooks& hooks)
{
    const QString path = ParaGetString(PARA_LAST_PATH);
    // Opening a file that is gone would leave an empty document: keep the text on screen instead.
    if (path.isEmpty() || !QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
        ShowMessage(MsgOpenFailed(), MsgIcon::Warning);
        return;
    }
    if (!hooks.openDocument)
        return;
    // The user asked to throw the edits away, so the save question is not asked.
    view.SetTextModified(false);
    hooks.openDocument(path);
}

template <typename Options> ReformatImage Reformat(const QString& text, const Options& options)
{
    const auto* units = reinterpret_cast<const char16_t*>(text.constData());
    const auto length = static_cast<std::int32_t>(text.size());
    try {
        return ReformatToUtf16Le(units, length, options, LineEnds::AsIs);
    } catch (const std::bad_alloc&) {
        return {ReformatStatus::OutOfMemory, {}};
    }
}

} // namespace

void InstallReformatCommands(ReformatCommandHooks hooks)
{
    CMyRichEditView::SetEditToolHandler([hooks = std::move(hooks)](CMyRichEditView& view, int id) {
        if (id == Cmd::Reformat)
            RunReformatCommand(view, hooks);
        else if (id == Cmd::RepairGarbled)
            RunRepairCommand(view);
    });
}

void RunReformatCommand(CMyRichEditView& target, const ReformatCommandHooks& hooks)
{
    QPointer<CMyRichEditView> view(&target);
    CLeafturnerDoc* doc = view->GetDocument();
    TextBuffer* buffer = doc ? doc->Buffer() : nullptr;
    if (!buffer)
        return;

    CSimpleReformatDlg simple(view->window());
    if (simple.exec() != QDialog::Accepted || !StillThere(view, buffer))
        return;
    if (simple.ChoiceMade() == CSimpleReformatDlg::ReloadChoice) {
        Reload(*view, hooks);
        return;
    }
    if (!doc->SaveModified() || !view || view->GetDocument() != doc || !doc->Buffer())
        return;
    // Dropping an earlier unsaved reformat reads the book back from the file: a new buffer.
    buffer = doc->Buffer();

    QString text;
    try {
        text = view->Edit()->TextWithCrs();
    } catch (const std::bad_alloc&) {
        ShowMessage(MsgOutOfMemory(), MsgIcon::Warning);
        return;
    }
    if (text.size() > kMaxTextUnits) {
        ShowMessage(MsgOutOfMemory(), MsgIcon::Warning);
        return;
    }

    ReformatImage image;
    if (simple.ChoiceMade() == CSimpleReformatDlg::ComplexChoice) {
        CComplexReformatDlg complex(ReadComplexOptions(), view->window());
        if (complex.exec() != QDialog::Accepted || !StillThere(view, buffer))
            return;
        {
            WaitCursor wait;
            image = Reformat(text, ReadComplexOptions());
        }
        if (image.status == ReformatStatus::Done && image.longParagraphs > 0 &&
            (AskQuestion(QStringLiteral("整理后将有 %1 个段落超过 100,000 字。是否继续？").arg(image.longParagraphs),
                         MsgButtons::OkCancel) != MsgAnswer::Ok ||
             !StillThere(view, buffer)))
            return;
    } else {
        image = Reformat(text, simple.Options());
    }
    if (image.status == ReformatStatus::NothingToDo)
        return;
    if (image.status == ReformatStatus::OutOfMemory) {
        ShowMessage(MsgOutOfMemory(), MsgIcon::Warning);
        return;
    }

    const SourceEncoding encoding = buffer->Encoding();
    if (!doc->ReplaceTextFromBytes(image.bytes)) {
        // The buffer let its text go first; the control still shows the text the reformat started
        // from, so that goes back into the buffer and stays unsaved.
        if (!view)
            return;
        view->CommitEdits();
        if (doc->Buffer())
            doc->Buffer()->SetEncoding(encoding);
        view->SetTextModified(true);
        return;
    }
    if (!view)
        return;
    view->Relayout();
    if (hooks.refreshChapters)
        hooks.refreshChapters();
    // The result lives only in memory: Save must be offered, and closing must ask.
    if (view)
        view->SetTextModified(true);
}

void RunRepairCommand(CMyRichEditView& view)
{
    CMyRichEdit* edit = view.Edit();
    QTextCursor cursor = edit->textCursor();
    if (!cursor.hasSelection()) {
        ShowMessage(RepairMessage(RepairOutcome::EmptySelection));
        return;
    }
    if (edit->isReadOnly())
        return;
    // The code page must see the CR itself, and no display cut.
    const QString selected = edit->SelectedTextWithCrs(cursor);
    RepairResult result;
    try {
        // A book read in another code page than the ANSI one lost a byte of that code page.
        QString codePage;
        const CLeafturnerDoc* doc = view.GetDocument();
        if (doc && doc->Buffer() && doc->Buffer()->Encoding() == SourceEncoding::Ansi)
            codePage = doc->Buffer()->CodePageName();
        result = RepairGarbled(selected, codePage);
    } catch (const std::bad_alloc&) {
        return;
    }
    if (result.outcome != RepairOutcome::Repaired) {
        ShowMessage(RepairMessage(result.outcome));
        return;
    }
    edit->InsertBookText(cursor, result.text);
    edit->setTextCursor(cursor);
}
