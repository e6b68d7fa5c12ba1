// CMyRichEditView: loading and committing the text, positions, the column, the scroll bar and painting.
#include "views/myricheditview.h"

#include "document/leafturnerdoc.h"
#include "document/textbuffer.h"
#include "layout/bookbackground.h"
#include "layout/pagegeometry.h"
#include "layout/textmetrics.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "settings/readingposition.h"
#include "ui/colourpalette.h"
#include "views/myrichedit.h"
#include "views/readingrender.h"
#include "views/viewhost.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <memory>
#include <new>

namespace {

// Desk, cover and paper around the edit column, composed as the reading view composes its book.
QImage ComposeEditBackground(QSize clientSize, const QRect& book)
{
    const QSize size = clientSize.expandedTo(QSize(1, 1));
    CxImage canvas;
    if (DrawBookBackground(canvas, size, book, false)) {
        QImage image = CanvasToScreenImage(canvas);
        if (!image.isNull())
            return image;
    }
    QImage image(size, QImage::Format_RGB32);
    DrawPlainBackground(image, book, false);
    return image;
}

} // namespace

CMyRichEditView::CMyRichEditView(CLeafturnerDoc* document, ViewHost* host, QWidget* parent)
    : QAbstractScrollArea(parent), CMyView(document), m_host(host)
{
    setObjectName(QStringLiteral("EditView"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);

    m_edit = new CMyRichEdit(this, viewport());
    setFocusProxy(m_edit);
    m_find = std::make_unique<FindReplaceController>(m_edit, this, [this] { return m_loaded; });
    ApplyFormats();

    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, 0);
    bar->setPageStep(1);
    connect(bar, &QScrollBar::actionTriggered, this, &CMyRichEditView::OnScrollAction);
    // The bar follows the control at once; the timer catches what the control does not announce.
    connect(m_edit->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { SyncScrollBar(false); });
    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, [this] { SyncScrollBar(false); });
}

CMyRichEditView::~CMyRichEditView()
{
    // The control goes after this object's own part: it must not call back into it.
    m_edit->verticalScrollBar()->disconnect(this);
    m_timer->stop();
    // The document may be gone already (a deferred delete): the book is the last one opened.
    if (m_loaded)
        ReportReadingPosition(ParaGetString(PARA_LAST_PATH), m_edit->FirstVisibleOffset());
}

TextBuffer* CMyRichEditView::Buffer() const
{
    return GetDocument() ? GetDocument()->Buffer() : nullptr;
}

bool CMyRichEditView::FindNext()
{
    return m_find->FindNext();
}

bool CMyRichEditView::IsTextModified() const
{
    return m_loaded && m_edit->document()->isModified();
}

void CMyRichEditView::SetTextModified(bool modified)
{
    m_edit->document()->setModified(modified);
}

bool CMyRichEditView::CommitEdits()
{
    TextBuffer* buffer = Buffer();
    if (!buffer || !m_loaded)
        return true;
    const QString text = m_edit->TextWithCrs();
    const auto length = static_cast<std::size_t>(text.size());
    // Allocate drops the old text first: make sure the room exists before giving it up, so a failure
    // leaves the book's text as it was.
    if (length > static_cast<std::size_t>(kMaxTextUnits) ||
        !std::unique_ptr<char16_t[]>(new (std::nothrow) char16_t[length + 1])) {
        ShowMessage(MsgOutOfMemory(), MsgIcon::Warning);
        return false;
    }
    const SourceEncoding encoding = buffer->Encoding();
    char16_t* room = buffer->Allocate(length + 1);
    if (!room) {
        ShowMessage(MsgOutOfMemory(), MsgIcon::Warning);
        return false;
    }
    std::copy_n(reinterpret_cast<const char16_t*>(text.constData()), length, room);
    room[length] = u'\0';
    buffer->SetLength(length);
    buffer->SetEncoding(encoding);
    return true;
}

std::int32_t CMyRichEditView::OffsetUnderMouse()
{
    return m_edit->FirstVisibleOffset();
}

void CMyRichEditView::GoToOffset(std::int32_t offset)
{
    if (!m_loaded)
        return;
    offset = std::max(0, offset);
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(m_edit->ControlPosition(offset));
    m_edit->setTextCursor(cursor);
    m_edit->ScrollToLine(m_edit->LineOfOffset(offset));
    SyncScrollBar(false);
    if (m_host)
        m_host->PushStatusText(this);
}

int CMyRichEditView::LineCount() const
{
    return m_edit->LineCount();
}

int CMyRichEditView::FirstVisibleLine() const
{
    return m_edit->FirstVisibleLine();
}

QString CMyRichEditView::FormatStatusText() const
{
    return QString::asprintf("%.02f%%", FirstVisibleLine() * 100.0 / LineCount());
}

QString CMyRichEditView::FormatPositionLabel(std::int32_t offset) const
{
    return QString::asprintf("%.02f%%", m_edit->LineOfOffset(offset) * 100.0 / LineCount());
}

std::int32_t CMyRichEditView::CurrentOffset() const
{
    return m_edit->OffsetOfLine(FirstVisibleLine() + m_edit->LinesPerPage());
}

void CMyRichEditView::LoadFromBuffer()
{
    TextBuffer* buffer = Buffer();
    if (!buffer) {
        m_edit->LoadText(nullptr, 0);
        m_edit->setReadOnly(true);
        m_loaded = false;
        return;
    }
    const char16_t* text = nullptr;
    std::int32_t length = 0;
    buffer->GetText(&text, &length);
    m_edit->setReadOnly(false);
    m_edit->LoadText(text, length);
    m_loaded = true;
    if (!m_timer->isActive())
        m_timer->start();
}

void CMyRichEditView::Relayout()
{
    // A new text from the buffer (after a reformat or a repair): keep the place as far as it exists.
    const std::int32_t top = m_loaded ? m_edit->FirstVisibleOffset() : 0;
    LoadFromBuffer();
    GoToOffset(top);
    SyncScrollBar(true);
}

void CMyRichEditView::OnInitialUpdate()
{
    SyncScrollBar(true);
    PlaceColumn();
    LoadFromBuffer();
    if (m_loaded)
        m_edit->setFocus();
    SyncScrollBar(true);
    if (m_host)
        m_host->PushStatusText(this);
}

void CMyRichEditView::ApplyFormats()
{
    const TextMetrics& metrics = TheTextMetrics();
    QFont font = metrics.HasFont() ? metrics.ReadingFont() : m_edit->font();
    font.setPixelSize(std::clamp(ParaGetInt(PARA_FONT_SIZE), 1, 400));
    font.setBold(ParaGetInt(PARA_FONT_BOLD) != 0);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    m_edit->setFont(font);
    // The paper shows through the control, so the text colour chosen for it stays readable.
    QPalette palette = m_edit->palette();
    const QColor text = QColorFromRef(static_cast<COLORREF>(ParaGetInt(PARA_TEXT_COLOR)));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Base, Qt::transparent);
    }
    m_edit->setPalette(palette);
    m_edit->viewport()->setAutoFillBackground(false);
    m_edit->setAutoFillBackground(false);
}

void CMyRichEditView::SettingsChanged()
{
    const std::int32_t top = m_edit->FirstVisibleOffset();
    const QTextCursor selection = m_edit->textCursor();
    const bool modified = m_edit->document()->isModified();
    ApplyFormats();
    PlaceColumn();
    m_edit->setTextCursor(selection);
    m_edit->document()->setModified(modified);
    if (m_loaded)
        m_edit->ScrollToLine(m_edit->LineOfOffset(top));
    SyncScrollBar(true);
    viewport()->update();
}

QRect CMyRichEditView::EditColumn() const
{
    const QRect book = BookRect(viewport()->rect(), true);
    const long long cm = std::max(0, ParaGetInt(PARA_COVER_MARGIN));
    const long long width = book.width() - 2 * (cm + 6);
    const long long height = book.height() - 2 * cm - 1;
    // Margins too wide for the window leave the control the whole book rather than nothing.
    if (width < 1 || height < 1)
        return QRect(book.left(), book.top(), std::max(1, book.width()), std::max(1, book.height()));
    return QRect(book.left() + static_cast<int>(cm) + 6, book.top() + static_cast<int>(cm),
                 static_cast<int>(width), static_cast<int>(height));
}

void CMyRichEditView::PlaceColumn()
{
    m_edit->setGeometry(EditColumn());
    m_background = QImage();
    viewport()->update();
}

void CMyRichEditView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const std::int32_t top = m_loaded ? m_edit->FirstVisibleOffset() : 0;
    PlaceColumn();
    if (m_loaded)
        m_edit->ScrollToLine(m_edit->LineOfOffset(top));
    SyncScrollBar(false);
}

void CMyRichEditView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    if (m_background.size() != viewport()->size()) {
        const QSize size = viewport()->size();
        m_background = Buffer() ? ComposeEditBackground(size, BookRect(viewport()->rect(), true))
                                : ComposeReadingView(size, nullptr, QSize(), false, 0, 1.0);
    }
    const QRect r = event->rect();
    painter.drawImage(r, m_background, r);
}

bool CMyRichEditView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Wheel:
        // The wheel over the desk scrolls the text as it does over the text.
        QApplication::sendEvent(m_edit->viewport(), event);
        return true;
    case QEvent::MouseButtonPress:
        m_edit->setFocus();
        return true;
    default:
        return QAbstractScrollArea::viewportEvent(event);
    }
}

void CMyRichEditView::SyncScrollBar(bool force)
{
    const int lines = LineCount();
    const int first = FirstVisibleLine();
    const int page = m_edit->LinesPerPage();
    if (!force && lines == m_barLines && first == m_barFirst && page == m_barPage)
        return;
    m_barLines = lines;
    m_barFirst = first;
    m_barPage = page;
    m_settingBar = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, lines - 1));
    bar->setPageStep(std::max(1, page));
    bar->setValue(first);
    m_settingBar = false;
}

void CMyRichEditView::OnScrollAction(int action)
{
    if (m_settingBar || action == QAbstractSlider::SliderNoAction)
        return;
    QScrollBar* bar = verticalScrollBar();
    const int target = bar->sliderPosition();
    if (action == QAbstractSlider::SliderPageStepAdd || action == QAbstractSlider::SliderPageStepSub) {
        m_edit->Page(action == QAbstractSlider::SliderPageStepAdd);
    } else {
        m_edit->ScrollToLine(target);
    }
    // The control may stop short of the bar near the end of the text.
    QMetaObject::invokeMethod(
        this, [this] { SyncScrollBar(true); }, Qt::QueuedConnection);
}

void CMyRichEditView::PlaceCaretAtTop()
{
    QScrollBar* bar = m_edit->verticalScrollBar();
    const int value = bar->value();
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(m_edit->FirstVisiblePosition());
    m_edit->setTextCursor(cursor);
    bar->setValue(value);
}

void CMyRichEditView::GoToScrollToLine(int line)
{
    m_edit->ScrollToLine(std::clamp(line, 0, LineCount() - 1));
    PlaceCaretAtTop();
    SyncScrollBar(false);
}

void CMyRichEditView::GoToPushStatus()
{
    if (m_host)
        m_host->PushStatusText(this);
}

void CMyRichEditView::ShowContextMenuAt(const QPoint& globalPos)
{
    if (m_host)
        m_host->ShowContextMenu(159, globalPos);
}

void CMyRichEditView::ShowContextMenuAtMiddle()
{
    ShowContextMenuAt(mapToGlobal(QPoint(width() / 2, height() / 2)));
}

void CMyRichEditView::PostCommand(int id)
{
    if (m_host)
        m_host->PostCommand(id);
}

// ---- commands
