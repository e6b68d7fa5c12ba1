// Loading, decoding and saving books.
#include "document/encodingdetect.h"
#include "document/readonlyfile_p.h"
#include "document/textbuffer.h"
#include "document/textcount_p.h"
#include "settings/codepage.h"
#include "settings/filewrite.h"
#include "settings/messagesink.h"

#include <QByteArray>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <emmintrin.h>
#include <new>
#include <string>
#include <vector>

namespace {

QString MsgEmpty()
{
    return QStringLiteral("空文件。");
}
QString MsgOver4G()
{
    return QStringLiteral("抱歉，此功能不能处理超过4GB的PDF文件。");
}
QString MsgMappingFailed()
{
    return QStringLiteral("抱歉，文件映射创建失败。");
}
QString MsgViewFailed()
{
    return QStringLiteral("抱歉，映射视图创建失败。");
}
QString MsgNoMemory()
{
    return QStringLiteral("内存不足！");
}
QString MsgTooLarge()
{
    return QStringLiteral("抱歉，文件太大，无法打开。");
}

using Units = std::unique_ptr<char16_t[], ReadOnlyFile::FreeDeleter>;

enum class DecodeStatus
{
    Ok,
    NoText,
    NoMemory,
    TooLarge
};

struct Decoded
{
    DecodeStatus status = DecodeStatus::Ok;
    SourceEncoding encoding = SourceEncoding::Ansi;
    Units text;
    std::size_t length = 0;
    bool normalised = false; // line ends already single CRs
    QString codePage;        // the code page an Ansi reading used
    bool marked = true;      // UTF-16 began with its mark
};

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

// The SIMD decoders may store a few units past the last one they report.
constexpr std::size_t kSlackUnits = 16;

Units AllocateUnits(std::size_t count)
{
    if (count > (SIZE_MAX / sizeof(char16_t)) - kSlackUnits - 1)
        return nullptr;
    const std::size_t bytes = (count + kSlackUnits + 1) * sizeof(char16_t);
    return Units(static_cast<char16_t*>(ReadOnlyFile::AllocateLarge(bytes, 0)));
}

// Gives back the room the upper-bound allocation did not use.
void ShrinkUnits(Units& text, std::size_t length)
{
    if (void* p = std::realloc(text.get(), (length + 1) * sizeof(char16_t))) {
        (void)text.release();
        text.reset(static_cast<char16_t*>(p));
    }
}

// Where to end a window of a book's bytes that starts at `from`: after the first LF at least
// `want` bytes on that another byte than LF follows; n when there is none. No character of UTF-8
// or of a legacy code page holds a LF, and with no LF right after the split no line end spans it,
// so each window decodes and normalises on its own.
std::size_t WindowEnd(const std::uint8_t* b, std::size_t from, std::size_t n, std::size_t want)
{
    for (std::size_t i = from + want; i + 1 < n; ++i) {
        const auto* lf = static_cast<const std::uint8_t*>(std::memchr(b + i, '\n', n - 1 - i));
        if (!lf)
            break;
        i = static_cast<std::size_t>(lf - b);
        if (b[i + 1] != '\n')
            return i + 1;
    }
    return n;
}

// Decodes with `step` (bytes, count, out, ok) -> units, window by window, so each window's line
// ends are merged while its units are still in cache and the block never fills much beyond the
// final text. For a large book the first window goes to a side buffer: what it gave per byte tells
// how far the text will surely reach, and that much of the block gets huge pages (faulting 30 MB
// in page by page costs as much as decoding it; stopping short keeps unfilled memory out).
template <typename Step>
std::size_t DecodeInWindows(const std::uint8_t* b, std::size_t n, char16_t* out, bool& ok, Step step)
{
    constexpr std::size_t kProbe = 64 * 1024, kWindow = 1024 * 1024;
    ok = true;
    std::size_t units = 0, at = 0;
    if (n >= 4 * kWindow) {
        const std::size_t end = WindowEnd(b, 0, n, kProbe);
        std::unique_ptr<char16_t[]> first(end < kWindow ? new (std::nothrow) char16_t[end + kSlackUnits]
                                                        : nullptr);
        if (first) {
            units = step(b, end, first.get(), ok);
            if (!ok)
                return 0;
            const double expected =
                static_cast<double>(units) / static_cast<double>(end) * static_cast<double>(n);
            ReadOnlyFile::AdviseHugePages(out, static_cast<std::size_t>(expected * 0.99) * sizeof(char16_t));
            std::memcpy(out, first.get(), units * sizeof(char16_t));
            at = end;
        }
    }
    while (at < n && ok) {
        const std::size_t end = WindowEnd(b, at, n, kWindow);
        units += step(b + at, end - at, out + units, ok);
        at = end;
    }
    return units;
}

// Converting also makes the line ends single CRs (for a whole window at a time); counting gives the
// units before that.
std::size_t ConvertUtf8(const std::uint8_t* data, std::size_t n, char16_t* out)
{
    if (!out)
        return CodePage::Utf8ToUtf16(data, n, nullptr);
    return CodePage::Utf8ToUtf16(data, n, out, {.stopAtIllFormed = false, .crLineEnds = true});
}

std::size_t ConvertLegacy(const QString& codePage, const std::uint8_t* data, std::size_t n, char16_t* out)
{
    if (!out)
        return CodePage::LegacyToUtf16(codePage, data, n, nullptr);
    return NormaliseLineEnds(out, CodePage::LegacyToUtf16(codePage, data, n, out));
}

std::size_t ConvertAnsi(const std::uint8_t* data, std::size_t n, char16_t* out)
{
    return ConvertLegacy({}, data, n, out);
}

// Converts 8-bit bytes with `convert` (UTF-8 or the ANSI code page). Room is the byte count, which
// bounds the units; beyond the offset limit the units are counted first so nothing wraps.
template <typename Convert>
Decoded Convert8Bit(const std::uint8_t* data, std::size_t n, SourceEncoding encoding, Convert convert)
{
    Decoded d;
    d.encoding = encoding;
    d.normalised = true;
    std::size_t room = n;
    if (n > static_cast<std::size_t>(kMaxTextUnits)) {
        room = convert(data, n, nullptr);
        if (room > static_cast<std::size_t>(kMaxTextUnits)) {
            d.status = DecodeStatus::TooLarge;
            return d;
        }
    }
    d.text = AllocateUnits(room);
    if (!d.text) {
        d.status = DecodeStatus::NoMemory;
        return d;
    }
    bool ok = true;
    d.length =
        n == 0 ? 0 : DecodeInWindows(data, n, d.text.get(), ok, [convert](auto p, auto m, auto out, bool&) {
            return convert(p, m, out);
        });
    if (d.length == 0) {
        d.text.reset();
        d.status = DecodeStatus::NoText;
        return d;
    }
    ShrinkUnits(d.text, d.length);
    return d;
}

// UTF-16 after its mark (`skip` 2) or without one (0). With `owned` the file's own block becomes the
// text (no second copy).
Decoded CopyUtf16(const std::uint8_t* data, std::size_t n, bool bigEndian, ReadOnlyFile::Buffer* owned,
                  std::size_t skip = 2)
{
    Decoded d;
    d.encoding = bigEndian ? SourceEncoding::Utf16Be : SourceEncoding::Utf16Le;
    d.marked = skip != 0;
    const std::size_t units = (n - skip) / 2; // an odd last byte is dropped
    if (units > static_cast<std::size_t>(kMaxTextUnits)) {
        d.status = DecodeStatus::TooLarge;
        return d;
    }
    if (owned && owned->get() == data) {
        if (skip != 0)
            std::memmove(owned->get(), data + skip, units * sizeof(char16_t));
        d.text.reset(reinterpret_cast<char16_t*>(owned->release()));
    } else {
        d.text = AllocateUnits(units);
        if (!d.text) {
            d.status = DecodeStatus::NoMemory;
            return d;
        }
        std::memcpy(d.text.get(), data + skip, units * sizeof(char16_t));
    }
    if (bigEndian) {
        char16_t* t = d.text.get();
        for (std::size_t i = 0; i < units; ++i)
            t[i] = static_cast<char16_t>((t[i] >> 8) | (t[i] << 8));
    }
    d.length = units;
    return d;
}

// Number of bytes before the first one above 0x7F.
std::size_t AsciiPrefix(const std::uint8_t* b, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const int mask = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
    while (i < n && b[i] < 0x80)
        ++i;
    return i;
}

// Bytes without a mark: UTF-8 when the UTF-8 test accepts them, else what detection finds, in the
// end the ANSI code page. Decoding as UTF-8 answers the test on the way for well-formed text, so a
// UTF-8 book is read in one pass and a legacy one is given up at its first double-byte character.
Decoded DecodeUnmarked(const std::uint8_t* b, std::size_t n, ReadOnlyFile::Buffer* owned)
{
    Decoded d;
    d.text = AllocateUnits(n);
    if (!d.text) {
        d.status = DecodeStatus::NoMemory;
        return d;
    }
    auto steps = [&](auto step) {
        bool ok = true;
        const std::size_t units = DecodeInWindows(b, n, d.text.get(), ok, step);
        return ok ? units : SIZE_MAX;
    };
    std::size_t units = steps([](const std::uint8_t* p, std::size_t m, char16_t* out, bool& ok) {
        return CodePage::Utf8ToUtf16(p, m, out, {.stopAtIllFormed = true, .crLineEnds = true}, &ok);
    });
    // Well-formed with a byte above 0x7F: the test accepts it.
    bool utf8 = units != SIZE_MAX && AsciiPrefix(b, n) < n;
    if (units == SIZE_MAX && IsUtf8Text(b, n)) {
        units = steps([](auto p, auto m, auto out, bool&) { return ConvertUtf8(p, m, out); });
        utf8 = true;
    }
    d.normalised = true;
    if (!utf8) {
        const DetectedEncoding found = DetectEncoding(b, n, CodePage::AnsiCodePageName());
        if (found.encoding != SourceEncoding::Ansi && n >= 2) {
            d.text.reset();
            return CopyUtf16(b, n, found.encoding == SourceEncoding::Utf16Be, owned, 0);
        }
        d.codePage = found.codePage;
        units = steps(
            [&found](auto p, auto m, auto out, bool&) { return ConvertLegacy(found.codePage, p, m, out); });
    }
    d.encoding = utf8 ? SourceEncoding::Utf8 : SourceEncoding::Ansi;
    d.length = units;
    if (units == 0) {
        d.text.reset();
        d.status = DecodeStatus::NoText;
        return d;
    }
    ShrinkUnits(d.text, d.length);
    return d;
}

// Reads the bytes in the encoding the reader picked; a mark of that encoding is skipped.
Decoded DecodeAsChosen(const std::uint8_t* b, std::size_t n, ReadOnlyFile::Buffer* owned,
                       const EncodingChoice& choice)
{
    switch (choice.kind) {
    case EncodingChoice::Kind::Utf16Le:
    case EncodingChoice::Kind::Utf16Be: {
        const bool big = choice.kind == EncodingChoice::Kind::Utf16Be;
        const bool mark =
            CodePage::MarkOf(b, n) == (big ? CodePage::ByteOrderMark::Utf16Be : CodePage::ByteOrderMark::Utf16Le);
        if (n - (mark ? 2 : 0) >= 2)
            return CopyUtf16(b, n, big, owned, mark ? 2 : 0);
        break;
    }
    case EncodingChoice::Kind::Utf8: {
        const bool mark = CodePage::MarkOf(b, n) == CodePage::ByteOrderMark::Utf8;
        Decoded d = Convert8Bit(b + (mark ? 3 : 0), n - (mark ? 3 : 0),
                                mark ? SourceEncoding::Utf8Bom : SourceEncoding::Utf8, ConvertUtf8);
        if (d.status != DecodeStatus::NoText)
            return d;
        break;
    }
    case EncodingChoice::Kind::CodePage:
    case EncodingChoice::Kind::Auto:
        break;
    }
    // A code page, or UTF-16 too short to hold a unit.
    const QString codePage =
        choice.kind == EncodingChoice::Kind::CodePage ? choice.codePage : CodePage::AnsiCodePageName();
    Decoded d = Convert8Bit(b, n, SourceEncoding::Ansi, [&codePage](auto p, auto m, auto out) {
        return ConvertLegacy(codePage, p, m, out);
    });
    d.codePage = codePage;
    return d;
}

// Recognises the encoding and converts; line ends are left as they are.
Decoded DecodeBytes(const std::uint8_t* b, std::size_t n, ReadOnlyFile::Buffer* owned,
                    const EncodingChoice& choice)
{
    if (choice.kind != EncodingChoice::Kind::Auto)
        return DecodeAsChosen(b, n, owned, choice);
    SourceEncoding encoding = SourceEncoding::Ansi;
    if (n > 2) {
        Decoded d;
        bool tried = false;
        const CodePage::ByteOrderMark mark = CodePage::MarkOf(b, n);
        if (mark == CodePage::ByteOrderMark::Utf16Le || mark == CodePage::ByteOrderMark::Utf16Be) {
            encoding = mark == CodePage::ByteOrderMark::Utf16Le ? SourceEncoding::Utf16Le : SourceEncoding::Utf16Be;
            if ((n - 2) / 2 > 0)
                return CopyUtf16(b, n, encoding == SourceEncoding::Utf16Be, owned);
        } else if (mark == CodePage::ByteOrderMark::Utf8) {
            encoding = SourceEncoding::Utf8Bom;
            d = Convert8Bit(b + 3, n - 3, encoding, ConvertUtf8);
            tried = true;
        } else if (n <= static_cast<std::size_t>(kMaxTextUnits)) {
            return DecodeUnmarked(b, n, owned);
        } else if (IsUtf8Text(b, n)) {
            encoding = SourceEncoding::Utf8;
            d = Convert8Bit(b, n, encoding, ConvertUtf8);
            tried = true;
        }
        if (tried && d.status != DecodeStatus::NoText)
            return d;
    }
    // Nothing recognised, or a mark with nothing after it: the ANSI code page, the mark's encoding kept.
    Decoded d = Convert8Bit(b, n, encoding, ConvertAnsi);
    d.encoding = encoding;
    d.codePage = CodePage::AnsiCodePageName();
    return d;
}

// Index of the first LF in text[from..n), or n.
std::size_t FindLf(const char16_t* text, std::size_t from, std::size_t n)
{
    const __m128i lf = _mm_set1_epi16(0x0A);
    std::size_t i = from;
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(v, lf));
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
    }
    for (; i < n; ++i)
        if (text[i] == kLf)
            return i;
    return n;
}

} // namespace

std::optional<std::size_t> CountDecodedUnits(const PieceSource& pieces, std::size_t stopAbove)
{
    std::uint8_t head[3] = {};
    std::size_t total = 0;
    Utf8TextTest test;
    if (!pieces([&](const std::uint8_t* p, std::size_t n) {
            for (std::size_t i = 0; total + i < 3 && i < n; ++i)
                head[total + i] = p[i];
            total += n;
            test.Feed(p, n);
            return true;
        }))
        return std::nullopt;

    // Counts bytes from `skip` on, pieces cut where no character is split and the rest carried.
    auto count = [&](bool utf8, std::size_t skip) -> std::optional<std::size_t> {
        auto convert = [utf8](const std::uint8_t* p, std::size_t n) {
            return utf8 ? CodePage::Utf8ToUtf16(p, n, nullptr) : CodePage::AnsiToUtf16(p, n, nullptr);
        };
        // Before a UTF-8 lead whose sequence runs past the end. In a legacy code page, after the last
        // byte that cannot lead a character (a single character or a trail byte either way),
        // leaving out the digits a four-byte GB18030 character holds.
        auto safeCut = [utf8](const std::uint8_t* p, std::size_t n) -> std::size_t {
            if (utf8) {
                for (std::size_t back = 1; back <= 4 && back <= n; ++back) {
                    const std::uint8_t b = p[n - back];
                    if ((b & 0xC0) == 0x80)
                        continue;
                    if (b >= 0xC0) {
                        const std::size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
                        if (need > back)
                            return n - back;
                    }
                    break;
                }
                return n;
            }
            const std::size_t stop = n > 4096 ? n - 4096 : 0;
            for (std::size_t i = n; i > stop; --i) {
                const std::uint8_t b = p[i - 1];
                if (b < 0x30 || (b > 0x39 && !CodePage::IsLeadByte(b)))
                    return i;
            }
            return stop == 0 ? 0 : n; // carry it all; past 4 KB of lead bytes, any cut will do
        };
        std::size_t units = 0;
        std::vector<std::uint8_t> work; // the carried bytes, then the piece
        if (!pieces([&](const std::uint8_t* p, std::size_t n) {
                const std::size_t s = std::min(skip, n);
                skip -= s;
                work.insert(work.end(), p + s, p + n);
                const std::size_t cut = safeCut(work.data(), work.size());
                units += convert(work.data(), cut);
                work.erase(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(cut));
                return units <= stopAbove;
            }))
            return std::nullopt;
        if (units <= stopAbove)
            units += convert(work.data(), work.size());
        return units;
    };

    if (total > 2) {
        const CodePage::ByteOrderMark mark = CodePage::MarkOf(head, 3);
        if (mark == CodePage::ByteOrderMark::Utf16Le || mark == CodePage::ByteOrderMark::Utf16Be) {
            if ((total - 2) / 2 > 0)
                return (total - 2) / 2;
        } else if (mark == CodePage::ByteOrderMark::Utf8) {
            const auto units = count(true, 3);
            if (!units || *units > 0)
                return units;
        } else if (test.Accepts()) {
            return count(true, 0);
        }
    }
    return count(false, 0);
}

std::size_t NormaliseLineEnds(char16_t* text, std::size_t n)
{
    if (text == nullptr)
        return 0;
    std::size_t lf = FindLf(text, 0, n);
    std::size_t w = lf; // units before the first LF stay where they are
    while (lf < n) {
        // The test looks at what was written, so a LF after a LF-turned-CR is dropped too.
        if (w == 0 || text[w - 1] != kCr)
            text[w++] = kCr;
        const std::size_t next = FindLf(text, lf + 1, n);
        const std::size_t run = next - (lf + 1);
        if (run > 0 && w != lf + 1)
            std::memmove(text + w, text + lf + 1, run * sizeof(char16_t));
        w += run;
        lf = next;
    }
    return w;
}

namespace {

// Reports a failed decoding; otherwise makes every line end one CR and ends the text with a NUL.
bool Settle(Decoded& d)
{
    switch (d.status) {
    case DecodeStatus::Ok:
        break;
    case DecodeStatus::TooLarge:
        ShowMessage(MsgTooLarge(), MsgIcon::Warning);
        return false;
    case DecodeStatus::NoText:
    case DecodeStatus::NoMemory:
        // A failure, not an empty book: an empty buffer in its place could be saved over the file.
        ShowMessage(MsgNoMemory(), MsgIcon::Warning);
        return false;
    }
    if (!d.normalised)
        d.length = NormaliseLineEnds(d.text.get(), d.length);
    d.text[d.length] = u'\0';
    return true;
}

} // namespace

void TextBuffer::Adopt(char16_t* text, std::int32_t length)
{
    m_text.reset(text);
    m_length = length;
}

bool TextBuffer::Load(const QString& path)
{
    Empty();
    m_fingerprint = {};
    ReadOnlyFile file;
    switch (file.Open(path)) {
    case ReadOnlyFile::Status::Ok:
        break;
    case ReadOnlyFile::Status::Empty:
        ShowMessage(MsgEmpty());
        return true;
    case ReadOnlyFile::Status::Over4G:
        ShowMessage(MsgOver4G(), MsgIcon::Warning);
        return false;
    default:
        ShowMessage(MsgOpenFailed(), MsgIcon::Warning);
        return false;
    }
    if (file.Size() > static_cast<std::uint64_t>(kMaxTextUnits)) {
        // Too large to read and then find out: count first, holding nothing.
        const auto limit = static_cast<std::size_t>(kMaxTextUnits);
        const auto units =
            CountDecodedUnits([&](const PieceVisitor& visit) { return file.ForEachPiece(visit); }, limit);
        if (units && *units > limit) {
            ShowMessage(MsgTooLarge(), MsgIcon::Warning);
            return false;
        }
    }
    ReadOnlyFile::Buffer bytes;
    std::size_t got = 0;
    // Two spare bytes: a UTF-16 file's block becomes the text and keeps room for its NUL.
    switch (file.ReadAll(bytes, got, 2)) {
    case ReadOnlyFile::Status::Ok:
        break;
    case ReadOnlyFile::Status::Empty:
        ShowMessage(MsgEmpty());
        return true;
    case ReadOnlyFile::Status::NoMemory:
        ShowMessage(MsgMappingFailed(), MsgIcon::Warning);
        return false;
    default:
        ShowMessage(MsgViewFailed(), MsgIcon::Warning);
        return false;
    }
    file.Close();
    m_fingerprint = FingerprintOfBytes(bytes.get(), got); // before decoding takes the block over
    Decoded d = DecodeBytes(bytes.get(), got, &bytes, m_choice);
    bytes.reset(); // the bytes are not kept once decoded
    Keep(d.encoding, d.codePage, d.marked);
    if (!Settle(d))
        return false;
    Adopt(d.text.release(), static_cast<std::int32_t>(d.length));
    return true;
}

bool TextBuffer::LoadFromBytes(const std::uint8_t* data, std::size_t size, const EncodingChoice& choice)
{
    Empty();
    m_fingerprint = {};
    if (data == nullptr || size == 0) {
        ShowMessage(MsgEmpty());
        return true;
    }
    Decoded d = DecodeBytes(data, size, nullptr, choice);
    Keep(d.encoding, d.codePage, d.marked);
    if (!Settle(d))
        return false;
    Adopt(d.text.release(), static_cast<std::int32_t>(d.length));
    return true;
}

namespace {

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

bool TextBuffer::Save(const QString& path)
{
    const QByteArray out = Encode();
    if (!WriteBookFile(path, out))
        return false;
    m_fingerprint = FingerprintOfBytes(reinterpret_cast<const std::uint8_t*>(out.constData()),
                                       static_cast<std::size_t>(out.size()));
    return true;
}
