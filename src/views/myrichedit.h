// CMyRichEdit: the edit view's text control: text in and out with CR line ends, line queries,
// paging, and the keys, wheel and context menu of the edit view.
#pragma once

#include <QPlainTextEdit>
#include <array>
#include <cstdint>
#include <optional>

class CMyRichEditView;

// A plain-text control that lays out only what is shown, so a book of ten million characters stays
// usable. A block separator stands for each CR, so positions in the control are character offsets in
// the book's text. Lines are the control's display lines, counted as its scroll bar counts them.
class CMyRichEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    CMyRichEdit(CMyRichEditView* view, QWidget* parent);

    // Replaces the whole text (CR line ends); undo history empty, not modified.
    void LoadText(const char16_t* text, std::int32_t length);
    // The whole text with CR line ends.
    QString TextWithCrs() const;
    std::int32_t TextLength() const;

    int LineCount() const;
    int FirstVisibleLine() const;
    // Offset of the first character of the first visible line.
    std::int32_t FirstVisibleOffset() const;
    // The display line holding `offset`, and the offset at which display line `line` begins.
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
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int LineHeight();

    CMyRichEditView* m_view;
    // What stands in the control for each character it would turn into a line break; none when the
    // text held no such character.
    std::optional<std::array<char16_t, 3>> m_standIns;
};
