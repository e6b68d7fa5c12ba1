// CLeafturnerView: pages, navigation, history, commands, re-layout and painting.
#include "views/leafturnerview.h"

#include "document/leafturnerdoc.h"
#include "layout/pagegeometry.h"
#include "layout/textmetrics.h"
#include "library/addbookmarkdialog.h"
#include "settings/displaysettingsdialog.h"
#include "settings/parablock.h"
#include "settings/readingposition.h"
#include "ui/commandids.h"
#include "views/readingrender.h"
#include "views/viewhost.h"

#include <QCursor>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

CLeafturnerView::CLeafturnerView(CLeafturnerDoc* document, ViewHost* host, QWidget* parent)
    : QAbstractScrollArea(parent), CMyView(document), m_host(host)
{
    setObjectName(QStringLiteral("ReadingView"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, 0);
    bar->setPageStep(1);
    connect(bar, &QScrollBar::actionTriggered, this, &CLeafturnerView::OnScrollAction);
    connect(bar, &QScrollBar::sliderReleased, this, &CLeafturnerView::OnSliderReleased);
    // Changes that come without an action ("Scroll here", keys on the bar) move the view too.
    connect(bar, &QScrollBar::valueChanged, this, &CLeafturnerView::OnScrollValueChanged);
}

CLeafturnerView::~CLeafturnerView() = default;

TextBuffer* CLeafturnerView::Buffer() const
{
    return GetDocument() ? GetDocument()->Buffer() : nullptr;
}

void CLeafturnerView::ComputeLayout(QSize* pageSize, bool* spread) const
{
    ComputePageSize(BookRect(viewport()->rect(), false), pageSize, spread);
}

void CLeafturnerView::UpdateScrollRange()
{
    m_settingScroll = true;
    QScrollBar* bar = verticalScrollBar();
    // One position per spread: the last one is the spread holding the last page.
    bar->setRange(0, std::max(0, m_spread ? (m_pageCount - 1) / 2 : m_pageCount - 1));
    bar->setPageStep(1);
    bar->setValue(0);
    bar->setEnabled(true);
    m_settingScroll = false;
}

void CLeafturnerView::SetScrollPosition(int page)
{
    m_settingScroll = true;
    verticalScrollBar()->setValue(m_spread ? page / 2 : page);
    m_settingScroll = false;
}

void CLeafturnerView::OnInitialUpdate()
{
    m_history.Reset();
    m_currentOffset = 0;
    m_pageCount = 0;
    m_currentPage = 0;
    m_pageSize = QSize(0, 0);
    m_spread = false;
    ComputeLayout(&m_pageSize, &m_spread);
    if (TextBuffer* buffer = Buffer()) {
        buffer->Paginate(m_pageSize);
        m_pageCount = buffer->PageCount();
        // A new book starts at its beginning: the last book's place must not stand for it.
        ReportPosition();
    }
    ++m_layoutGeneration;
    UpdateScrollRange();
    Repaint();
    if (m_host)
        m_host->PushStatusText(this);
}

void CLeafturnerView::ShowPage(int page)
{
    if (MoveToPage(page, true))
        SetScrollPosition(m_currentPage);
}

void CLeafturnerView::ShowTrackedPage(int page)
{
    // Dragging the thumb moves without history and without animation.
    MoveToPage(page, false);
}

bool CLeafturnerView::MoveToPage(int page, bool recordHistory)
{
    if (m_pageCount == 0)
        return false;
    const int p = ClampPage(page, m_pageCount, m_spread);
    if (p == m_currentPage)
        return false;
    m_currentPage = p;
    TextBuffer* buffer = Buffer();
    m_currentOffset = buffer ? buffer->PageStart(p) : 0;
    if (recordHistory)
        m_history.Record(m_currentOffset);
    ReportPosition();
    Repaint();
    if (m_host)
        m_host->PushStatusText(this);
    return true;
}

void CLeafturnerView::ReportPosition() const
{
    if (const CLeafturnerDoc* doc = GetDocument())
        ReportReadingPosition(doc->PathName(), m_currentOffset);
}

void CLeafturnerView::TurnPage(int target)
{
    if (TextBuffer* buffer = Buffer()) {
        const int from = ClampPage(m_currentPage, m_pageCount, m_spread);
        const int to = ClampPage(target, m_pageCount, m_spread);
        if (m_pageCount > 0 && from != to)
            PlayReadingPageTurn(*this, *buffer, from, to, [this](const QImage& frame) {
                m_turnFrame = frame;
                viewport()->repaint();
            });
        m_turnFrame = QImage();
    }
    ShowPage(target);
}

void CLeafturnerView::Relayout()
{
    TextBuffer* buffer = Buffer();
    if (!buffer)
        return;
    m_pageCount = buffer->Paginate(m_pageSize);
    ++m_layoutGeneration;
    UpdateScrollRange();
    // The reading position stays what it was: only the page holding it is found again.
    m_currentPage = ClampPage(buffer->PageOf(m_currentOffset), m_pageCount, m_spread);
    SetScrollPosition(m_currentPage);
    if (m_host)
        m_host->PushStatusText(this);
    Repaint();
}

void CLeafturnerView::SettingsChanged(bool layoutChanged)
{
    (void)layoutChanged;
    if (Buffer()) {
        ComputeLayout(&m_pageSize, &m_spread);
        Relayout();
    }
    Repaint();
}

void CLeafturnerView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_pageSize.width() == 0 || m_pageSize.height() == 0)
        return;
    QSize size = m_pageSize;
    bool spread = m_spread;
    ComputeLayout(&size, &spread);
    if (size == m_pageSize && spread == m_spread)
        return;
    if (size.width() != 0 && size.height() != 0) {
        m_pageSize = size;
        m_spread = spread;
        Relayout();
    }
}

std::int32_t CLeafturnerView::OffsetUnderMouse()
{
    return OffsetAt(viewport()->mapFromGlobal(QCursor::pos()));
}

std::int32_t CLeafturnerView::OffsetAt(QPoint viewportPos) const
{
    TextBuffer* buffer = Buffer();
    if (!buffer || m_pageCount <= 0)
        return 0;
    int page = m_currentPage;
    if (m_spread) {
        // Vertical books read from right to left: the page beside the current one is on the left.
        const bool rightHalf = viewportPos.x() >= viewport()->width() / 2;
        const bool vertical = ParaGetInt(PARA_VERTICAL_LINE) != 0;
        if (rightHalf != vertical)
            ++page;
    }
    // The blank half of a last odd spread stands for the last page.
    return buffer->PageStart(std::clamp(page, 0, m_pageCount - 1));
}

void CLeafturnerView::GoToOffset(std::int32_t offset)
{
    TextBuffer* buffer = Buffer();
    if (!buffer || m_pageCount == 0)
        return;
    // The offset itself is the position kept, so that a later re-layout shows the page holding it.
    offset = std::clamp(offset, 0, std::max(0, buffer->Length()));
    const int p = ClampPage(buffer->PageOf(offset), m_pageCount, m_spread);
    const bool turned = p != m_currentPage;
    m_currentPage = p;
    m_currentOffset = offset;
    if (turned)
        m_history.Record(m_currentOffset);
    ReportPosition();
    SetScrollPosition(m_currentPage);
    Repaint();
    if (m_host)
        m_host->PushStatusText(this);
}

QString CLeafturnerView::FormatStatusText() const
{
    if (m_pageCount <= 0)
        return {};
    return QString::asprintf("%d/%d, %.02f%%", m_currentPage + 1, m_pageCount,
                             PagePercent(m_currentPage, m_pageCount));
}

QString CLeafturnerView::FormatPositionLabel(std::int32_t offset) const
{
    TextBuffer* buffer = Buffer();
    if (!buffer)
        return {};
    return QString::number(buffer->PageOf(offset) + 1);
}

std::int32_t CLeafturnerView::CurrentOffset() const
{
    TextBuffer* buffer = Buffer();
    if (!buffer || m_pageCount <= 0)
        return 0;
    int b = m_currentPage + 1;
    if (m_spread)
        ++b;
    // On the last view the reader is at the end: a chapter that starts there is being read.
    if (b >= m_pageCount)
        return buffer->Length();
    const std::int32_t c = buffer->PageStart(b);
    return c > 0 ? c - 1 : 0;
}

void CLeafturnerView::GoToPushStatus()
{
    if (m_host)
        m_host->PushStatusText(this);
}

bool CLeafturnerView::OnCmdMsg(int id)
{
    switch (id) {
    case Cmd::FirstPage:
        ShowPage(0);
        return true;
    case Cmd::PrevPage:
        TurnPage(m_currentPage - (m_spread ? 2 : 1));
        return true;
    case Cmd::NextPage:
        TurnPage(m_currentPage + (m_spread ? 2 : 1));
        return true;
    case Cmd::LastPage:
        ShowPage(m_pageCount - 1);
        return true;
    case Cmd::Back:
        if (m_history.CanGoBack() && Buffer())
            ShowPage(Buffer()->PageOf(m_history.Back()));
        return true;
    case Cmd::Forward:
        if (m_history.CanGoForward() && Buffer())
            ShowPage(Buffer()->PageOf(m_history.Forward()));
        return true;
    case Cmd::Vertical:
        ParaSetInt(ParaGetInt(PARA_VERTICAL_LINE) ? 0 : 1, PARA_VERTICAL_LINE);
        RebuildTextMetrics();
        // Cell and pitch may swap roles: the page size is computed again.
        ComputeLayout(&m_pageSize, &m_spread);
        Relayout();
        Repaint();
        return true;
    case Cmd::GoToPage:
        if (Buffer() && m_pageCount > (m_spread ? 2 : 1)) {
            GoToPageDialog dialog(this, this);
            dialog.exec();
        }
        return true;
    case Cmd::AddBookmark:
        if (Buffer())
            RunAddBookmarkDialog(window(), GetDocument()->PathName(), m_currentOffset);
        return true;
    case Cmd::DisplaySettings: {
        bool layoutChanged = false;
        if (RunDisplaySettingsDialog(window(), &layoutChanged))
            SettingsChanged(layoutChanged);
        else
            Repaint();
        return true;
    }
    default:
        return false;
    }
}

bool CLeafturnerView::OnUpdateCmdUI(int id, CmdUI& ui)
{
    const bool hasText = Buffer() != nullptr;
    switch (id) {
    case Cmd::FirstPage:
    case Cmd::PrevPage:
    case Cmd::NextPage:
    case Cmd::LastPage:
    case Cmd::GoToPage:
    case Cmd::AddBookmark:
        ui.enabled = hasText;
        return true;
    case Cmd::Back:
        ui.enabled = m_history.CanGoBack();
        return true;
    case Cmd::Forward:
        ui.enabled = m_history.CanGoForward();
        return true;
    case Cmd::Vertical:
        ui.checked = ParaGetInt(PARA_VERTICAL_LINE) != 0;
        return true;
    case Cmd::DisplaySettings:
        return true;
    default:
        return false;
    }
}

QImage CLeafturnerView::ComposePage(int page) const
{
    return ComposeReadingView(viewport()->size(), GetDocument() ? GetDocument()->Buffer() : nullptr,
                              m_pageSize, m_spread, page, devicePixelRatioF());
}

void CLeafturnerView::Repaint()
{
    viewport()->update();
}

void CLeafturnerView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    if (!m_turnFrame.isNull()) {
        painter.drawImage(0, 0, m_turnFrame);
        return;
    }
    painter.drawImage(0, 0, ComposePage(m_currentPage));
    if (Buffer() && m_pageCount > 0)
        emit PagePainted();
}
