// A small owner of one regular expression, run over UTF-16 text with CR line ends.
#pragma once

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class QRegularExpression;

struct RegexMatch
{
    std::int32_t start; // UTF-16 code units
    std::int32_t length;
    bool operator==(const RegexMatch&) const = default;
};

// What a run could not do fully.
struct RegexRunReport
{
    // Lines given up because an attempt there hit the step limit (or the engine refused the line).
    int failedLines = 0;
};

// "^" and "$" treat CR (and only CR) as the line end. Every attempt at one start position is
// bounded, so a pattern with catastrophic backtracking gives up a line instead of hanging the
// search. The text is searched a window of lines at a time (a window sees one line beyond its end,
// so matches spanning a line end are found), which keeps a cancel request waiting for one window
// at most, however costly the pattern.
class RegexMatcher
{
public:
    // Steps one attempt at one start position may take before its line is given up.
    static constexpr int kMatchLimit = 100000;
    // Start positions searched in one engine call, rounded up to a line end.
    static constexpr std::int32_t kWindowUnits = 16384;

    RegexMatcher();
    ~RegexMatcher();
    RegexMatcher(const RegexMatcher&) = delete;
    RegexMatcher& operator=(const RegexMatcher&) = delete;

    // Always succeeds here; the other operations do nothing useful before it.
    bool Create();
    bool IsCreated() const { return m_regex != nullptr; }

    void SetGlobal(bool global) { m_global = global; }
    void SetIgnoreCase(bool ignoreCase);
    void SetMultiline(bool multiline);
    void SetPattern(const QString& pattern);

    // Every match over the first `length` units of `text`, left to right (only the first one
    // unless global). False, with no matches, when the pattern is invalid or begins with engine
    // options ("(*..."), or when `cancel` becomes true. A line where the engine fails (step limit,
    // invalid UTF-16) is skipped and counted in `report`; the matches elsewhere stand. Between the
    // last match before such a line and the line itself each line is searched on its own, so a
    // match spanning a line end may be missed there.
    // With `maxNonEmpty`, the run ends once that many matches of non-zero length were found.
    bool FindAll(const char16_t* text, std::int32_t length, std::vector<RegexMatch>& matches,
                 const std::atomic<bool>* cancel = nullptr, std::size_t maxNonEmpty = SIZE_MAX,
                 RegexRunReport* report = nullptr) const;

    // True when `pattern` compiles on its own (without the engine options put before it).
    static bool IsWholePattern(const QString& pattern);

    // For callers that drive the engine themselves with the same bounds: the pattern as it is
    // compiled (CR line ends, step limit), and whether a pattern is refused for bringing its own verbs.
    static QString BoundedPattern(const QString& pattern);
    static bool RefusesPattern(const QString& pattern);

private:
    struct Run;

    std::unique_ptr<QRegularExpression> m_regex;
    bool m_global = false;
    bool m_refused = false; // the pattern tried to set engine options of its own
};
