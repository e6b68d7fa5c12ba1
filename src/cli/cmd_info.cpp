// leafturner-cli info BOOK: the encoding a book was read in, the length of its text and, for a
// legacy code page, which one.
#include "cli/clicommand.h"

#include "document/textbuffer.h"

int CmdInfo(QStringList args)
{
    if (args.size() != 1)
        return CliUsageError(QStringLiteral("info needs exactly one BOOK"));
    std::unique_ptr<TextBuffer> buffer;
    if (const int status = OpenBook(args.front(), buffer); status != 0)
        return status;
    CliPrintLine(QStringLiteral("encoding: ") + SourceEncodingName(buffer->Encoding()));
    CliPrintLine(QStringLiteral("length: ") + QString::number(buffer->Length()));
    // An empty file was never read in any code page.
    if (buffer->Encoding() == SourceEncoding::Ansi && buffer->HasText())
        CliPrintLine(QStringLiteral("codepage: ") + EncodingDisplayName(*buffer));
    return 0;
}
