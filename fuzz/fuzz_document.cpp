// Arbitrary bytes through book decoding, line-end normalisation and the line reader.
#include "document/mappedtextfile.h"
#include "document/textbuffer.h"
#include "document/textcount_p.h"
#include "document/codepage.h"
#include "settings/messagesink.h"

#include "fuzzsupport.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool init = CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
    (void)init;
    static QuietSink sink;
    SetMessageSink(&sink);

    // The whole book: no LF survives, the text ends with a NUL and never outgrows its bytes.
    TextBuffer book;
    const bool loaded = book.LoadFromBytes(data, size);
    const char16_t* text = nullptr;
    std::int32_t length = 0;
    book.GetText(&text, &length);
    Check(loaded);
    Check(length >= 0 && static_cast<std::size_t>(length) <= size);
    if (text) {
        Check(text[length] == u'\0');
        for (std::int32_t i = 0; i < length; ++i)
            Check(text[i] != u'\n');
    }

    // Counting in pieces agrees with counting in one go.
    const std::size_t piece = size > 0 ? 1 + data[0] % 7 : 1;
    auto whole = [&](const PieceVisitor& visit) {
        visit(data, size);
        return true;
    };
    auto pieces = [&](const PieceVisitor& visit) {
        for (std::size_t at = 0; at < size; at += piece)
            visit(data + at, std::min(piece, size - at));
        return true;
    };
    Check(CountDecodedUnits(whole, SIZE_MAX - 1) == CountDecodedUnits(pieces, SIZE_MAX - 1));

    // The transcoder's modes agree with each other.
    std::u16string plain(size + 16, u'\0'), lines(size + 16, u'\0');
    plain.resize(CodePage::Utf8ToUtf16(data, size, plain.data()));
    Check(CodePage::Utf8ToUtf16(data, size, nullptr) == plain.size());
    lines.resize(CodePage::Utf8ToUtf16(data, size, lines.data(), {.crLineEnds = true}));
    plain.resize(NormaliseLineEnds(plain.data(), plain.size()));
    Check(lines == plain);

    // Line by line: bounded, and no line holds a line end.
    MappedTextFile reader;
    if (reader.Attach(data, static_cast<std::uint32_t>(size), true)) {
        QString line;
        std::size_t count = 0;
        while (reader.ReadLine(line)) {
            Check(++count <= size);
            Check(!line.contains(u'\r') && !line.contains(u'\n'));
        }
    }
    SetMessageSink(nullptr);
    return 0;
}
