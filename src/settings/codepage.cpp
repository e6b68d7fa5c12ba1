// UTF-8 transcoder and the iconv-backed ANSI code page.
#include "settings/codepage.h"

#include <QLocale>
#include <array>
#include <cerrno>
#include <iconv.h>
#include <mutex>

namespace CodePage {
namespace {

struct AnsiState
{
    std::mutex lock;
    QByteArray name = "CP936";
    std::array<bool, 256> lead{};
    int generation = 0;
};

AnsiState& State()
{
    static AnsiState state;
    return state;
}

bool ComputeLeadBytes(const QByteArray& name, std::array<bool, 256>& lead)
{
    iconv_t cd = iconv_open("UTF-16LE", name.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    for (int b = 0; b < 256; ++b) {
        lead[b] = false;
        if (b < 0x80)
            continue;
        char in[1] = {static_cast<char>(b)};
        char out[8];
        char* ip = in;
        char* op = out;
        std::size_t il = 1, ol = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
        // A lone lead byte is an incomplete sequence.
        lead[b] = (r == static_cast<std::size_t>(-1) && errno == EINVAL);
    }
    iconv_close(cd);
    return true;
}

void EnsureInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] {
        AnsiState& s = State();
        std::lock_guard guard(s.lock);
        ComputeLeadBytes(s.name, s.lead);
    });
}

// Per-thread converters, reopened when the code page changes.
struct Converter
{
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    int generation = -1;
    ~Converter()
    {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
};

iconv_t Open(Converter& c, bool toUnicode)
{
    EnsureInitialised();
    AnsiState& s = State();
    QByteArray name;
    int generation;
    {
        std::lock_guard guard(s.lock);
        name = s.name;
        generation = s.generation;
    }
    if (c.generation != generation || c.cd == reinterpret_cast<iconv_t>(-1)) {
        if (c.cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(c.cd);
        c.cd =
            toUnicode ? iconv_open("UTF-16LE", name.constData()) : iconv_open(name.constData(), "UTF-16LE");
        c.generation = generation;
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

inline bool IsCont(std::uint8_t b)
{
    return (b & 0xC0) == 0x80;
}

} // namespace

bool SetAnsiCodePage(const QString& name)
{
    const QByteArray n = name.trimmed().toUpper().toLatin1();
    if (n.isEmpty())
        return false;
    std::array<bool, 256> lead{};
    if (!ComputeLeadBytes(n, lead))
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
    return QStringLiteral("CP936");
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

std::size_t Utf8ToUtf16(const std::uint8_t* data, std::size_t n, char16_t* out)
{
    std::size_t i = 0, w = 0;
    auto put = [&](char16_t u) {
        if (out)
            out[w] = u;
        ++w;
    };
    while (i < n) {
        // ASCII fast path, eight bytes at a time.
        while (i + 8 <= n) {
            std::uint64_t chunk;
            __builtin_memcpy(&chunk, data + i, 8);
            if (chunk & 0x8080808080808080ULL)
                break;
            if (out)
                for (int k = 0; k < 8; ++k)
                    out[w + k] = data[i + k];
            w += 8;
            i += 8;
        }
        if (i >= n)
            break;
        const std::uint8_t b = data[i];
        if (b < 0x80) {
            put(b);
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
            put(0xFFFD);
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
            put(0xFFFD);
            i += k; // the maximal invalid subpart
            continue;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(static_cast<char16_t>(0xD800 + (cp >> 10)));
            put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            put(static_cast<char16_t>(cp));
        }
    }
    return w;
}

std::string Utf16ToUtf8(const char16_t* text, std::size_t n)
{
    std::string out;
    out.reserve(n + n / 2);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t cp = text[i];
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::size_t AnsiToUtf16(const std::uint8_t* data, std::size_t n, char16_t* out)
{
    iconv_t cd = Open(Decoder(), true);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // Without a converter, keep ASCII and mark the rest.
        for (std::size_t i = 0; i < n; ++i)
            out[i] = data[i] < 0x80 ? data[i] : 0xFFFD;
        return n;
    }
    char* ip = reinterpret_cast<char*>(const_cast<std::uint8_t*>(data));
    std::size_t il = n;
    char* op = reinterpret_cast<char*>(out);
    std::size_t ol = AnsiMaxUnits(n) * sizeof(char16_t);
    while (il > 0) {
        const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
        if (r != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: one byte never gives more than one unit here
        // EILSEQ or EINVAL: this byte does not start a character; mark it and go on.
        if (ol < sizeof(char16_t))
            break;
        const char16_t repl = 0xFFFD;
        __builtin_memcpy(op, &repl, sizeof repl);
        op += sizeof repl;
        ol -= sizeof repl;
        ++ip;
        --il;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return static_cast<std::size_t>(op - reinterpret_cast<char*>(out)) / sizeof(char16_t);
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

QByteArray Utf16ToAnsi(const char16_t* text, std::size_t n, bool* exact)
{
    bool isExact = true;
    QByteArray out;
    iconv_t cd = Open(Encoder(), false);
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
    // Up to four bytes per unit covers every code page iconv offers here.
    out.resize(static_cast<qsizetype>(n * 4 + 4));
    char* ip = reinterpret_cast<char*>(const_cast<char16_t*>(text));
    std::size_t il = n * sizeof(char16_t);
    char* op = out.data();
    std::size_t ol = static_cast<std::size_t>(out.size());
    while (il > 0) {
        const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
        if (r != static_cast<std::size_t>(-1)) {
            if (r > 0)
                isExact = false; // irreversible conversions
            break;
        }
        if (errno == E2BIG)
            break;
        // A character the code page lacks (or a broken surrogate): write the default character.
        isExact = false;
        const char16_t u = *reinterpret_cast<const char16_t*>(ip);
        std::size_t skip = sizeof(char16_t);
        if (u >= 0xD800 && u <= 0xDBFF && il >= 4) {
            const char16_t v = *reinterpret_cast<const char16_t*>(ip + 2);
            if (v >= 0xDC00 && v <= 0xDFFF)
                skip = 4;
        }
        if (ol < 1)
            break;
        *op++ = '?';
        --ol;
        ip += skip;
        il = il > skip ? il - skip : 0;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.truncate(static_cast<qsizetype>(op - out.data()));
    if (exact)
        *exact = isExact;
    return out;
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

} // namespace CodePage
