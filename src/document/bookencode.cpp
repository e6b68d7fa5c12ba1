// Encoding a book's text back into the bytes of its file.
#include "document/codepage.h"
#include "document/textbuffer.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

// Appends `n` bytes to `out`, every CR byte followed by LF.
void AppendWithCrLf(QByteArray& out, const char* p, std::size_t n)
{
    const char* end = p + n;
    while (p < end) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
        const char* stop = cr ? cr + 1 : end;
        out.append(p, stop - p);
        if (cr)
            out.append('\n');
        p = stop;
    }
}

std::size_t CountCr(const char16_t* text, std::size_t n)
{
    return static_cast<std::size_t>(std::count(text, text + n, kCr));
}

QByteArray EncodeUtf16(const char16_t* text, std::size_t n, bool bigEndian, bool mark = true)
{
    QByteArray out(static_cast<qsizetype>(((mark ? 1 : 0) + n + CountCr(text, n)) * 2), Qt::Uninitialized);
    auto* p = reinterpret_cast<std::uint8_t*>(out.data());
    auto put = [&](char16_t u) {
        p[bigEndian ? 1 : 0] = static_cast<std::uint8_t>(u & 0xFF);
        p[bigEndian ? 0 : 1] = static_cast<std::uint8_t>(u >> 8);
        p += 2;
    };
    if (mark)
        put(0xFEFF);
    for (std::size_t i = 0; i < n; ++i) {
        put(text[i]);
        if (text[i] == kCr)
            put(kLf);
    }
    return out;
}

} // namespace

QByteArray TextBuffer::Encode(SourceEncoding* written) const
{
    const char16_t* text = m_text.get();
    const std::size_t n = text ? static_cast<std::size_t>(m_length) : 0;
    QByteArray out;
    SourceEncoding encoding = m_encoding;
    if (static_cast<std::int32_t>(encoding) < 0 || static_cast<std::int32_t>(encoding) > 4)
        encoding = SourceEncoding::Utf16Le; // not ours: keep every character rather than write nothing
    switch (encoding) {
    case SourceEncoding::Ansi: {
        bool exact = false;
        const QByteArray ansi = CodePage::Utf16ToLegacy(m_codePage, text, n, &exact);
        if (!exact) {
            // The code page cannot hold every character: keep them all as UTF-16LE. The stored
            // encoding stays, so the user's choice is not changed behind their back.
            encoding = SourceEncoding::Utf16Le;
            out = EncodeUtf16(text, n, false);
            break;
        }
        out.reserve(ansi.size() + static_cast<qsizetype>(CountCr(text, n)));
        AppendWithCrLf(out, ansi.constData(), static_cast<std::size_t>(ansi.size()));
        break;
    }
    case SourceEncoding::Utf16Le:
    case SourceEncoding::Utf16Be:
        out = EncodeUtf16(text, n, encoding == SourceEncoding::Utf16Be, m_marked);
        break;
    case SourceEncoding::Utf8Bom:
    case SourceEncoding::Utf8: {
        const std::string utf8 = CodePage::Utf16ToUtf8(text, n);
        out.reserve(static_cast<qsizetype>(utf8.size() + CountCr(text, n) + 3));
        if (encoding == SourceEncoding::Utf8Bom)
            out.append("\xEF\xBB\xBF", 3);
        AppendWithCrLf(out, utf8.data(), utf8.size());
        break;
    }
    }
    if (written)
        *written = encoding;
    return out;
}
