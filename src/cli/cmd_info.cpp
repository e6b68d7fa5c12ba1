// leafturner-cli info BOOK: the encoding a book was read in and the length of its text; and the
// book loading the commands share.
#include "cli/clicommand.h"

#include "document/textbuffer.h"
#include "settings/messagesink.h"

#include <QFileInfo>

namespace {

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

int OpenBook(const QString& path, std::unique_ptr<TextBuffer>& buffer)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || name.mid(dot).compare(QLatin1String(".txt"), Qt::CaseInsensitive) != 0)
        return CliFail(QStringLiteral("leafturner-cli: only .txt books can be read: ") + path);
    CountingSink counting(CurrentMessageSink());
    ScopedMessageSink scoped(&counting);
    buffer = CreateTextBuffer(path);
    if (buffer)
        return 0;
    return counting.Count() == 0 ? CliFail(QStringLiteral("文件打开失败。")) : 1;
}

int CmdInfo(QStringList args)
{
    if (args.size() != 1)
        return CliUsageError(QStringLiteral("info needs exactly one BOOK"));
    std::unique_ptr<TextBuffer> buffer;
    if (const int status = OpenBook(args.front(), buffer); status != 0)
        return status;
    CliPrintLine(QStringLiteral("encoding: ") + SourceEncodingName(buffer->Encoding()));
    CliPrintLine(QStringLiteral("length: ") + QString::number(buffer->Length()));
    return 0;
}
