// The UTF-8 transcoder: SIMD runs of ASCII and of three-byte CJK characters, one decoder for writing
// and counting.
#include "document/codepage.h"

#include "document/bytescan_p.h"

#include <cstring>
#include <string>
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
#include <emmintrin.h>
#include <tmmintrin.h>
#endif

namespace CodePage {

namespace {

inline bool IsCont(std::uint8_t b)
{
    return (b & 0xC0) == 0x80;
}

// Widens 16 ASCII bytes at `s` into 16 units at `out`.
inline void Widen16(const std::uint8_t* s, char16_t* out)
{
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, zero));
#else
    for (int k = 0; k < 16; ++k)
        out[k] = s[k];
#endif
}

#if defined(__SSE2__) && !defined(LT_NO_SIMD)
// Decodes groups of four three-byte characters (CJK text) with SSSE3 shuffles while they last;
// advances i and w past what it decoded. Overlong forms and surrogates are left to the caller, whose
// plain loops decode the same characters alike. Built for SSSE3 by its target attribute and called
// only where the processor has it, so the build needs no -mssse3.
__attribute__((target("ssse3"))) void DecodeCjkGroups(const std::uint8_t* data, std::size_t& i, std::size_t n,
                                                      char16_t* out, std::size_t& w)
{
    const __m128i kindMask =
        _mm_setr_epi8(char(0xF0), char(0xC0), char(0xC0), char(0xF0), char(0xC0), char(0xC0), char(0xF0),
                      char(0xC0), char(0xC0), char(0xF0), char(0xC0), char(0xC0), 0, 0, 0, 0);
    const __m128i kindWant =
        _mm_setr_epi8(char(0xE0), char(0x80), char(0x80), char(0xE0), char(0x80), char(0x80), char(0xE0),
                      char(0x80), char(0x80), char(0xE0), char(0x80), char(0x80), 0, 0, 0, 0);
    // Lane k: lead byte high, second byte low; and the third byte alone.
    const __m128i leadSecond = _mm_setr_epi8(1, 0, 4, 3, 7, 6, 10, 9, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i third = _mm_setr_epi8(2, -1, 5, -1, 8, -1, 11, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    while (i + 16 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, kindMask), kindWant)) != 0xFFFF)
            return;
        const __m128i ab = _mm_shuffle_epi8(v, leadSecond);
        const __m128i c = _mm_shuffle_epi8(v, third);
        const __m128i cp =
            _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_and_si128(ab, _mm_set1_epi16(0x0F00)), 4),
                                      _mm_slli_epi16(_mm_and_si128(ab, _mm_set1_epi16(0x003F)), 6)),
                         _mm_and_si128(c, _mm_set1_epi16(0x003F)));
        const __m128i top = _mm_and_si128(cp, _mm_set1_epi16(static_cast<short>(0xF800)));
        const __m128i bad = _mm_or_si128(_mm_cmpeq_epi16(top, _mm_setzero_si128()),
                                         _mm_cmpeq_epi16(top, _mm_set1_epi16(static_cast<short>(0xD800))));
        if ((_mm_movemask_epi8(bad) & 0xFF) != 0)
            return;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + w), cp);
        i += 12;
        w += 4;
    }
}

bool HasSsse3()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

// Writes ASCII bytes with every line end made one CR: a LF becomes CR unless the unit last
// written is a CR, in which case it is dropped.
inline std::size_t PutAsciiLines(const std::uint8_t* s, std::size_t count, char16_t* out, std::size_t w)
{
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t c = s[k];
        if (c != '\n')
            out[w++] = c;
        else if (w == 0 || out[w - 1] != u'\r')
            out[w++] = u'\r';
    }
    return w;
}

// One decoder for writing and for counting, so the two can never disagree.
// Strict stops at the first ill-formed sequence and clears *wellFormed. Lines (writing only)
// makes line ends single CRs on the way.
template <bool Write, bool Strict, bool Lines = false>
std::size_t DecodeUtf8(const std::uint8_t* data, std::size_t n, char16_t* out, bool* wellFormed)
{
    static_assert(Write || !Lines);
    std::size_t i = 0, w = 0;
    while (i < n) {
        // ASCII, 16 bytes at a time. Writing all 16 units is safe: w <= i and i + 16 <= n, and the
        // caller's room is n units.
        while (i + 16 <= n) {
            const unsigned mask = ByteScan::HighBits16(data + i);
            const auto run = mask == 0 ? std::size_t{16} : static_cast<std::size_t>(__builtin_ctz(mask));
            if constexpr (Lines) {
                const unsigned feeds = ByteScan::EqualBits16(data + i, '\n');
                if ((feeds & ((1u << run) - 1)) != 0) {
                    w = PutAsciiLines(data + i, run, out, w);
                    i += run;
                    if (mask != 0)
                        break;
                    continue;
                }
            }
            if constexpr (Write)
                Widen16(data + i, out + w);
            i += run;
            w += run;
            if (mask != 0)
                break;
        }
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
        if constexpr (Write) {
            if (i + 16 <= n && (data[i] & 0xF0) == 0xE0 && HasSsse3())
                DecodeCjkGroups(data, i, n, out, w);
        }
#endif
        // Runs of three-byte characters, two at a time from one 64-bit load.
        while (i + 8 <= n) {
            std::uint64_t v;
            std::memcpy(&v, data + i, sizeof v);
            if ((v & 0x0000C0C0F0C0C0F0ULL) != 0x00008080E08080E0ULL)
                break;
            const auto c0 =
                static_cast<std::uint32_t>(((v & 0x0F) << 12) | ((v >> 2) & 0xFC0) | ((v >> 16) & 0x3F));
            const auto c1 =
                static_cast<std::uint32_t>(((v >> 12) & 0xF000) | ((v >> 26) & 0xFC0) | ((v >> 40) & 0x3F));
            if (c0 < 0x800 || c1 < 0x800 || (c0 & 0xF800) == 0xD800 || (c1 & 0xF800) == 0xD800)
                break; // overlong or surrogate: the general path marks it
            if constexpr (Write) {
                out[w] = static_cast<char16_t>(c0);
                out[w + 1] = static_cast<char16_t>(c1);
            }
            w += 2;
            i += 6;
        }
        while (i + 3 <= n) {
            const std::uint8_t b0 = data[i];
            if ((b0 & 0xF0) != 0xE0)
                break;
            const std::uint8_t b1 = data[i + 1], b2 = data[i + 2];
            if (((b1 & 0xC0) != 0x80) | ((b2 & 0xC0) != 0x80))
                break;
            const std::uint32_t cp = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
                break; // overlong or surrogate: the general path marks it
            if constexpr (Write)
                out[w] = static_cast<char16_t>(cp);
            ++w;
            i += 3;
        }
        if (i >= n)
            break;
        const std::uint8_t b = data[i];
        if (b < 0x80) {
            if constexpr (Lines) {
                w = PutAsciiLines(data + i, 1, out, w);
                ++i;
                continue;
            }
            if constexpr (Write)
                out[w] = b;
            ++w;
            ++i;
            continue;
        }
        std::uint32_t cp;
        std::size_t len;
        std::uint8_t lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            len = 3;
            if (b == 0xE0)
                lo = 0xA0;
            if (b == 0xED)
                hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            len = 4;
            if (b == 0xF0)
                lo = 0x90;
            if (b == 0xF4)
                hi = 0x8F;
        } else {
            if constexpr (Strict) {
                *wellFormed = false;
                return w;
            }
            if constexpr (Write)
                out[w] = 0xFFFD;
            ++w;
            ++i;
            continue;
        }
        std::size_t k = 1;
        bool ok = true;
        for (; k < len; ++k) {
            if (i + k >= n) {
                ok = false;
                break;
            }
            const std::uint8_t c = data[i + k];
            const bool inRange = (k == 1) ? (c >= lo && c <= hi) : IsCont(c);
            if (!inRange) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            if constexpr (Strict) {
                *wellFormed = false;
                return w;
            }
            if constexpr (Write)
                out[w] = 0xFFFD;
            ++w;
            i += k; // the maximal invalid subpart
            continue;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            if constexpr (Write) {
                out[w] = static_cast<char16_t>(0xD800 + (cp >> 10));
                out[w + 1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            }
            w += 2;
        } else {
            if constexpr (Write)
                out[w] = static_cast<char16_t>(cp);
            ++w;
        }
    }
    return w;
}

} // namespace

std::size_t Utf8ToUtf16(const std::uint8_t* data, std::size_t n, char16_t* out)
{
    if (data == nullptr)
        return 0;
    return out ? DecodeUtf8<true, false>(data, n, out, nullptr)
               : DecodeUtf8<false, false>(data, n, nullptr, nullptr);
}

std::size_t Utf8ToUtf16(const std::uint8_t* data, std::size_t n, char16_t* out, Utf8Options options,
                        bool* wellFormed)
{
    bool ok = true;
    std::size_t w = 0;
    if (data != nullptr && out != nullptr) {
        if (options.stopAtIllFormed)
            w = options.crLineEnds ? DecodeUtf8<true, true, true>(data, n, out, &ok)
                                   : DecodeUtf8<true, true>(data, n, out, &ok);
        else
            w = options.crLineEnds ? DecodeUtf8<true, false, true>(data, n, out, nullptr)
                                   : DecodeUtf8<true, false>(data, n, out, nullptr);
    }
    if (wellFormed)
        *wellFormed = ok && data != nullptr && out != nullptr;
    return w;
}

bool IsWellFormedUtf8(const std::uint8_t* data, std::size_t n)
{
    bool ok = true;
    if (data != nullptr)
        DecodeUtf8<false, true>(data, n, nullptr, &ok);
    return ok;
}

ByteOrderMark MarkOf(const std::uint8_t* data, std::size_t n)
{
    if (data == nullptr || n < 2)
        return ByteOrderMark::None;
    if (data[0] == 0xFF && data[1] == 0xFE)
        return ByteOrderMark::Utf16Le;
    if (data[0] == 0xFE && data[1] == 0xFF)
        return ByteOrderMark::Utf16Be;
    if (n >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return ByteOrderMark::Utf8;
    return ByteOrderMark::None;
}

std::string Utf16ToUtf8(const char16_t* text, std::size_t n)
{
    // The exact length first: the bytes are then written in place, with no growing and no check per
    // byte, and the string is no larger than its text.
    const auto pairAt = [text, n](std::size_t i) {
        return text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF;
    };
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = text[i];
        if (u < 0x80)
            bytes += 1;
        else if (u < 0x800)
            bytes += 2;
        else if (pairAt(i)) {
            bytes += 4;
            ++i;
        } else
            bytes += 3; // a lone surrogate becomes U+FFFD, three bytes too
    }
    std::string out(bytes, '\0');
    char* p = out.data();
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t cp = text[i];
        if (cp < 0x80) {
            *p++ = static_cast<char>(cp);
            continue;
        }
        if (pairAt(i)) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x800) {
            *p++ = static_cast<char>(0xC0 | (cp >> 6));
            *p++ = static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (cp >> 12));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (cp >> 18));
            *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

} // namespace CodePage
