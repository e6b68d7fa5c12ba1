// CMyRichEdit: construction, line queries, paging, keys, the clipboard, wheel and context menu.
#include "views/myrichedit.h"

#include "ui/commandids.h"
#include "views/myricheditview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QWheelEvent>
#include <algorithm>

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
    connect(document(), &QTextDocument::contentsChange, this, [this] { m_cutsValid = false; });
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
    return BookOffset(FirstVisiblePosition());
}

std::int32_t CMyRichEdit::FirstVisiblePosition() const
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
    offset = ControlPosition(std::max(0, offset));
    const QTextBlock block = document()->findBlock(offset);
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
        return BookOffset(TextLength());
    // A block holding joined lines has its lines only once laid out.
    if (line > block.firstLineNumber())
        (void)blockBoundingRect(block);
    const int inner = line - block.firstLineNumber();
    const QTextLayout* layout = block.layout();
    if (inner > 0 && layout && inner < layout->lineCount())
        return BookOffset(block.position() + layout->lineAt(inner).textStart());
    return BookOffset(block.position());
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
    cursor.setPosition(FirstVisiblePosition());
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
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (mods & ~Qt::ShiftModifier) == Qt::NoModifier &&
        !isReadOnly()) {
        // A real line break with the plain format, even next to a display cut.
        QTextCursor cursor = textCursor();
        cursor.insertBlock(cursor.blockFormat(), QTextCharFormat());
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
        return;
    }
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && mods == Qt::NoModifier && !isReadOnly() &&
        DeleteAcrossCut(key == Qt::Key_Backspace)) {
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

QMimeData* CMyRichEdit::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    QString text = SelectedTextWithCrs(textCursor());
    text.replace(u'\r', u'\n');
    data->setText(text);
    return data;
}

void CMyRichEdit::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source || !source->hasText())
        return;
    QTextCursor cursor = textCursor();
    InsertBookText(cursor, source->text());
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CMyRichEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_doubleClick.start();
        m_doubleClickAt = event->position().toPoint();
    }
}

void CMyRichEdit::mousePressEvent(QMouseEvent* event)
{
    const bool triple =
        event->button() == Qt::LeftButton && m_doubleClick.isValid() &&
        m_doubleClick.elapsed() < QApplication::doubleClickInterval() &&
        (event->position().toPoint() - m_doubleClickAt).manhattanLength() < QApplication::startDragDistance();
    m_doubleClick.invalidate();
    QPlainTextEdit::mousePressEvent(event);
    if (!triple)
        return;
    // The control selects its block; where short lines share one, only the line clicked is meant.
    QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    const QString text = block.text();
    if (!text.contains(QChar::LineSeparator))
        return;
    const int at = cursorForPosition(event->position().toPoint()).position() - block.position();
    const auto start = text.lastIndexOf(QChar::LineSeparator, std::max(0, at - 1));
    const auto end = text.indexOf(QChar::LineSeparator, at);
    const int from = block.position() + static_cast<int>(at > 0 && start >= 0 ? start + 1 : 0);
    // With the line end, as the control takes its block's separator.
    const int to = end >= 0 ? block.position() + static_cast<int>(end) + 1 : cursor.selectionEnd();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
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
