// The one-pass scanner for plain chapter keywords.
#include "chapters/keywordlinescanner.h"

#include "chapters/chaptercondition.h"
#include "chapters/chapterpattern.h"
#include "document/unitscan.h"

#include <cstring>

namespace {

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool StartsWithAt(const char16_t* text, std::int32_t length, std::int32_t pos, const QString& s)
{
    const auto n = static_cast<std::int32_t>(s.size());
    if (n > length - pos)
        return false;
    return std::memcmp(text + pos, s.utf16(), static_cast<std::size_t>(n) * sizeof(char16_t)) == 0;
}

} // namespace

KeywordLineScanner::KeywordLineScanner(const ChapterSearchOptions& options)
    : m_lineHead(options.ClampedLineHead()), m_separator(options.sepBlank)
{
    for (QChar c : NumeralCharacters(options))
        m_numerals.set(c.unicode());
}

bool KeywordLineScanner::IsPlainKeyword(QStringView keyword)
{
    if (keyword.isEmpty())
        return false;
    static const QString syntax = QStringLiteral("\\^$.[]|()?*+{}");
    for (QChar c : keyword) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || c.isSurrogate() || syntax.contains(c))
            return false;
    }
    return true;
}

int KeywordLineScanner::AddKeyword(QStringView keyword)
{
    Keyword k;
    const qsizetype p = keyword.indexOf(QChar(kNumeralPlaceholder));
    if (p >= 0) {
        k.placeholder = true;
        k.head = keyword.left(p).toString();
        k.tail = keyword.mid(p + 1).toString();
        k.tailMayStartInRun = !k.tail.isEmpty() && IsNumeral(k.tail.front().unicode());
    } else {
        k.head = keyword.toString();
    }
    if (!k.head.isEmpty())
        m_firstChars.set(k.head.front().unicode());
    else
        m_firstChars |= m_numerals;
    m_keywords.push_back(std::move(k));
    return static_cast<int>(m_keywords.size()) - 1;
}

const std::vector<std::int32_t>& KeywordLineScanner::Starts(int keyword) const
{
    return m_keywords[static_cast<std::size_t>(keyword)].starts;
}

std::int32_t KeywordLineScanner::NumeralRunEnd(std::int32_t pos) const
{
    // Neighbouring window positions share one run; counting it once keeps long digit lines linear.
    if (pos >= m_runFrom && pos < m_runEnd)
        return m_runEnd;
    std::int32_t e = pos;
    while (e < m_length && IsNumeral(m_text[e]))
        ++e;
    m_runFrom = pos;
    m_runEnd = e;
    return e;
}

bool KeywordLineScanner::MatchesAt(const Keyword& k, std::int32_t q) const
{
    if (!StartsWithAt(m_text, m_length, q, k.head))
        return false;
    std::int32_t pos = q + static_cast<std::int32_t>(k.head.size());
    auto tailAndSeparatorAt = [&](std::int32_t at) {
        if (!StartsWithAt(m_text, m_length, at, k.tail))
            return false;
        const std::int32_t after = at + static_cast<std::int32_t>(k.tail.size());
        return !m_separator || (after < m_length && IsSeparatorCharacter(m_text[after]));
    };
    if (!k.placeholder)
        return tailAndSeparatorAt(pos);
    const std::int32_t runEnd = NumeralRunEnd(pos);
    if (runEnd == pos)
        return false;
    // Only a tail that itself begins with a numeral can start inside the run.
    if (!k.tailMayStartInRun)
        return tailAndSeparatorAt(runEnd);
    for (std::int32_t at = pos + 1; at <= runEnd; ++at)
        if (tailAndSeparatorAt(at))
            return true;
    return false;
}

bool KeywordLineScanner::Scan(const char16_t* text, std::int32_t length, int cap,
                              const std::atomic<bool>* cancel)
{
    for (Keyword& k : m_keywords)
        k.starts.clear();
    if (!text || length <= 0 || m_keywords.empty() || cap <= 0)
        return true;
    m_text = text;
    m_length = length;
    m_runFrom = m_runEnd = 0;

    std::size_t open = m_keywords.size(); // keywords still below the cap
    std::int32_t line = 0;
    int linesSinceCheck = 0;
    while (line < length && open > 0) {
        if (cancel && ++linesSinceCheck >= 4096) {
            linesSinceCheck = 0;
            if (cancel->load(std::memory_order_relaxed))
                return false;
        }
        // Blanks taken by the lazy blank run, then up to lineHead characters of any kind.
        std::int32_t q = line;
        std::int32_t blanks = 0;
        while (q + blanks < length && IsTitleBlank(text[q + blanks]))
            ++blanks;
        const std::int32_t window = blanks + m_lineHead;
        for (std::int32_t c = 0; c <= window && q < length && text[q] != u'\r'; ++c) {
            if (m_firstChars.test(text[q])) {
                for (Keyword& k : m_keywords) {
                    if (static_cast<int>(k.starts.size()) >= cap ||
                        (!k.starts.empty() && k.starts.back() == line))
                        continue;
                    if (MatchesAt(k, q)) {
                        k.starts.push_back(line);
                        if (static_cast<int>(k.starts.size()) == cap)
                            --open;
                    }
                }
            }
            q += (IsHighSurrogate(text[q]) && q + 1 < length && IsLowSurrogate(text[q + 1])) ? 2 : 1;
        }
        line = UnitScan::FindCr(text, q, length) + 1;
    }
    m_text = nullptr;
    m_length = 0;
    return true;
}
