// RegexMatcher on QRegularExpression (PCRE2 with JIT).
#include "chapters/regexmatcher.h"

#include <QRegularExpression>

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

bool RegexMatcher::FindAll(const char16_t* text, std::int32_t length, std::vector<RegexMatch>& matches,
                           const std::atomic<bool>* cancel, std::size_t maxNonEmpty) const
{
    matches.clear();
    if (!m_regex || m_refused || !m_regex->isValid() || (length > 0 && !text) || length < 0)
        return false;
    const QStringView subject(text, length);
    auto fail = [&matches] {
        matches.clear();
        return false;
    };
    if (!m_global) {
        const QRegularExpressionMatch m = m_regex->match(subject);
        if (!m.isValid())
            return false;
        if (m.hasMatch())
            matches.push_back({static_cast<std::int32_t>(m.capturedStart()),
                               static_cast<std::int32_t>(m.capturedLength())});
        return true;
    }
    QRegularExpressionMatchIterator it = m_regex->globalMatch(subject);
    std::size_t sinceCheck = 0;
    std::size_t nonEmpty = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        matches.push_back(
            {static_cast<std::int32_t>(m.capturedStart()), static_cast<std::int32_t>(m.capturedLength())});
        if (m.capturedLength() > 0 && ++nonEmpty >= maxNonEmpty)
            return true;
        if (cancel && ++sinceCheck >= 256) {
            sinceCheck = 0;
            if (cancel->load(std::memory_order_relaxed))
                return fail();
        }
    }
    // The iterator simply stops at an engine error; only its validity tells a cut list from a
    // complete one.
    if (!it.isValid() || (cancel && cancel->load(std::memory_order_relaxed)))
        return fail();
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
