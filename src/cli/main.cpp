// leafturner-cli: the reader's libraries without a window, for scripts, tests and benchmarks.
#include "cli/clicommand.h"

#include "settings/messagesink.h"
#include "settings/profile.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

namespace {

struct Command
{
    const char* name;
    int (*run)(QStringList);
    bool needsFonts; // measuring and drawing text needs a (headless) GUI application
};

constexpr Command kCommands[] = {
    {"info", CmdInfo, false},         {"text", CmdText, false},         {"settings", CmdSettings, false},
    {"paginate", CmdPaginate, true},  {"render", CmdRender, true},      {"turn", CmdTurn, true},
    {"chapters", CmdChapters, false}, {"reformat", CmdReformat, false}, {"search", CmdSearch, false},
};

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));

    CoreOptions options;
    QString error;
    if (!ExtractCoreOptions(args, options, &error))
        return CliUsageError(error);
    if (args.isEmpty())
        return CliUsageError(QStringLiteral("no command given"));

    const QString name = args.takeFirst();
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name))
            command = &c;
    if (!command)
        return CliUsageError(QStringLiteral("unknown command: ") + name);

    std::unique_ptr<QCoreApplication> app;
    if (command->needsFonts) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Leafturner"));

    StderrMessageSink sink;
    ScopedMessageSink scoped(&sink);
    options.screen = ParaScreen{1920, 0xFFFFFF};
    if (!InitCore(options, QCoreApplication::applicationDirPath(), &error))
        return CliUsageError(error);
    return command->run(args);
}
