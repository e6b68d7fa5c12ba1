// leafturner-cli text BOOK: the decoded text as UTF-8, every CR written as LF.
#include "cli/clicommand.h"

#include "document/textbuffer.h"
#include "settings/codepage.h"

#include <algorithm>
#include <string>

int CmdText(QStringList args)
{
    if (args.size() != 1)
        return CliUsageError(QStringLiteral("text needs exactly one BOOK"));
    std::unique_ptr<TextBuffer> buffer;
    if (const int status = OpenBook(args.front(), buffer); status != 0)
        return status;
    const char16_t* text = nullptr;
    std::int32_t length = 0;
    buffer->GetText(&text, &length);
    // In slices, so a large book is never held twice over as UTF-8.
    constexpr std::int32_t kSlice = 1 << 20;
    for (std::int32_t at = 0; text && at < length;) {
        std::int32_t end = std::min(length, at + kSlice);
        if (end < length && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF)
            ++end; // keep a surrogate pair together
        std::string utf8 = CodePage::Utf16ToUtf8(text + at, static_cast<std::size_t>(end - at));
        std::replace(utf8.begin(), utf8.end(), '\r', '\n');
        if (!CliWriteBytes(QByteArray::fromRawData(utf8.data(), static_cast<qsizetype>(utf8.size()))))
            break;
        at = end;
    }
    return 0;
}
