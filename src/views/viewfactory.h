// Creating the reading view or the edit view for the main window.
#pragma once

class CLeafturnerDoc;
class CMyView;
class QWidget;
class ViewHost;

// The new view's widget (parented to `parent`), with its CMyView side in *view; null when the view
// cannot be created.
QWidget* CreateViewWidget(bool editView, CLeafturnerDoc* document, ViewHost* host, QWidget* parent,
                          CMyView** view);
