// Creating the reading view or the edit view.
#include "views/viewfactory.h"

#include "views/leafturnerview.h"
#include "views/myricheditview.h"

QWidget* CreateViewWidget(bool editView, CLeafturnerDoc* document, ViewHost* host, QWidget* parent,
                          CMyView** view)
{
    if (editView) {
        auto* edit = new CMyRichEditView(document, host, parent);
        *view = edit;
        return edit;
    }
    auto* reading = new CLeafturnerView(document, host, parent);
    *view = reading;
    return reading;
}
