// IniDocument: decoding an INI file's bytes into lines, finding and changing its entries.
#include "settings/inidocument.h"

#include "document/codepage.h"
#include "settings/initext_p.h"

#include <climits>
#include <cstring>

namespace {

using IniText::TrimBlanks;

char16_t FoldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool SameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i].unicode()) != FoldAscii(b[i].unicode()))
            return false;
    return true;
}

// The name of a "[name]" line, or nullopt when the line is not a section header.
std::optional<QStringView> HeaderName(const QString& line)
{
    const QStringView t = TrimBlanks(line);
    if (t.isEmpty() || t[0] != u'[')
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return TrimBlanks(t.mid(1, close - 1));
}

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

} // namespace

QString DecodeIniBytes(const QByteArray& bytes)
{
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const qsizetype n = bytes.size();
    switch (CodePage::MarkOf(b, static_cast<std::size_t>(n))) {
    case CodePage::ByteOrderMark::Utf16Le: {
        // Copied as they are: fromUtf16 would take a second mark for one and byte-swap after FF FE FE FF.
        QString s((n - 2) / 2, Qt::Uninitialized);
        std::memcpy(s.data(), bytes.constData() + 2, static_cast<std::size_t>(s.size()) * 2);
        return s;
    }
    case CodePage::ByteOrderMark::Utf16Be: {
        QString s((n - 2) / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < s.size(); ++i)
            s[i] = QChar(static_cast<char16_t>((b[2 + 2 * i] << 8) | b[3 + 2 * i]));
        return s;
    }
    case CodePage::ByteOrderMark::Utf8:
        return QString::fromUtf8(bytes.constData() + 3, n - 3);
    case CodePage::ByteOrderMark::None:
        break;
    }
    if (CodePage::IsWellFormedUtf8(b, static_cast<std::size_t>(n)))
        return QString::fromUtf8(bytes);
    return CodePage::AnsiToQString(bytes);
}

IniDocument IniDocument::FromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    doc.m_lines = SplitLines(DecodeIniBytes(bytes));
    return doc;
}

QByteArray IniDocument::ToBytes() const
{
    QString text;
    qsizetype total = 0;
    for (const QString& l : m_lines)
        total += l.size() + 2;
    text.reserve(total);
    for (const QString& l : m_lines) {
        text.append(l);
        text.append(u"\r\n");
    }
    QByteArray out;
    out.reserve(2 + text.size() * 2);
    out.append('\xFF');
    out.append('\xFE');
    for (QChar c : std::as_const(text)) {
        const char16_t u = c.unicode();
        out.append(static_cast<char>(u & 0xFF));
        out.append(static_cast<char>(u >> 8));
    }
    return out;
}

int IniDocument::FindSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = HeaderName(m_lines[i]);
        if (name && SameName(*name, section))
            return static_cast<int>(i);
    }
    return -1;
}

int IniDocument::SectionEnd(int header) const
{
    for (qsizetype i = header + 1; i < m_lines.size(); ++i)
        if (HeaderName(m_lines[i]))
            return static_cast<int>(i);
    return static_cast<int>(m_lines.size());
}

int IniDocument::FindKey(int header, const QString& key) const
{
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const QString& l = m_lines[i];
        const qsizetype eq = l.indexOf(u'=');
        if (eq < 0)
            continue;
        if (SameName(TrimBlanks(QStringView(l).left(eq)), TrimBlanks(key)))
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const
{
    const int h = FindSection(section);
    if (h < 0)
        return std::nullopt;
    const int k = FindKey(h, key);
    if (k < 0)
        return std::nullopt;
    const QString& l = m_lines[k];
    QStringView v = TrimBlanks(QStringView(l).mid(l.indexOf(u'=') + 1));
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v.toString();
}

QStringList IniDocument::SectionNames() const
{
    QStringList names;
    for (const QString& l : m_lines)
        if (const auto name = HeaderName(l))
            names.append(name->toString());
    return names;
}

QStringList IniDocument::Keys(const QString& section) const
{
    QStringList keys;
    const int h = FindSection(section);
    if (h < 0)
        return keys;
    const int end = SectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        const qsizetype eq = m_lines[i].indexOf(u'=');
        if (eq >= 0)
            keys.append(TrimBlanks(QStringView(m_lines[i]).left(eq)).toString());
    }
    return keys;
}

bool IniDocument::HasSection(const QString& section) const
{
    return FindSection(section) >= 0;
}

bool IniDocument::SetValue(const QString& section, const QString& key, const QString& value)
{
    const QString line = TrimBlanks(key).toString() + u'=' + value;
    int h = FindSection(section);
    if (h < 0) {
        m_lines.append(u'[' + section + u']');
        m_lines.append(line);
        return true;
    }
    const int k = FindKey(h, key);
    if (k >= 0) {
        if (m_lines[k] == line)
            return false;
        m_lines[k] = line;
        return true;
    }
    // After the section's last non-blank line.
    int at = SectionEnd(h);
    while (at - 1 > h && TrimBlanks(m_lines[at - 1]).isEmpty())
        --at;
    m_lines.insert(at, line);
    return true;
}

bool IniDocument::RemoveKey(const QString& section, const QString& key)
{
    const int h = FindSection(section);
    if (h < 0)
        return false;
    // Every copy of the key: removing only the first would bring an older value back.
    bool removed = false;
    for (int k = FindKey(h, key); k >= 0; k = FindKey(h, key)) {
        m_lines.removeAt(k);
        removed = true;
    }
    return removed;
}

bool IniDocument::RemoveSection(const QString& section)
{
    // Every block of that name: a repeated section would otherwise take the removed one's place.
    bool removed = false;
    for (int h = FindSection(section); h >= 0; h = FindSection(section)) {
        const int end = SectionEnd(h);
        m_lines.erase(m_lines.begin() + h, m_lines.begin() + end);
        removed = true;
    }
    return removed;
}

int ParseIntPrefix(QStringView t, bool allowHex)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    long long v = 0;
    if (allowHex && i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
        i += 2;
        for (; i < t.size(); ++i) {
            const char16_t c = FoldAscii(t[i].unicode());
            const int d = (c >= u'0' && c <= u'9') ? c - u'0' : (c >= u'a' && c <= u'f') ? c - u'a' + 10 : -1;
            if (d < 0)
                break;
            v = (v << 4) | d;
            if (v > 0xFFFFFFFFLL)
                v = 0xFFFFFFFFLL;
        }
        // Negated in unsigned arithmetic: "-0x80000000" is INT_MIN, not an overflow.
        const auto bits = static_cast<unsigned int>(v);
        return static_cast<int>(negative ? 0u - bits : bits);
    }
    for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i) {
        v = v * 10 + (t[i].unicode() - u'0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    return static_cast<int>(v);
}
