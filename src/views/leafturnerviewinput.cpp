// CLeafturnerView: keys, mouse, wheel, the context menu and the scroll bar turn pages.
#include "views/leafturnerview.h"

#include "layout/pagegeometry.h"
#include "settings/parablock.h"
#include "ui/commandids.h"
#include "views/viewhost.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

void CLeafturnerView::keyPressEvent(QKeyEvent* event)
{
    auto post = [this](int id) {
        if (m_host)
            m_host->PostCommand(id);
    };
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_Left:
            post(Cmd::Back);
            break;
        case Qt::Key_Right:
            post(Cmd::Forward);
            break;
        default:
            break;
        }
    } else {
        switch (event->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_PageUp:
        case Qt::Key_Left:
        case Qt::Key_Up:
            post(Cmd::PrevPage);
            break;
        case Qt::Key_Space:
        case Qt::Key_PageDown:
        case Qt::Key_Right:
        case Qt::Key_Down:
            post(Cmd::NextPage);
            break;
        case Qt::Key_End:
            post(Cmd::LastPage);
            break;
        case Qt::Key_Home:
            post(Cmd::FirstPage);
            break;
        default:
            break;
        }
    }
    event->accept();
}

void CLeafturnerView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_host) {
        const bool right = event->position().x() >= viewport()->width() / 2;
        const bool vertical = ParaGetInt(PARA_VERTICAL_LINE) != 0;
        m_host->PostCommand(right != vertical ? Cmd::NextPage : Cmd::PrevPage);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CLeafturnerView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !Buffer() && m_host)
        m_host->PostCommand(Cmd::FileOpen);
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void CLeafturnerView::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        return;
    // Fine-grained wheels and touchpads send parts of a notch: they add up to whole turns.
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    if ((delta > 0) != (m_wheelRest > 0))
        m_wheelRest = 0;
    m_wheelRest += delta;
    const int steps = m_wheelRest / 120;
    m_wheelRest -= steps * 120;
    if (steps == 0)
        return;
    ShowPage(m_currentPage - (m_spread ? 2 * steps : steps));
}

void CLeafturnerView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_host)
        return;
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard)
        global = viewport()->mapToGlobal(QPoint(5, 5));
    m_host->ShowContextMenu(160, global);
}

bool CLeafturnerView::viewportEvent(QEvent* event)
{
    // Wheel turns are handled above; the scroll area must not scroll the viewport on its own.
    if (event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CLeafturnerView::OnScrollAction(int action)
{
    if (m_settingScroll)
        return;
    QScrollBar* bar = verticalScrollBar();
    auto post = [this](int id) {
        if (m_host)
            m_host->PostCommand(id);
    };
    const int position = m_spread ? m_currentPage / 2 : m_currentPage;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
        bar->setSliderPosition(position);
        post(Cmd::PrevPage);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
        bar->setSliderPosition(position);
        post(Cmd::NextPage);
        break;
    case QAbstractSlider::SliderToMinimum:
        bar->setSliderPosition(position);
        post(Cmd::FirstPage);
        break;
    case QAbstractSlider::SliderToMaximum:
        bar->setSliderPosition(position);
        post(Cmd::LastPage);
        break;
    case QAbstractSlider::SliderMove: {
        const int value = bar->sliderPosition();
        ShowTrackedPage(m_spread ? value * 2 : value);
        break;
    }
    default:
        break;
    }
}

void CLeafturnerView::OnScrollValueChanged(int value)
{
    if (m_settingScroll || m_pageCount == 0)
        return;
    const int page = m_spread ? value * 2 : value;
    if (ClampPage(page, m_pageCount, m_spread) == m_currentPage)
        return;
    if (verticalScrollBar()->isSliderDown())
        ShowTrackedPage(page);
    else
        ShowPage(page);
}

void CLeafturnerView::OnSliderReleased()
{
    SetScrollPosition(m_currentPage);
}
