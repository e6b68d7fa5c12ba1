// CLeafturnerView: the reading view (pages come with the layout library).
#include "views/leafturnerview.h"

#include <QPainter>

CLeafturnerView::CLeafturnerView(CLeafturnerDoc* document, ViewHost* host, QWidget* parent)
    : QAbstractScrollArea(parent), CMyView(document), m_host(host)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void CLeafturnerView::OnInitialUpdate()
{
    viewport()->update();
}

void CLeafturnerView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), Qt::black);
}
