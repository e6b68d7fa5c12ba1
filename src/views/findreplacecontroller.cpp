// FindReplaceController: opening the dialog, find-next with its one wrap, replace and replace-all.
#include "views/findreplacecontroller.h"

#include "ui/waitcursor.h"
#include "views/myrichedit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTextDocument>
#include <algorithm>
#include <utility>

namespace {

bool SameText(const QString& a, const QString& b, bool matchCase)
{
    return a.size() == b.size() && a.compare(b, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

QTextDocument::FindFlags FlagsOf(const FindSettings& search)
{
    QTextDocument::FindFlags flags;
    if (search.matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (search.wholeWord)
        flags |= QTextDocument::FindWholeWords;
    return flags;
}

} // namespace

FindReplaceController::FindReplaceController(CMyRichEdit* edit, QWidget* dialogParent,
                                             std::function<bool()> hasText)
    : m_edit(edit), m_dialogParent(dialogParent), m_hasText(std::move(hasText))
{
}

void FindReplaceController::OpenDialog(bool replace)
{
    m_firstSearch = true;
    if (m_dialog) {
        if (m_dialog->IsReplaceDialog() == replace) {
            m_dialog->show();
            m_dialog->raise();
            m_dialog->activateWindow();
            return;
        }
        FindReplaceDialog* other = m_dialog;
        m_dialog = nullptr;
        other->close();
    }
    FindSettings search = LastFindSettings();
    const QString selected = m_edit->SelectedTextWithCrs(m_edit->textCursor());
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator) && !selected.contains(u'\r') &&
        !selected.contains(u'\n'))
        search.findWhat = selected;
    m_dialog = new FindReplaceDialog(replace, search, m_dialogParent);
    connect(m_dialog, &FindReplaceDialog::FindNextRequested, this, [this] { FindNext(); });
    connect(m_dialog, &FindReplaceDialog::ReplaceRequested, this, &FindReplaceController::ReplaceCurrent);
    connect(m_dialog, &FindReplaceDialog::ReplaceAllRequested, this, &FindReplaceController::ReplaceAll);
    // What was typed is kept for the next dialog and F3, even without a search, for as long as the
    // view lives.
    connect(m_dialog, &QDialog::finished, m_dialogParent, [dialog = m_dialog.data()] {
        if (!dialog->FindEdit()->text().isEmpty())
            LastFindSettings() = dialog->Settings();
    });
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

FindSettings FindReplaceController::CurrentSearch()
{
    if (m_dialog)
        LastFindSettings() = m_dialog->Settings();
    return LastFindSettings();
}

QTextCursor FindReplaceController::Search(const FindSettings& search, int from, int to, bool backward) const
{
    const QString& what = search.findWhat;
    const int n = static_cast<int>(what.size());
    if (n == 0 || from < 0 || to - from < n)
        return {};
    QTextCursor hit;
    if (backward) {
        // A backward search from p finds a match starting before p; this one must end by `to`.
        hit = m_edit->Find(what, to - n + 1, FlagsOf(search) | QTextDocument::FindBackward);
        if (hit.isNull() || hit.selectionStart() < from)
            return {};
    } else {
        hit = m_edit->Find(what, from, FlagsOf(search));
        if (hit.isNull() || hit.selectionEnd() > to)
            return {};
    }
    return hit;
}

bool FindReplaceController::FindNext()
{
    const FindSettings search = CurrentSearch();
    if (search.findWhat.isEmpty() || !m_hasText())
        return false;
    WaitCursor wait;
    const QTextCursor selection = m_edit->textCursor();
    const int selStart = selection.selectionStart();
    const int selEnd = selection.selectionEnd();
    QTextDocument* doc = m_edit->document();
    if (m_firstSearch) {
        m_firstSearch = false;
        m_wrapped = false;
        m_origin = QTextCursor(doc);
        m_origin.setPosition(selStart);
    }
    const int length = m_edit->TextLength();
    const int n = static_cast<int>(search.findWhat.size());
    const int origin = m_origin.isNull() ? 0 : std::min(m_origin.position(), length);
    QTextCursor hit;
    // Runs to the end of the text, then once from the other end back to where the search began; a
    // match lying across that point is found in the second part.
    if (search.down) {
        const int from = selStart + (selection.hasSelection() ? 1 : 0);
        const int wrapEnd = std::min(length, origin + n - 1);
        hit = Search(search, from, m_wrapped ? wrapEnd : length, false);
        if (hit.isNull() && !m_wrapped && origin >= 1) {
            m_wrapped = true;
            hit = Search(search, 0, wrapEnd, false);
        }
    } else {
        const int to = selection.hasSelection() ? selEnd - 1 : selStart;
        const int wrapStart = std::max(0, origin - n + 1);
        hit = Search(search, m_wrapped ? wrapStart : 0, to, true);
        if (hit.isNull() && !m_wrapped && origin < length) {
            m_wrapped = true;
            hit = Search(search, wrapStart, length, true);
        }
    }
    if (hit.isNull()) {
        m_firstSearch = true;
        TextNotFound();
        return false;
    }
    m_edit->setTextCursor(hit);
    m_edit->ensureCursorVisible();
    KeepDialogOffHit(hit);
    return true;
}

void FindReplaceController::KeepDialogOffHit(const QTextCursor& hit)
{
    if (!m_dialog || !m_dialog->isVisible())
        return;
    QTextCursor start(hit);
    start.setPosition(hit.selectionStart());
    const QRect caret = m_edit->cursorRect(start);
    const QRect spot(m_edit->viewport()->mapToGlobal(caret.topLeft()), caret.size());
    const QRect frame = m_dialog->frameGeometry();
    if (!frame.intersects(spot))
        return;
    const QScreen* screen = m_dialog->screen() ? m_dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const int above = spot.top() - 20 - frame.height();
    if (above >= area.top()) {
        m_dialog->move(frame.left(), above);
        return;
    }
    const int below = spot.bottom() + 40;
    if (below + frame.height() <= area.bottom() + 1)
        m_dialog->move(frame.left(), below);
}

void FindReplaceController::ReplaceCurrent()
{
    const FindSettings search = CurrentSearch();
    if (search.findWhat.isEmpty() || m_edit->isReadOnly())
        return;
    QTextCursor selection = m_edit->textCursor();
    if (SameText(m_edit->SelectedTextWithCrs(selection), search.findWhat, search.matchCase)) {
        selection.insertText(search.replaceWith);
        m_edit->setTextCursor(selection);
    }
    FindNext();
}

void FindReplaceController::ReplaceAll()
{
    FindSettings search = CurrentSearch();
    if (search.findWhat.isEmpty() || m_edit->isReadOnly())
        return;
    search.down = true;
    LastFindSettings().down = true;
    if (m_dialog)
        m_dialog->DownButton()->setChecked(true);
    if (!SameText(m_edit->SelectedTextWithCrs(m_edit->textCursor()), search.findWhat, search.matchCase) &&
        !FindNext())
        return;
    WaitCursor wait;
    QTextDocument* doc = m_edit->document();
    const QTextDocument::FindFlags flags = FlagsOf(search);
    const int start = m_edit->textCursor().selectionStart();
    // Every occurrence once: from the first one to the end, then from the top up to where it began.
    // The stop mark moves with the replacements before it.
    QTextCursor stop(doc);
    stop.setPosition(start);
    stop.setKeepPositionOnInsert(true);
    QTextCursor edit(doc);
    QTextCursor last;
    edit.beginEditBlock();
    for (int pos = start;;) {
        QTextCursor hit = m_edit->Find(search.findWhat, pos, flags);
        if (hit.isNull())
            break;
        hit.insertText(search.replaceWith);
        pos = hit.position();
        last = hit;
    }
    for (int pos = 0;;) {
        QTextCursor hit = m_edit->Find(search.findWhat, pos, flags);
        if (hit.isNull() || hit.selectionEnd() > stop.position())
            break;
        hit.insertText(search.replaceWith);
        pos = hit.position();
        last = hit;
    }
    edit.endEditBlock();
    if (!last.isNull())
        m_edit->setTextCursor(last);
    m_firstSearch = true;
}

void FindReplaceController::TextNotFound()
{
    ++m_beeps;
    QApplication::beep();
}
