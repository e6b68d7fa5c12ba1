// CLeafturnerView: the reading view.
#pragma once

#include "document/myview.h"

#include <QAbstractScrollArea>

class ViewHost;

class CLeafturnerView : public QAbstractScrollArea, public CMyView
{
    Q_OBJECT
public:
    CLeafturnerView(CLeafturnerDoc* document, ViewHost* host, QWidget* parent);

    void OnInitialUpdate() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ViewHost* m_host;
};
