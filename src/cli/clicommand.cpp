// Output and option helpers of leafturner-cli.
#include "cli/clicommand.h"

#include "cli/clihelp.h"

#include "document/textbuffer.h"
#include "settings/messagesink.h"

#include <cstdio>
#include <optional>

bool CliWriteBytes(const QByteArray& bytes)
{
    // After a failed write the rest is not tried: the command ends with CliFinish's failure.
    if (std::ferror(stdout))
        return false;
    return std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) ==
           static_cast<size_t>(bytes.size());
}

bool CliWrite(const QString& text)
{
    return CliWriteBytes(text.toUtf8());
}

bool CliPrintLine(const QString& line)
{
    return CliWriteBytes(line.toUtf8() + '\n');
}

int CliFinish(int status)
{
    const bool flushed = std::fflush(stdout) == 0;
    if (status == 0 && (!flushed || std::ferror(stdout))) {
        std::fprintf(stderr, "%s\n", QStringLiteral("文件保存失败。").toUtf8().constData());
        return 1;
    }
    return status;
}

int CliUsageError(const QString& message)
{
    std::fprintf(stderr, "leafturner-cli: %s\n", message.toUtf8().constData());
    CliPrintUsageSummary(stderr);
    return 2;
}

int CliFail(const QString& message)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    return 1;
}

bool TakeOption(QStringList& args, const QString& name, QString* value, QString* error)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == name) {
            if (i + 1 >= args.size()) {
                if (error)
                    *error = name + QStringLiteral(" needs a value");
                args.removeAt(i);
                return false;
            }
            *value = args[i + 1];
            args.remove(i, 2);
            return true;
        }
        if (a.startsWith(name + u'=')) {
            *value = a.mid(name.size() + 1);
            args.removeAt(i);
            return true;
        }
    }
    return false;
}

bool TakeFlag(QStringList& args, const QString& name)
{
    return args.removeAll(name) > 0;
}

bool ParseWindowSize(const QString& text, QSize* size)
{
    const QStringList parts = text.toLower().split(u'x');
    if (parts.size() != 2)
        return false;
    int w = 0, h = 0;
    if (!ParseInteger(parts[0], &w) || !ParseInteger(parts[1], &h))
        return false;
    if (w < 1 || h < 1 || w > 100000 || h > 100000)
        return false;
    *size = QSize(w, h);
    return true;
}

bool ParseInteger(const QString& text, int* value)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok)
        return false;
    *value = v;
    return true;
}

namespace {

std::optional<EncodingChoice> g_choice;

// Passes messages on and remembers whether loading already told the user why it failed.
class CountingSink : public MessageSink
{
public:
    explicit CountingSink(MessageSink& next) : m_next(next) {}
    MsgAnswer Show(const QString& text, MsgButtons buttons, MsgIcon icon) override
    {
        ++m_count;
        return m_next.Show(text, buttons, icon);
    }
    int Count() const { return m_count; }

private:
    MessageSink& m_next;
    int m_count = 0;
};

} // namespace

void SetCliEncodingChoice(const EncodingChoice& choice)
{
    g_choice = choice;
}

int OpenBook(const QString& path, std::unique_ptr<TextBuffer>& buffer)
{
    // The reader opens such a file as a document without text; here that is a failure to open it.
    if (!HasBookExtension(path))
        return CliFail(MsgOpenFailed());
    CountingSink counting(CurrentMessageSink());
    ScopedMessageSink scoped(&counting);
    buffer = g_choice ? CreateTextBuffer(path, *g_choice) : CreateTextBuffer(path);
    if (buffer)
        return 0;
    return counting.Count() == 0 ? CliFail(MsgOpenFailed()) : 1;
}
