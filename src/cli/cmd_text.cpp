// leafturner-cli text BOOK [--convert CONFIG]: the decoded text as UTF-8, every CR written as LF,
// optionally in the other script.
#include "cli/clicommand.h"
#include "cli/convertoption.h"

#include "convert/scriptconverter.h"
#include "document/textbuffer.h"
#include "document/codepage.h"

#include <algorithm>
#include <string>

int CmdText(QStringList args)
{
    ConvertConfig config = ConvertConfig::None;
    if (const int status = TakeConvertOption(args, &config); status != 0)
        return status;
    if (args.size() != 1)
        return CliUsageError(QStringLiteral("text needs exactly one BOOK"));
    std::shared_ptr<ScriptConverter> converter;
    if (config != ConvertConfig::None) {
        std::string loadError;
        converter = ScriptConverter::Get(config, &loadError);
        if (!converter)
            return CliFail(QString::fromStdString(loadError));
    }
    std::unique_ptr<TextBuffer> buffer;
    if (const int status = OpenBook(args.front(), buffer); status != 0)
        return status;
    const char16_t* text = nullptr;
    std::int32_t length = 0;
    buffer->GetText(&text, &length);
    // In slices, so a large book is never held twice over as UTF-8. A converted slice ends at a line
    // end, which no phrase crosses.
    constexpr std::int32_t kSlice = 1 << 20;
    for (std::int32_t at = 0; text && at < length;) {
        std::int32_t end = std::min(length, at + kSlice);
        if (converter) {
            std::int32_t cut = end;
            while (cut < length && cut - end < kSlice && text[cut - 1] != u'\r' && text[cut - 1] != u'\n')
                ++cut;
            end = cut;
        }
        if (end < length && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF)
            ++end; // keep a surrogate pair together
        const std::u16string_view slice(text + at, static_cast<std::size_t>(end - at));
        const std::u16string converted = converter ? converter->ConvertWhole(slice) : std::u16string();
        const std::u16string_view out = converter ? std::u16string_view(converted) : slice;
        std::string utf8 = CodePage::Utf16ToUtf8(out.data(), out.size());
        std::replace(utf8.begin(), utf8.end(), '\r', '\n');
        if (!CliWriteBytes(QByteArray::fromRawData(utf8.data(), static_cast<qsizetype>(utf8.size()))))
            break;
        at = end;
    }
    return 0;
}
