// Shared pieces of leafturner-cli's commands: output, errors and option parsing.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>

class TextBuffer;
struct EncodingChoice;

// Writes text as UTF-8 to standard output (no newline added); false once a write failed.
bool CliWrite(const QString& text);
bool CliWriteBytes(const QByteArray& bytes);
bool CliPrintLine(const QString& line);
// The command's exit status, made 1 (with the message) when standard output could not take it all.
int CliFinish(int status);

// Usage error: "leafturner-cli: <message>" on standard error; returns 2.
int CliUsageError(const QString& message);
// Failure of the work: the system's message on standard error; returns 1.
int CliFail(const QString& message);

// Takes "--name VALUE" or "--name=VALUE" out of `args`. Returns false when absent; `error` is set
// when the option is present without a value.
bool TakeOption(QStringList& args, const QString& name, QString* value, QString* error);
// Takes a flag "--name" out of `args`.
bool TakeFlag(QStringList& args, const QString& name);
// "800x600" -> QSize(800, 600); false for anything else (both parts 1..100000).
bool ParseWindowSize(const QString& text, QSize* size);
// A whole decimal number, optionally negative.
bool ParseInteger(const QString& text, int* value);

// --encoding NAME for every book a command loads (Auto unless given).
void SetCliEncodingChoice(const EncodingChoice& choice);

// Loads a ".txt" book for a command. 0 on success; otherwise the exit status, its message already
// on standard error.
int OpenBook(const QString& path, std::unique_ptr<TextBuffer>& buffer);

// For the commands that draw pages: "--window WxH" within what can be drawn (0, or the usage
// error's status), and a book opened with the reading font, page engine and pictures ready.
int ParseDrawingWindow(const QString& text, QSize* window);
// "--scale S" (1 to 4, default 1): device pixels per window pixel, as on a 200 % screen for 2.
// 0, or the usage error's status; the window must still be drawable at that scale.
int TakeScaleOption(QStringList& args, QSize window, double* scale);
int OpenBookForDrawing(const QString& path, std::unique_ptr<TextBuffer>& buffer);

// The commands. Each takes the arguments after its name (common options already removed).
int CmdInfo(QStringList args);
int CmdText(QStringList args);
int CmdSettings(QStringList args);
int CmdPaginate(QStringList args);
int CmdRender(QStringList args);
int CmdTurn(QStringList args);
int CmdChapters(QStringList args);
int CmdReformat(QStringList args);
int CmdHistory(QStringList args);
int CmdSearch(QStringList args);
