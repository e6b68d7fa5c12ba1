// RegexMatcher on QRegularExpression (PCRE2 with JIT).
#include "chapters/regexmatcher.h"

#include <QRegularExpression>
#include <algorithm>
#include <string>

namespace {
// Placed before the caller's pattern, where no text inserted later in the pattern can override
// them: a verb is only recognised at the very start.
QString PatternHead()
{
    return QStringLiteral("(*CR)(*LIMIT_MATCH=%1)").arg(RegexMatcher::kMatchLimit);
}
} // namespace

RegexMatcher::RegexMatcher() = default;
RegexMatcher::~RegexMatcher() = default;

bool RegexMatcher::Create()
{
    m_regex = std::make_unique<QRegularExpression>(PatternHead());
    return true;
}

void RegexMatcher::SetIgnoreCase(bool ignoreCase)
{
    if (!m_regex)
        return;
    auto options = m_regex->patternOptions();
    options.setFlag(QRegularExpression::CaseInsensitiveOption, ignoreCase);
    m_regex->setPatternOptions(options);
}

void RegexMatcher::SetMultiline(bool multiline)
{
    if (!m_regex)
        return;
    auto options = m_regex->patternOptions();
    options.setFlag(QRegularExpression::MultilineOption, multiline);
    m_regex->setPatternOptions(options);
}

void RegexMatcher::SetPattern(const QString& pattern)
{
    if (!m_regex)
        return;
    // Verbs of its own right after ours would be read as part of the head and could lift the bound.
    m_refused = RefusesPattern(pattern);
    m_regex->setPattern(BoundedPattern(pattern));
}

bool RegexMatcher::IsWholePattern(const QString& pattern)
{
    return QRegularExpression(pattern).isValid();
}

namespace {

// The end (after its CR) of the line holding `at`; `length` for the last line.
std::int32_t LineEnd(const char16_t* text, std::int32_t at, std::int32_t length)
{
    if (at >= length)
        return length;
    const char16_t* cr =
        std::char_traits<char16_t>::find(text + at, static_cast<std::size_t>(length - at), u'\r');
    return cr ? static_cast<std::int32_t>(cr - text) + 1 : length;
}

} // namespace

// One FindAll: the matches so far and when to stop.
struct RegexMatcher::Run
{
    const QRegularExpression& regex;
    const char16_t* text;
    std::int32_t length;
    std::vector<RegexMatch>& matches;
    const std::atomic<bool>* cancel;
    std::size_t maxNonEmpty;
    bool global;
    std::size_t nonEmpty = 0;
    bool full = false; // enough matches: stop with success

    enum class Outcome
    {
        Ended,     // every start position before `startLimit` was tried
        Failed,    // the engine gave up somewhere
        Cancelled, // asked to stop
    };

    bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }

    // Matches starting in [from, startLimit) over a subject cut at `viewEnd`; at the end of the
    // text the limit includes the end itself. `lastEnd` grows to the end of the last match taken.
    Outcome Search(std::int32_t from, std::int32_t startLimit, std::int32_t viewEnd, std::int32_t& lastEnd)
    {
        const QStringView view(text, viewEnd);
        QRegularExpressionMatchIterator it = regex.globalMatch(view, from);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const auto start = static_cast<std::int32_t>(m.capturedStart());
            if (start >= startLimit && startLimit < length)
                return Outcome::Ended;
            const auto size = static_cast<std::int32_t>(m.capturedLength());
            matches.push_back({start, size});
            lastEnd = std::max(lastEnd, start + size);
            if ((size > 0 && ++nonEmpty >= maxNonEmpty) || !global) {
                full = true;
                return Outcome::Ended;
            }
            if (Cancelled())
                return Outcome::Cancelled;
        }
        // The iterator simply stops at an engine error; only its validity tells a cut list from a
        // complete one.
        return it.isValid() ? Outcome::Ended : Outcome::Failed;
    }

    // [from, windowEnd) line by line after a failed window: only the lines that fail are lost.
    bool SearchLines(std::int32_t from, std::int32_t windowEnd, RegexRunReport* report)
    {
        while (from < windowEnd && !full) {
            if (Cancelled())
                return false;
            const std::int32_t lineEnd = LineEnd(text, from, length);
            std::int32_t lastEnd = from;
            const Outcome outcome = Search(from, lineEnd, lineEnd, lastEnd);
            if (outcome == Outcome::Cancelled)
                return false;
            if (outcome == Outcome::Failed && report)
                ++report->failedLines;
            from = std::max(lineEnd, lastEnd);
        }
        return true;
    }

    bool SearchAll(RegexRunReport* report)
    {
        std::int32_t pos = 0;
        for (;;) {
            if (Cancelled())
                return false;
            const bool last = length - pos <= kWindowUnits;
            const std::int32_t windowEnd = last ? length : LineEnd(text, pos + kWindowUnits, length);
            const std::int32_t viewEnd = LineEnd(text, windowEnd, length);
            std::int32_t lastEnd = pos;
            const Outcome outcome = Search(pos, windowEnd, viewEnd, lastEnd);
            if (outcome == Outcome::Cancelled)
                return false;
            if (outcome == Outcome::Failed && !full && !SearchLines(lastEnd, windowEnd, report))
                return false;
            if (full || windowEnd >= length)
                return true;
            pos = std::max(windowEnd, lastEnd);
            if (pos >= length)
                return true;
        }
    }
};

bool RegexMatcher::FindAll(const char16_t* text, std::int32_t length, std::vector<RegexMatch>& matches,
                           const std::atomic<bool>* cancel, std::size_t maxNonEmpty,
                           RegexRunReport* report) const
{
    matches.clear();
    if (report)
        *report = {};
    if (!m_regex || m_refused || !m_regex->isValid() || (length > 0 && !text) || length < 0)
        return false;
    static const char16_t kEmpty = 0;
    Run run{*m_regex, text ? text : &kEmpty, length, matches, cancel, maxNonEmpty, m_global};
    if (!run.SearchAll(report) || run.Cancelled()) {
        matches.clear();
        return false;
    }
    return true;
}

QString RegexMatcher::BoundedPattern(const QString& pattern)
{
    return PatternHead() + pattern;
}

bool RegexMatcher::RefusesPattern(const QString& pattern)
{
    return pattern.startsWith(QStringLiteral("(*"));
}
