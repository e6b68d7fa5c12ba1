// CMainFrame: a file dropped on the window is opened as the book.
#include "app/mainframe.h"

#include "app/leafturnerapp.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            activateWindow();
            if (m_app)
                m_app->OpenDocumentFile(url.toLocalFile());
            return;
        }
    }
}
