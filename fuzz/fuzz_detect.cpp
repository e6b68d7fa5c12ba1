// Arbitrary bytes through encoding detection and through reading in each encoding a reader can pick.
#include "document/bookencoding.h"
#include "document/encodingdetect.h"
#include "document/textbuffer.h"
#include "document/codepage.h"
#include "settings/messagesink.h"

#include "fuzzsupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool init = CodePage::SetAnsiCodePage(QStringLiteral("GB18030"));
    (void)init;
    static QuietSink sink;
    SetMessageSink(&sink);

    // Always an answer, the same one twice; a legacy answer names a code page; short text keeps
    // the default.
    const QString fallback = size > 0 && (data[0] & 1) ? QStringLiteral("CP950") : QStringLiteral("GB18030");
    const DetectedEncoding found = DetectEncoding(data, size, fallback);
    const DetectedEncoding again = DetectEncoding(data, size, fallback);
    Check(found.encoding == again.encoding && found.codePage == again.codePage);
    Check(found.encoding == SourceEncoding::Ansi || found.encoding == SourceEncoding::Utf16Le ||
          found.encoding == SourceEncoding::Utf16Be);
    Check(found.encoding != SourceEncoding::Ansi || !found.codePage.isEmpty());
    if (size < 96)
        Check(found.encoding == SourceEncoding::Ansi && found.codePage == fallback);

    // Each choice reads the bytes into a bounded, NUL-ended text with single-CR line ends.
    const QStringList names = EncodingChoiceNames();
    const QString name = names[static_cast<qsizetype>(size % static_cast<std::size_t>(names.size()))];
    TextBuffer book;
    const bool loaded = book.LoadFromBytes(data, size, *ParseEncodingChoice(name));
    Check(loaded);
    if (book.Text()) {
        Check(static_cast<std::size_t>(book.Length()) <= size);
        Check(book.Text()[book.Length()] == u'\0');
    }
    SetMessageSink(nullptr);
    return 0;
}
