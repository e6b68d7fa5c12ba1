// The ANSI code page and named ones: choosing them, their lead bytes and the per-thread iconv
// converters.
#include "document/codepage.h"

#include "document/codepage_iconv_p.h"

#include <QLocale>
#include <array>
#include <cerrno>
#include <mutex>
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

} // namespace

namespace detail {

iconv_t Open(Converter& c, bool toUnicode, bool* asciiCompatible, const QByteArray& named)
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

} // namespace detail

using detail::IconvName;

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
