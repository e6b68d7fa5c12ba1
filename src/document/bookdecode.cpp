// Decoding books: the mark, the UTF-8 test, detection and the converters, and counting the units
// of a book too large to hold twice.
#include "document/bookdecode_p.h"

#include "document/bytescan_p.h"
#include "document/codepage.h"
#include "document/decodewindows_p.h"
#include "document/encodingdetect.h"
#include "document/textbuffer.h"
#include "document/textcount_p.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
#include <emmintrin.h>
#endif

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

// Index of the first LF in text[from..n), or n.
std::size_t FindLf(const char16_t* text, std::size_t from, std::size_t n)
{
    std::size_t i = from;
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
    const __m128i lf = _mm_set1_epi16(0x0A);
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(v, lf));
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
    }
#endif
    for (; i < n; ++i)
        if (text[i] == kLf)
            return i;
    return n;
}

} // namespace

namespace BookDecode {
namespace {

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
    bool utf8 = units != SIZE_MAX && ByteScan::AsciiRun(b, n) < n;
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

} // namespace

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


} // namespace BookDecode

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

