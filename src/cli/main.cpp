// leafturner-cli: the reader's libraries without a window, for scripts, tests and benchmarks.
#include "cli/clicommand.h"
#include "cli/clihelp.h"

#include "document/bookencoding.h"
#include "layout/screendefaults.h"
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
    bool needsFonts;               // measuring and drawing text needs a (headless) GUI application
    bool onlyReadsProfile = false; // finds the profile folder but creates and changes nothing there
};

constexpr Command kCommands[] = {
    {"info", CmdInfo, false},         {"text", CmdText, false},         {"settings", CmdSettings, false},
    {"paginate", CmdPaginate, true},  {"render", CmdRender, true},      {"turn", CmdTurn, true},
    {"chapters", CmdChapters, false}, {"reformat", CmdReformat, false}, {"search", CmdSearch, false},
    {"history", CmdHistory, false, true},
};

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));

    CoreOptions options;
    QString error;
    if (const int status = CliHandleHelpOptions(args); status >= 0)
        return status;
    if (!ExtractCoreOptions(args, options, &error))
        return CliUsageError(error);
    QString encoding;
    if (TakeOption(args, QStringLiteral("--encoding"), &encoding, &error)) {
        const auto choice = ParseEncodingChoice(encoding);
        if (!choice)
            return CliUsageError(QStringLiteral("unknown encoding: ") + encoding);
        SetCliEncodingChoice(*choice);
    } else if (!error.isEmpty()) {
        return CliUsageError(error);
    }
    if (args.isEmpty())
        return CliUsageError(QStringLiteral("no command given"));

    const QString name = args.takeFirst();
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name))
            command = &c;
    if (!command)
        return CliUsageError((name.startsWith(u'-') ? QStringLiteral("unknown option: ")
                                                    : QStringLiteral("unknown command: ")) +
                             name);

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
    options.screen = ScreenDefaults();
    if (command->onlyReadsProfile) {
        SetProfileDir(ResolveProfileDir(options.profile, QCoreApplication::applicationDirPath()));
        return CliFinish(command->run(args));
    }
    // Commands read the profile; the one that writes (reformat) writes only the file it is given.
    options.readOnlyProfile = true;
    int failure = 2;
    if (!InitCore(options, QCoreApplication::applicationDirPath(), &error, &failure))
        return failure == 1 ? CliFail(error) : CliUsageError(error);
    return CliFinish(command->run(args));
}
