// CMyRichEdit: text loading and committing, line queries, paging, keys, wheel and context menu.
#include "views/myrichedit.h"

#include "ui/commandids.h"
#include "views/myricheditview.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

CMyRichEdit::CMyRichEdit(CMyRichEditView* view, QWidget* parent) : QPlainTextEdit(parent), m_view(view)
{
    setObjectName(QStringLiteral("RichEdit"));
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The view shows the scroll bar; the control only scrolls.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    setReadOnly(true);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

namespace {

// Characters the control turns into block separators: the paragraph separator and the two frame marks.
constexpr std::array<char16_t, 3> kBlockBreakers{u'\x2029', u'\xFDD0', u'\xFDD1'};

bool IsBlockBreaker(char16_t c)
{
    return c == kBlockBreakers[0] || c == kBlockBreakers[1] || c == kBlockBreakers[2];
}

// Three characters the text does not hold, from the spare noncharacters and then the private use area.
std::array<char16_t, 3> PickStandIns(const QString& text)
{
    std::vector<bool> used(0x10000, false);
    for (const QChar c : text)
        used[c.unicode()] = true;
    std::array<char16_t, 3> picked{};
    std::size_t n = 0;
    const auto take = [&](char16_t first, char16_t last) {
        for (char32_t c = first; c <= last && n < picked.size(); ++c) {
            if (!used[c])
                picked[n++] = static_cast<char16_t>(c);
        }
    };
    take(u'\xFDD2', u'\xFDEF');
    take(u'\xE000', u'\xF8FF');
    return picked; // 0 where even all 6430 candidates occur: that character then becomes a line break
}

void Substitute(QString& text, const std::array<char16_t, 3>& from, const std::array<char16_t, 3>& to)
{
    char16_t* p = reinterpret_cast<char16_t*>(text.data());
    for (char16_t* end = p + text.size(); p != end; ++p) {
        for (std::size_t i = 0; i < from.size(); ++i) {
            if (*p == from[i] && from[i] != 0 && to[i] != 0) {
                *p = to[i];
                break;
            }
        }
    }
}

} // namespace

void CMyRichEdit::LoadText(const char16_t* text, std::int32_t length)
{
    QTextDocument* doc = document();
    // Without undo while loading: the history starts empty and nothing is kept twice.
    doc->setUndoRedoEnabled(false);
    doc->clear();
    m_standIns.reset();
    if (text && length > 0) {
        QTextCursor cursor(doc);
        QString content = QString::fromRawData(reinterpret_cast<const QChar*>(text), length);
        // Those would become line breaks: each is held as a character of its own and given back on
        // the way out, one unit for one, so offsets stay the book's.
        if (std::any_of(text, text + length, IsBlockBreaker)) {
            content.detach();
            m_standIns = PickStandIns(content);
            Substitute(content, kBlockBreakers, *m_standIns);
        }
        // CR starts a new block, so offsets stay those of the book's text.
        cursor.insertText(content);
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    QTextCursor start(doc);
    setTextCursor(start);
    verticalScrollBar()->setValue(0);
}

QString CMyRichEdit::TextWithCrs() const
{
    QString text = document()->toRawText();
    // Block separators back to the book's CR; nothing else is touched (toPlainText would turn
    // no-break spaces into spaces).
    char16_t* p = reinterpret_cast<char16_t*>(text.data());
    for (char16_t* end = p + text.size(); p != end; ++p) {
        if (*p == u'\x2029')
            *p = u'\r';
    }
    if (m_standIns)
        Substitute(text, *m_standIns, kBlockBreakers);
    return text;
}

std::int32_t CMyRichEdit::TextLength() const
{
    return std::max(0, document()->characterCount() - 1);
}

int CMyRichEdit::LineCount() const
{
    return std::max(1, document()->lineCount());
}

int CMyRichEdit::FirstVisibleLine() const
{
    return verticalScrollBar()->value();
}

std::int32_t CMyRichEdit::FirstVisibleOffset() const
{
    const QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return 0;
    const int inner = verticalScrollBar()->value() - block.firstLineNumber();
    const QTextLayout* layout = block.layout();
    if (inner > 0 && layout && inner < layout->lineCount())
        return block.position() + layout->lineAt(inner).textStart();
    return block.position();
}

int CMyRichEdit::LineOfOffset(std::int32_t offset)
{
    const QTextBlock block = document()->findBlock(std::clamp(offset, 0, TextLength()));
    if (!block.isValid())
        return 0;
    // Laying the block out gives its real line count; blocks never shown count as one line.
    (void)blockBoundingRect(block);
    int inner = 0;
    if (const QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineForTextPosition(offset - block.position());
        if (line.isValid())
            inner = line.lineNumber();
    }
    return block.firstLineNumber() + inner;
}

std::int32_t CMyRichEdit::OffsetOfLine(int line)
{
    QTextDocument* doc = document();
    line = std::clamp(line, 0, LineCount() - 1);
    const QTextBlock block = doc->findBlockByLineNumber(line);
    if (!block.isValid())
        return TextLength();
    const int inner = line - block.firstLineNumber();
    const QTextLayout* layout = block.layout();
    if (inner > 0 && layout && inner < layout->lineCount())
        return block.position() + layout->lineAt(inner).textStart();
    return block.position();
}

void CMyRichEdit::ScrollToLine(int line)
{
    verticalScrollBar()->setValue(std::max(0, line));
}

int CMyRichEdit::LineHeight()
{
    // The distance between the first two lines on show: within a block, else from block to block.
    const QTextBlock block = firstVisibleBlock();
    if (block.isValid()) {
        const QTextLayout* layout = block.layout();
        if (layout && layout->lineCount() >= 2)
            return std::max(1, qRound(layout->lineAt(1).y() - layout->lineAt(0).y()));
        const QTextBlock next = block.next();
        if (next.isValid()) {
            const qreal d = blockBoundingGeometry(next).top() - blockBoundingGeometry(block).top();
            if (d > 0)
                return std::max(1, qRound(d));
        }
    }
    return std::max(1, fontMetrics().lineSpacing());
}

int CMyRichEdit::LinesPerPage()
{
    if (LineCount() < 2)
        return 0;
    return static_cast<int>(static_cast<double>(viewport()->height()) / LineHeight() + 0.3);
}

void CMyRichEdit::Page(bool down)
{
    const int lines = LinesPerPage();
    if (lines == 0)
        return;
    ScrollToLine(FirstVisibleLine() + (down ? lines : -lines));
    QTextCursor cursor = textCursor();
    cursor.setPosition(FirstVisibleOffset());
    // Moving the caret must not scroll again.
    const int value = verticalScrollBar()->value();
    setTextCursor(cursor);
    verticalScrollBar()->setValue(value);
}

void CMyRichEdit::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = event->key();
    if (key == Qt::Key_Space && mods == Qt::NoModifier) {
        Page(true);
        event->accept();
        return;
    }
    if (key == Qt::Key_Space && mods == Qt::ShiftModifier) {
        if (!isReadOnly())
            insertPlainText(QStringLiteral(" "));
        event->accept();
        return;
    }
    if ((key == Qt::Key_PageDown || key == Qt::Key_PageUp) && mods == Qt::NoModifier) {
        Page(key == Qt::Key_PageDown);
        event->accept();
        return;
    }
    if (key == Qt::Key_F10 && mods == Qt::ShiftModifier) {
        m_view->ShowContextMenuAtMiddle();
        event->accept();
        return;
    }
    // These normally arrive as the window's shortcuts; when they reach the control, post them, since
    // the switch replaces this control.
    int command = 0;
    if (mods == Qt::ControlModifier && key == Qt::Key_E)
        command = Cmd::EditMode;
    else if (mods == Qt::ControlModifier && key == Qt::Key_F)
        command = Cmd::EditFind;
    else if (mods == Qt::ControlModifier && key == Qt::Key_R)
        command = Cmd::EditReplace;
    else if (mods == Qt::NoModifier && key == Qt::Key_F3)
        command = Cmd::EditRepeat;
    if (command != 0) {
        m_view->PostCommand(command);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CMyRichEdit::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
        event->accept();
        return;
    }
    // One line per notch first, then the control's own scrolling.
    const int lines = -event->angleDelta().y() / 120;
    if (lines != 0)
        ScrollToLine(FirstVisibleLine() + lines);
    QPlainTextEdit::wheelEvent(event);
}

void CMyRichEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard)
        global = mapToGlobal(QPoint(5, 5));
    m_view->ShowContextMenuAt(global);
    event->accept();
}
