// The reader's own command line: --help, --version, --new-window and at most one book.
#pragma once

#include <QString>
#include <QStringList>

struct ReaderCommandLine
{
    enum class Action
    {
        Run,
        Help,
        Version,
        UsageError,
    };
    Action action = Action::Run;
    QString book;           // absolute path; empty when none was named
    bool newWindow = false; // do not hand the book to a running reader
    QString error;          // for UsageError
};

// `args` come without the program name and without the options ExtractCoreOptions takes. Anything
// starting with '-' that is not known is refused rather than opened as a book; "--" ends options.
ReaderCommandLine ParseReaderCommandLine(const QStringList& args);

// --help / -h and --version answered before the application (and a display) exists: prints to
// standard output and returns 0; -1 when neither is asked for.
int HandleEarlyReaderOptions(int argc, char** argv);
// "leafturner: <error>" and the usage on standard error; returns 2.
int ReaderUsageError(const QString& error);

QString ReaderUsageText();
QString ReaderVersionText();
// The version both programs print.
QString LeafturnerVersion();
