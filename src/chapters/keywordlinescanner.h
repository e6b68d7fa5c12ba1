// Finds the lines that plain chapter keywords start in one pass over the text, without the engine.
#pragma once

#include "chapters/chaptersearchoptions.h"

#include <QString>
#include <QStringView>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <vector>

// Gives exactly the line starts the keyword's chapter pattern would match (prefix, numeral
// placeholder and separator included), for keywords without any pattern syntax. Running ten
// patterns over a long book costs ten passes of the engine; this costs one.
class KeywordLineScanner
{
public:
    explicit KeywordLineScanner(const ChapterSearchOptions& options);

    // Non-empty, no pattern syntax, no control characters, no surrogates.
    static bool IsPlainKeyword(QStringView keyword);

    // Returns the keyword's index. `keyword` must be plain.
    int AddKeyword(QStringView keyword);
    int KeywordCount() const { return static_cast<int>(m_keywords.size()); }

    // Line starts of every keyword in increasing order, at most `cap` each. The text must not
    // hold lone surrogates. False when cancelled.
    bool Scan(const char16_t* text, std::int32_t length, int cap, const std::atomic<bool>* cancel = nullptr);
    const std::vector<std::int32_t>& Starts(int keyword) const;

private:
    struct Keyword
    {
        QString head; // before the placeholder (the whole keyword when it has none)
        QString tail; // after the placeholder
        bool placeholder = false;
        bool tailMayStartInRun = false; // tail begins with a numeral character
        std::vector<std::int32_t> starts;
    };

    bool MatchesAt(const Keyword& k, std::int32_t q) const;
    std::int32_t NumeralRunEnd(std::int32_t pos) const;
    bool IsNumeral(char16_t c) const { return m_numerals.test(c); }

    std::bitset<65536> m_numerals;
    std::bitset<65536> m_firstChars;
    std::vector<Keyword> m_keywords;
    int m_lineHead = 0;
    bool m_separator = false;

    // Valid during Scan.
    const char16_t* m_text = nullptr;
    std::int32_t m_length = 0;
    mutable std::int32_t m_runFrom = 0;
    mutable std::int32_t m_runEnd = 0;
};
