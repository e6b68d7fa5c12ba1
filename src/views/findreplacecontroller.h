// FindReplaceController: the edit view's find and replace: its dialog, the search under way and what
// find-next, replace and replace-all do to the text.
#pragma once

#include "views/findreplacedialog.h"

#include <QObject>
#include <QPointer>
#include <QTextCursor>
#include <functional>

class CMyRichEdit;

class FindReplaceController : public QObject
{
public:
    // The dialog is a child of `dialogParent`; `hasText` says whether the control holds a book.
    FindReplaceController(CMyRichEdit* edit, QWidget* dialogParent, std::function<bool()> hasText);

    // Shows the find or the replace dialog, starting a new search.
    void OpenDialog(bool replace);
    // With the dialog's (or else the last) search; false when nothing was found.
    bool FindNext();
    void ReplaceCurrent();
    void ReplaceAll();

    FindReplaceDialog* Dialog() const { return m_dialog; }
    int BeepCount() const { return m_beeps; }

private:
    FindSettings CurrentSearch();
    QTextCursor Search(const FindSettings& search, int from, int to, bool backward) const;
    void KeepDialogOffHit(const QTextCursor& hit);
    void TextNotFound();

    CMyRichEdit* m_edit;
    QWidget* m_dialogParent;
    std::function<bool()> m_hasText;
    // A new dialog starts a new search, whose origin is kept as a cursor so that it moves with edits
    // before it.
    bool m_firstSearch = true;
    bool m_wrapped = false;
    QTextCursor m_origin;
    QPointer<FindReplaceDialog> m_dialog;
    int m_beeps = 0;
};
