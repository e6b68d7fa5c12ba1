// Creating the reading view or the edit view.
#include "views/viewfactory.h"

#include "views/leafturnerview.h"

QWidget* CreateViewWidget(bool editView, CLeafturnerDoc* document, ViewHost* host, QWidget* parent,
                          CMyView** view)
{
    if (editView)
        return nullptr;
    auto* reading = new CLeafturnerView(document, host, parent);
    *view = reading;
    return reading;
}
