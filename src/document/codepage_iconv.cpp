// Decoding and encoding through iconv: ASCII runs taken around it, U+FFFD for bytes that start no
// character and '?' for characters the code page lacks.
#include "document/codepage.h"

#include "document/bytescan_p.h"
#include "document/codepage_iconv_p.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace CodePage {

using namespace detail;

namespace {

constexpr std::size_t kNoIconv = static_cast<std::size_t>(-1);

// Decodes ANSI bytes. Writing: `out` holds `cap` units. Counting (`out` == nullptr): converts into a
// scratch buffer and only counts. Bytes that start no character become U+FFFD.
std::size_t DecodeAnsi(iconv_t cd, bool ascii, const std::uint8_t* data, std::size_t n, char16_t* out,
                       std::size_t cap, std::size_t* invalid = nullptr)
{
    std::array<char16_t, 8192> scratch;
    const bool counting = out == nullptr;
    char16_t* base = counting ? scratch.data() : out;
    const std::size_t room = counting ? scratch.size() : cap;
    std::size_t flushed = 0; // units counted and dropped from the scratch buffer
    std::size_t w = 0;
    auto put = [&](char16_t u) {
        if (w == room) {
            if (!counting)
                return false;
            flushed += w;
            w = 0;
        }
        base[w++] = u;
        return true;
    };

    std::size_t i = 0;
    while (i < n) {
        if (!counting && w == room)
            break;
        if (ascii) {
            std::size_t run = ByteScan::AsciiRun(data + i, n - i);
            if (counting) {
                flushed += run;
            } else {
                run = std::min(run, room - w);
                for (std::size_t k = 0; k < run; ++k)
                    base[w + k] = data[i + k];
                w += run;
            }
            i += run;
            if (i >= n)
                break;
        }
        // Only runs of sixteen ASCII bytes or more are taken without iconv; shorter ones stay in its
        // window, one call per stretch of text being cheaper.
        std::size_t end = ascii ? ByteScan::NextAsciiRun16(data, i, n) : n;
        while (i < end) {
            char* ip = reinterpret_cast<char*>(const_cast<std::uint8_t*>(data + i));
            std::size_t il = end - i;
            char* op = reinterpret_cast<char*>(base + w);
            std::size_t ol = (room - w) * sizeof(char16_t);
            const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
            const int err = errno;
            i = static_cast<std::size_t>(reinterpret_cast<const std::uint8_t*>(ip) - data);
            w = static_cast<std::size_t>(reinterpret_cast<char16_t*>(op) - base);
            if (r != kNoIconv)
                break;
            if (err == E2BIG) {
                if (!counting)
                    return w; // only a code page giving more units than bytes gets here
                flushed += w;
                w = 0;
                continue;
            }
            if (err == EINVAL && end < n) {
                // A character runs past the window: widen it.
                end = std::min(n, end + 8);
                continue;
            }
            // EILSEQ, or a character cut off by the end of the data: mark the byte and go on.
            if (invalid)
                ++*invalid;
            if (!put(0xFFFD))
                return flushed + w;
            ++i;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return flushed + w;
}

std::size_t Decode(Converter& c, const QByteArray& named, const std::uint8_t* data, std::size_t n,
                   char16_t* out, std::size_t* invalid)
{
    if (data == nullptr || n == 0)
        return 0;
    bool ascii = true;
    iconv_t cd = Open(c, true, &ascii, named);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // Without a converter, keep ASCII and mark the rest.
        for (std::size_t i = 0; i < n; ++i) {
            if (out)
                out[i] = data[i] < 0x80 ? data[i] : 0xFFFD;
            if (invalid && data[i] >= 0x80)
                ++*invalid;
        }
        return n;
    }
    // Converting, iconv takes everything in one call: finding ASCII runs would cost more than it
    // saves in Chinese text. Counting skips them, so a huge file of mostly ASCII is judged quickly.
    return DecodeAnsi(cd, ascii && out == nullptr, data, n, out, AnsiMaxUnits(n), invalid);
}

} // namespace

std::size_t AnsiToUtf16(const std::uint8_t* data, std::size_t n, char16_t* out)
{
    return Decode(Decoder(), {}, data, n, out, nullptr);
}

std::size_t LegacyToUtf16(const QString& codePage, const std::uint8_t* data, std::size_t n, char16_t* out,
                          std::size_t* invalid)
{
    const QByteArray name = IconvName(codePage);
    return Decode(name.isEmpty() ? Decoder() : NamedDecoder(name), name, data, n, out, invalid);
}

QString AnsiToQString(const QByteArray& bytes)
{
    QString s(bytes.size(), Qt::Uninitialized);
    const std::size_t w =
        AnsiToUtf16(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                    static_cast<std::size_t>(bytes.size()), reinterpret_cast<char16_t*>(s.data()));
    s.truncate(static_cast<qsizetype>(w));
    return s;
}

namespace {

QByteArray Encode(const QByteArray& named, const char16_t* text, std::size_t n, bool* exact)
{
    bool isExact = true;
    QByteArray out;
    if (text == nullptr || n == 0) {
        if (exact)
            *exact = true;
        return out;
    }
    iconv_t cd = Open(named.isEmpty() ? Encoder() : NamedEncoder(), false, nullptr, named);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        out.reserve(static_cast<qsizetype>(n));
        for (std::size_t i = 0; i < n; ++i) {
            if (text[i] < 0x80) {
                out.append(static_cast<char>(text[i]));
            } else {
                out.append('?');
                isExact = false;
            }
        }
        if (exact)
            *exact = isExact;
        return out;
    }
    out.resize(static_cast<qsizetype>(n * 2 + 16));
    char* ip = reinterpret_cast<char*>(const_cast<char16_t*>(text));
    std::size_t il = n * sizeof(char16_t);
    std::size_t used = 0;
    while (il > 0) {
        char* op = out.data() + used;
        std::size_t ol = static_cast<std::size_t>(out.size()) - used;
        const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
        const int err = errno;
        used = static_cast<std::size_t>(op - out.data());
        if (r != static_cast<std::size_t>(-1)) {
            if (r > 0)
                isExact = false; // irreversible conversions
            break;
        }
        if (err == E2BIG) {
            out.resize(out.size() + static_cast<qsizetype>(il + 64));
            continue;
        }
        // A character the code page lacks (or a broken surrogate): write the default character.
        isExact = false;
        char16_t u;
        std::memcpy(&u, ip, sizeof u);
        std::size_t skip = sizeof(char16_t);
        if (u >= 0xD800 && u <= 0xDBFF && il >= 4) {
            char16_t v;
            std::memcpy(&v, ip + 2, sizeof v);
            if (v >= 0xDC00 && v <= 0xDFFF)
                skip = 4;
        }
        if (used == static_cast<std::size_t>(out.size()))
            out.resize(out.size() + 64);
        out[static_cast<qsizetype>(used++)] = '?';
        ip += skip;
        il = il > skip ? il - skip : 0;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.truncate(static_cast<qsizetype>(used));
    if (exact) {
        // Some converters drop characters (a byte-order mark, for one) and still report success:
        // only decoding the bytes again proves they hold the text.
        if (isExact) {
            std::unique_ptr<char16_t[]> back(new (std::nothrow) char16_t[AnsiMaxUnits(used) + 1]);
            if (!back) {
                isExact = false;
            } else {
                const std::size_t m =
                    Decode(named.isEmpty() ? Decoder() : NamedDecoder(named), named,
                           reinterpret_cast<const std::uint8_t*>(out.constData()), used, back.get(), nullptr);
                isExact = m == n && std::memcmp(back.get(), text, n * sizeof(char16_t)) == 0;
            }
        }
        *exact = isExact;
    }
    return out;
}

} // namespace

QByteArray Utf16ToAnsi(const char16_t* text, std::size_t n, bool* exact)
{
    return Encode({}, text, n, exact);
}

QByteArray Utf16ToLegacy(const QString& codePage, const char16_t* text, std::size_t n, bool* exact)
{
    return Encode(IconvName(codePage), text, n, exact);
}

QByteArray QStringToAnsi(const QString& text, bool* exact)
{
    return Utf16ToAnsi(reinterpret_cast<const char16_t*>(text.constData()),
                       static_cast<std::size_t>(text.size()), exact);
}

} // namespace CodePage
