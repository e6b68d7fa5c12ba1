// Opening a handed-over book in the running reader.
#include "app/singleinstancereader.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "app/singleinstance.h"

void BringToFront(CMainFrame* frame)
{
    if (!frame)
        return;
    if (frame->isHidden())
        frame->ShowFromTray();
    if (frame->isMinimized())
        frame->setWindowState(frame->windowState() & ~Qt::WindowMinimized);
    frame->raise();
    frame->activateWindow();
}

void ConnectReaderInstance(ReaderInstance& instance, CLeafturnerApp& app)
{
    QObject::connect(&instance, &ReaderInstance::OpenRequested, &instance, [&app](const QString& book) {
        BringToFront(app.MainFrame());
        if (!book.isEmpty())
            app.OpenDocumentFile(book);
    });
    instance.SetReady();
}
