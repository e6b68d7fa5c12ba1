// leafturner: the reader.
#include "app/guimessagesink.h"
#include "app/leafturnerapp.h"

#include "layout/screendefaults.h"
#include "settings/profile.h"
#include "settings/readingposition.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Leafturner"));
    QApplication::setOrganizationName(QStringLiteral("Leafturner"));

    GuiMessageSink sink;
    SetMessageSink(&sink);

    QStringList args = QApplication::arguments().mid(1);
    CoreOptions options;
    QString error;
    if (!ExtractCoreOptions(args, options, &error)) {
        ShowMessage(error, MsgIcon::Error);
        return 2;
    }
    options.screen = ScreenDefaults();
    int failure = 2;
    if (!InitCore(options, QApplication::applicationDirPath(), &error, &failure)) {
        ShowMessage(error, MsgIcon::Error);
        return failure;
    }

    int rc = 1;
    {
        CLeafturnerApp leafturner;
        // A first start shows a real book rather than an empty desk.
        leafturner.SetFirstRunBook(CLeafturnerApp::DataFilePath(QStringLiteral("sample/论语.txt")));
        if (leafturner.InitInstance(args))
            rc = QApplication::exec();
        leafturner.ExitInstance();
    }
    // The edit view reports its place as it goes, with the window.
    StopReadingPositionWriter();
    SetMessageSink(nullptr);
    return rc;
}
