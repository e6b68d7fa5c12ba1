// The iconv-backed ANSI and named code pages.
#include "document/codepage.h"

#include "document/bytescan_p.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace CodePage {
namespace {

struct AnsiState
{
    std::mutex lock;
    QByteArray name = "GB18030";
    std::array<bool, 256> lead{};
    bool asciiCompatible = true;
    int generation = 0;
};

AnsiState& State()
{
    static AnsiState state;
    return state;
}

bool ComputeLeadBytes(const QByteArray& name, std::array<bool, 256>& lead, bool* asciiCompatible)
{
    iconv_t cd = iconv_open("UTF-16LE", name.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    bool ascii = true;
    for (int b = 0; b < 256; ++b) {
        lead[b] = false;
        char in[1] = {static_cast<char>(b)};
        char out[8];
        char* ip = in;
        char* op = out;
        std::size_t il = 1, ol = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
        if (b < 0x80) {
            // Bytes below 0x80 may skip iconv only when each stands for itself, alone and complete.
            const bool same = r != static_cast<std::size_t>(-1) && op - out == 2 &&
                              static_cast<unsigned char>(out[0]) == b && out[1] == 0;
            ascii = ascii && same;
            continue;
        }
        // A lone lead byte is an incomplete sequence.
        lead[b] = (r == static_cast<std::size_t>(-1) && errno == EINVAL);
    }
    iconv_close(cd);
    if (asciiCompatible)
        *asciiCompatible = ascii;
    return true;
}

void EnsureInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] {
        AnsiState& s = State();
        std::lock_guard guard(s.lock);
        ComputeLeadBytes(s.name, s.lead, &s.asciiCompatible);
    });
}

// Per-thread converters, reopened when the code page changes.
struct Converter
{
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    int generation = -1;
    QByteArray name;
    ~Converter()
    {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
};

struct LeadTable
{
    std::array<bool, 256> lead{};
    bool asciiCompatible = true;
    bool known = false;
};

// Lead bytes of named code pages, computed once per name.
LeadTable NamedLeadTable(const QByteArray& name)
{
    static std::mutex lock;
    static std::vector<std::pair<QByteArray, LeadTable>> tables;
    std::lock_guard guard(lock);
    for (const auto& [n, t] : tables)
        if (n == name)
            return t;
    LeadTable t;
    t.known = ComputeLeadBytes(name, t.lead, &t.asciiCompatible);
    if (tables.size() < 64)
        tables.emplace_back(name, t);
    return t;
}

// `named` empty: the ANSI code page.
iconv_t Open(Converter& c, bool toUnicode, bool* asciiCompatible = nullptr, const QByteArray& named = {})
{
    EnsureInitialised();
    AnsiState& s = State();
    QByteArray name;
    int generation = 0;
    if (named.isEmpty()) {
        std::lock_guard guard(s.lock);
        name = s.name;
        generation = s.generation;
        if (asciiCompatible)
            *asciiCompatible = s.asciiCompatible;
    } else {
        name = named;
        generation = -2;
        if (asciiCompatible)
            *asciiCompatible = NamedLeadTable(name).asciiCompatible;
    }
    if (c.generation != generation || c.name != name || c.cd == reinterpret_cast<iconv_t>(-1)) {
        if (c.cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(c.cd);
        c.cd =
            toUnicode ? iconv_open("UTF-16LE", name.constData()) : iconv_open(name.constData(), "UTF-16LE");
        c.generation = generation;
        c.name = name;
    }
    if (c.cd != reinterpret_cast<iconv_t>(-1))
        iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    return c.cd;
}

Converter& Decoder()
{
    thread_local Converter c;
    return c;
}

Converter& Encoder()
{
    thread_local Converter c;
    return c;
}

// Detection tries several code pages on every book it opens: one converter each, so none is
// reopened (and its conversion module loaded again) per book.
Converter& NamedDecoder(const QByteArray& name)
{
    thread_local std::array<Converter, 8> converters;
    thread_local std::size_t next = 0;
    for (Converter& c : converters)
        if (c.name == name && c.cd != reinterpret_cast<iconv_t>(-1))
            return c;
    return converters[next++ % converters.size()];
}

Converter& NamedEncoder()
{
    thread_local Converter c;
    return c;
}

QByteArray IconvName(const QString& name)
{
    return name.trimmed().toUpper().toLatin1();
}

} // namespace

bool SetAnsiCodePage(const QString& name)
{
    const QByteArray n = name.trimmed().toUpper().toLatin1();
    if (n.isEmpty())
        return false;
    std::array<bool, 256> lead{};
    bool ascii = true;
    if (!ComputeLeadBytes(n, lead, &ascii))
        return false;
    iconv_t back = iconv_open(n.constData(), "UTF-16LE");
    if (back == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(back);
    EnsureInitialised();
    AnsiState& s = State();
    std::lock_guard guard(s.lock);
    s.name = n;
    s.lead = lead;
    s.asciiCompatible = ascii;
    ++s.generation;
    return true;
}

QString AnsiCodePageName()
{
    AnsiState& s = State();
    std::lock_guard guard(s.lock);
    return QString::fromLatin1(s.name);
}

QString CodePageForLocale(const QString& localeName)
{
    const QString l = localeName.toLower();
    if (l.startsWith(u"zh_tw") || l.startsWith(u"zh_hk") || l.startsWith(u"zh-tw") || l.startsWith(u"zh-hk"))
        return QStringLiteral("CP950");
    if (l.startsWith(u"ja"))
        return QStringLiteral("CP932");
    if (l.startsWith(u"ko"))
        return QStringLiteral("CP949");
    return QStringLiteral("GB18030");
}

bool InitAnsiCodePage(const QString& override)
{
    QString name = override;
    if (name.isEmpty())
        name = qEnvironmentVariable("LEAFTURNER_CODEPAGE");
    if (name.isEmpty()) {
        QString locale = qEnvironmentVariable("LC_ALL");
        if (locale.isEmpty())
            locale = qEnvironmentVariable("LC_CTYPE");
        if (locale.isEmpty())
            locale = qEnvironmentVariable("LANG");
        name = CodePageForLocale(locale);
    }
    return SetAnsiCodePage(name);
}

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

} // namespace

namespace {

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

bool IsKnownCodePage(const QString& name)
{
    const QByteArray n = IconvName(name);
    if (n.isEmpty() || !NamedLeadTable(n).known)
        return false;
    iconv_t back = iconv_open(n.constData(), "UTF-16LE");
    if (back == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(back);
    return true;
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

bool IsLeadByte(std::uint8_t byte)
{
    EnsureInitialised();
    AnsiState& s = State();
    std::lock_guard guard(s.lock);
    return s.lead[byte];
}

std::array<bool, 256> LeadBytes(const QString& codePage)
{
    const QByteArray name = IconvName(codePage);
    if (name.isEmpty()) {
        EnsureInitialised();
        AnsiState& s = State();
        std::lock_guard guard(s.lock);
        return s.lead;
    }
    return NamedLeadTable(name).lead;
}

} // namespace CodePage
