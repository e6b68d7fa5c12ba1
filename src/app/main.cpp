// leafturner: the reader.
#include "app/commandline.h"
#include "app/guimessagesink.h"
#include "app/leafturnerapp.h"
#include "app/qttranslations.h"
#include "app/singleinstance.h"
#include "app/singleinstancereader.h"

#include "layout/screendefaults.h"
#include "settings/profile.h"
#include "settings/readingposition.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Answered before the application exists, so they work without a display.
    if (const int status = HandleEarlyReaderOptions(argc, argv); status >= 0)
        return status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Leafturner"));
    QApplication::setOrganizationName(QStringLiteral("Leafturner"));

    const QtTranslations qtTexts;
    GuiMessageSink sink;
    SetMessageSink(&sink);

    // Qt has taken its own options (-platform, -style...) out of the arguments by now.
    QStringList args = QApplication::arguments().mid(1);
    CoreOptions options;
    QString error;
    if (!ExtractCoreOptions(args, options, &error))
        return ReaderUsageError(error);
    const ReaderCommandLine line = ParseReaderCommandLine(args);
    if (line.action == ReaderCommandLine::Action::UsageError)
        return ReaderUsageError(line.error);

    options.screen = ScreenDefaults();
    int failure = 2;
    if (!InitCore(options, QApplication::applicationDirPath(), &error, &failure)) {
        ShowMessage(error, MsgIcon::Error);
        return failure;
    }

    ReaderInstance instance(ProfileDir());
    if (!line.newWindow && instance.HandOverOrListen(line.book) == ReaderInstance::Start::HandedOver)
        return 0;

    int rc = 1;
    {
        CLeafturnerApp leafturner;
        // A first start shows a real book rather than an empty desk.
        leafturner.SetFirstRunBook(CLeafturnerApp::DataFilePath(QStringLiteral("sample/论语.txt")));
        if (leafturner.InitInstance(line.book.isEmpty() ? QStringList() : QStringList{line.book})) {
            ConnectReaderInstance(instance, leafturner);
            rc = QApplication::exec();
        }
        leafturner.ExitInstance();
    }
    // The edit view reports its place as it goes, with the window.
    StopReadingPositionWriter();
    SetMessageSink(nullptr);
    return rc;
}
