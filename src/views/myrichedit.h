// CMyRichEdit: the edit view's text control: text in and out with CR line ends, line queries,
// paging, and the keys, wheel and context menu of the edit view.
#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class CMyRichEditView;

// A plain-text control that lays out only what is shown, so a book of ten million characters stays
// usable. A block separator stands for each CR, or a line separator between the short lines that share
// a block (fewer blocks: less memory and a faster load). The control lays out a paragraph at a time, so a long
// paragraph is held as several blocks joined by display cuts: separators that are no character of the
// book (their character format says so). Every way the text leaves the control drops them, and
// positions in the control differ from the book's offsets by the cuts before them. Lines are the
// control's display lines, counted as its scroll bar counts them.
class CMyRichEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    CMyRichEdit(CMyRichEditView* view, QWidget* parent);

    // Characters held in the control in place of the book's own line-break characters.
    using StandIns = std::array<char16_t, 4>;

    // Replaces the whole text (CR line ends); undo history empty, not modified.
    void LoadText(const char16_t* text, std::int32_t length);
    // The whole text with CR line ends.
    QString TextWithCrs() const;
    // The selection as in the book: CR line ends, no display cuts.
    QString SelectedTextWithCrs(const QTextCursor& cursor) const;
    // Positions in the control, display cuts included.
    std::int32_t TextLength() const;
    // Inserts plain text as typed or pasted (never a display cut from the text itself), cutting its long
    // paragraphs for display; one undo step.
    void InsertBookText(QTextCursor& cursor, const QString& text);
    // Replaces the whole text with the book's text `text` (CR line ends) as one undo step, held as a
    // loaded book is.
    void ReplaceAllText(const QString& text);
    // A book offset and the control position of the same character, both ways.
    std::int32_t BookOffset(std::int32_t position) const;
    std::int32_t ControlPosition(std::int32_t offset) const;
    // Control positions of the display cuts, ascending.
    const std::vector<std::int32_t>& DisplayCutPositions() const;
    // QTextDocument::find for a plain string (same flags and same meaning of `from`), finding matches
    // across display cuts too.
    QTextCursor Find(const QString& what, std::int32_t from, QTextDocument::FindFlags flags) const;

    int LineCount() const;
    int FirstVisibleLine() const;
    // Book offset (and control position) of the first character of the first visible line.
    std::int32_t FirstVisibleOffset() const;
    std::int32_t FirstVisiblePosition() const;
    // The display line holding book offset `offset`, and the book offset at which display line `line`
    // begins.
    int LineOfOffset(std::int32_t offset);
    std::int32_t OffsetOfLine(int line);
    // Makes `line` the first visible line (as far as the end of the text allows).
    void ScrollToLine(int line);
    // Height of the text area / distance between two lines, rounded up from 0.7; 0 below two lines.
    int LinesPerPage();
    // Scrolls by a page and puts the caret at the start of the new first visible line.
    void Page(bool down);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int LineHeight();
    void InsertPieces(QTextCursor& cursor, const char16_t* text, std::int32_t length);
    // Puts stand-ins into `text` for the book's own characters the control would break lines at;
    // `keepUndoText` when the control's text may come back by undo.
    void HoldBreakers(QString& text, bool keepUndoText);
    // Backspace and Delete next to a display cut remove the book's character, not the cut.
    bool DeleteAcrossCut(bool backward);
    // Whether the book's characters either side of the control's [start, end) are no letters or digits.
    bool IsWordEdgeAt(std::int32_t start, std::int32_t end) const;

    CMyRichEditView* m_view;
    // When and where the last double click was: a press soon after at the same place selects a line.
    QElapsedTimer m_doubleClick;
    QPoint m_doubleClickAt;
    // What stands in the control for each character it would turn into a line break; none when the
    // text held no such character.
    std::optional<StandIns> m_standIns;
    // Whether the text was ever given display cuts since it was loaded (undo can bring them back).
    bool m_mayHaveCuts = false;
    mutable std::vector<std::int32_t> m_cuts;
    mutable bool m_cutsValid = true;
};
