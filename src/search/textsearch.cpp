// Plain search by a folded Boyer-Moore-Horspool scan; regex search in time-sized windows.
#include "search/textsearch.h"

#include "chapters/regexmatcher.h"
#include "chapters/regexsubject.h"
#include "search/searchscripts.h"
#include "search/widthfold.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

bool Cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Collects hits, hands them on in batches and counts them against the cap.
class HitCollector
{
public:
    HitCollector(const SearchHitSink& sink) : m_sink(sink) { m_timer.start(); }
    // False once the cap is passed: the caller stops, and the outcome is Capped.
    bool Add(std::int32_t offset, std::int32_t length)
    {
        if (m_count == kMaxSearchHits) {
            m_capped = true;
            return false;
        }
        m_batch.push_back({offset, length});
        ++m_count;
        if (m_batch.size() >= kBatch)
            Flush();
        return true;
    }
    // Between stretches of work: hits found a while ago should not wait for a full batch.
    void FlushIfStale()
    {
        if (!m_batch.empty() && m_timer.elapsed() >= kStaleMs)
            Flush();
    }
    void Flush()
    {
        if (!m_batch.empty() && m_sink)
            m_sink(m_batch);
        m_batch.clear();
        m_timer.restart();
    }
    int Count() const { return m_count; }
    bool Capped() const { return m_capped; }

private:
    static constexpr std::size_t kBatch = 512;
    static constexpr qint64 kStaleMs = 30;
    const SearchHitSink& m_sink;
    std::vector<SearchHit> m_batch;
    QElapsedTimer m_timer;
    int m_count = 0;
    bool m_capped = false;
};

SearchOutcome Finish(HitCollector& hits, SearchStatus status, const std::atomic<bool>* cancel)
{
    if (Cancelled(cancel))
        return {SearchStatus::Cancelled, {}, 0};
    hits.Flush();
    if (status == SearchStatus::Done && hits.Capped())
        status = SearchStatus::Capped;
    return {status, {}, hits.Count()};
}

struct Identity
{
    char16_t operator()(char16_t c) const { return c; }
};
struct Folded
{
    const char16_t* table;
    char16_t operator()(char16_t c) const { return table[c]; }
};

// Horspool over folded units; the shift table is indexed by the low byte, taking the smallest
// shift among units that share it, which keeps every shift safe.
template <typename Fold>
SearchStatus ScanPlain(const char16_t* text, std::int32_t length, const std::u16string& needle, Fold fold,
                       HitCollector& hits, const std::atomic<bool>* cancel)
{
    const auto m = static_cast<std::int32_t>(needle.size());
    std::array<std::int32_t, 256> shift;
    shift.fill(m);
    for (std::int32_t i = 0; i + 1 < m; ++i)
        shift[needle[static_cast<std::size_t>(i)] & 0xFF] = m - 1 - i;
    const char16_t last = needle.back();
    constexpr std::int32_t kStretch = 1 << 20; // units between looks at the cancel flag
    std::int32_t pos = 0;
    while (pos <= length - m) {
        if (Cancelled(cancel))
            return SearchStatus::Cancelled;
        hits.FlushIfStale();
        const std::int32_t stop = std::min(length - m, pos + kStretch);
        while (pos <= stop) {
            const char16_t c = fold(text[pos + m - 1]);
            if (c == last) {
                std::int32_t i = m - 2;
                while (i >= 0 && fold(text[pos + i]) == needle[static_cast<std::size_t>(i)])
                    --i;
                if (i < 0) {
                    if (!hits.Add(pos, m))
                        return SearchStatus::Done;
                    pos += m;
                    continue;
                }
            }
            pos += shift[c & 0xFF];
        }
    }
    return SearchStatus::Done;
}

SearchOutcome FindPlain(const char16_t* text, std::int32_t length, const SearchQuery& query,
                        const SearchHitSink& sink, const std::atomic<bool>* cancel)
{
    HitCollector hits(sink);
    const char16_t* table = FoldTable(query.ignoreCase, query.ignoreWidth);
    std::u16string needle(reinterpret_cast<const char16_t*>(query.pattern.utf16()),
                          static_cast<std::size_t>(query.pattern.size()));
    if (table)
        for (char16_t& c : needle)
            c = table[c];
    const SearchStatus status = table ? ScanPlain(text, length, needle, Folded{table}, hits, cancel)
                                      : ScanPlain(text, length, needle, Identity{}, hits, cancel);
    return Finish(hits, status, cancel);
}

// The pattern with every literal unit that width folding changes written as the escape of its
// folded form, so it matches the folded text and never turns into syntax ("（" must not become "(").
QString FoldPatternLiterals(const QString& pattern, const char16_t* table)
{
    auto escape = [](char16_t c) { return QStringLiteral("\\x{%1}").arg(static_cast<uint>(c), 0, 16); };
    QString out;
    out.reserve(pattern.size());
    bool quoted = false; // inside \Q...\E
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i].unicode();
        const char16_t next = i + 1 < pattern.size() ? pattern[i + 1].unicode() : 0;
        if (quoted) {
            if (c == u'\\' && next == u'E') {
                quoted = false;
                out += QStringLiteral("\\E");
                ++i;
            } else if (table[c] != c) {
                out += QStringLiteral("\\E") + escape(table[c]) + QStringLiteral("\\Q");
            } else {
                out += QChar(c);
            }
            continue;
        }
        if (c == u'\\' && next != 0) {
            ++i;
            if (next == u'Q')
                quoted = true;
            if (next >= 0x80 && table[next] != next)
                out += escape(table[next]); // an escaped non-ASCII unit is always a literal
            else
                out += QChar(c) + QChar(next);
            continue;
        }
        out += table[c] != c ? escape(table[c]) : QString(QChar(c));
    }
    return out;
}

// With `anchored`, the pattern only matches at the offset it is run from: the engine's own anchoring
// option would leave the compiled fast path for a much slower one.
QRegularExpression CompileSearchRegex(const SearchQuery& query, bool anchored = false)
{
    QRegularExpression::PatternOptions options = QRegularExpression::MultilineOption;
    if (query.ignoreCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    QString pattern =
        query.ignoreWidth ? FoldPatternLiterals(query.pattern, FoldTable(false, true)) : query.pattern;
    if (anchored)
        pattern = QStringLiteral("\\G(?:") + pattern + QStringLiteral(")");
    return QRegularExpression(RegexMatcher::BoundedPattern(pattern), options);
}

QString LimitMessage()
{
    return QStringLiteral("正则表达式过于复杂，查找未能完成。");
}

SearchOutcome FindRegex(const char16_t* text, std::int32_t length, const SearchQuery& query,
                        const SearchHitSink& sink, const std::atomic<bool>* cancel)
{
    if (const QString problem = SearchPatternProblem(query); !problem.isEmpty())
        return {SearchStatus::InvalidPattern, problem, 0};
    const QRegularExpression re = CompileSearchRegex(query);
    QRegularExpression at = CompileSearchRegex(query, true);
    auto anchorOption = QRegularExpression::NoMatchOption;
    if (!at.isValid()) { // a pattern that only stands alone (an open \Q...)
        at = re;
        anchorOption = QRegularExpression::AnchorAtOffsetMatchOption;
    }

    std::u16string own;
    const char16_t* subject = text;
    if (query.ignoreWidth) {
        const char16_t* table = FoldTable(false, true);
        own.resize(static_cast<std::size_t>(length));
        std::transform(text, text + length, own.begin(), [table](char16_t c) { return table[c]; });
        subject = own.data();
    }
    if (std::optional<std::u16string> clean = WithoutLoneSurrogates(subject, length)) {
        own = std::move(*clean);
        subject = own.data();
    }
    // The subject is well formed now; checking it again on every call would cost a pass each time.
    constexpr auto kNoCheck = QRegularExpression::DontCheckSubjectStringMatchOption;

    HitCollector hits(sink);
    // A call covers a window of start positions sized so that it takes a few milliseconds: one
    // engine call cannot be interrupted, and a costly pattern may spend up to the step limit at each
    // position. Matching against the window with hard partial matching marks any attempt that would
    // need text past the window; that one attempt is then rerun, anchored, against the whole text.
    // Small at first: before the first call there is no telling what one position costs.
    std::int32_t window = 64;
    std::int32_t pos = 0;
    QElapsedTimer clock;
    while (pos <= length) {
        if (Cancelled(cancel))
            return {SearchStatus::Cancelled, {}, 0};
        hits.FlushIfStale();
        const std::int32_t end = static_cast<std::int32_t>(std::min<qint64>(length, qint64(pos) + window));
        clock.start();
        QRegularExpressionMatch m;
        std::int32_t rerunAt = -1;
        if (end < length) {
            m = re.match(QStringView(subject, end), pos, QRegularExpression::PartialPreferFirstMatch,
                         kNoCheck);
            if (m.hasPartialMatch()) {
                rerunAt = static_cast<std::int32_t>(m.capturedStart());
                m = at.match(QStringView(subject, length), rerunAt, QRegularExpression::NormalMatch,
                             kNoCheck | anchorOption);
            }
        } else {
            m = re.match(QStringView(subject, length), pos, QRegularExpression::NormalMatch, kNoCheck);
        }
        const qint64 spent = clock.elapsed();
        if (!m.isValid()) {
            SearchOutcome out = Finish(hits, SearchStatus::LimitHit, cancel);
            if (out.status == SearchStatus::LimitHit)
                out.message = LimitMessage();
            return out;
        }
        // Grown only by calls that went through the whole window quickly: one that stopped early
        // at a match says nothing about what the positions after it cost.
        const bool wholeWindow = !m.hasMatch() && !m.hasPartialMatch() && rerunAt < 0;
        if (spent > 8)
            window = std::max(16, window / 4);
        else if (spent < 2 && wholeWindow)
            window = std::min(1 << 22, window * 2);

        auto after = [&](std::int32_t at) {
            return at + ((at + 1 < length && IsHigh(subject[at]) && IsLow(subject[at + 1])) ? 2 : 1);
        };
        if (!m.hasMatch()) {
            if (rerunAt >= 0) { // the anchored rerun failed at that one position
                pos = after(rerunAt);
                continue;
            }
            if (end == length)
                break;
            pos = end; // no attempt in [pos, end) matched or reached past the window
            continue;
        }
        const auto start = static_cast<std::int32_t>(m.capturedStart());
        const auto len = static_cast<std::int32_t>(m.capturedLength());
        if (len == 0) {
            // Empty matches are no hits; one at the window's end says nothing about the text past it.
            pos = (start == end && end < length) ? end : after(start);
            continue;
        }
        if (!hits.Add(start, len))
            break;
        pos = start + len;
    }
    return Finish(hits, SearchStatus::Done, cancel);
}

} // namespace

SearchOutcome FindHits(const char16_t* text, std::int32_t length, const SearchQuery& query,
                       const SearchHitSink& sink, const std::atomic<bool>* cancel)
{
    if (!text || length <= 0 || query.pattern.isEmpty()) {
        if (query.regex)
            if (const QString problem = SearchPatternProblem(query); !problem.isEmpty())
                return {SearchStatus::InvalidPattern, problem, 0};
        return {};
    }
    if (!query.otherForms.isEmpty())
        return FindRegex(text, length, WithOtherForms(query), sink, cancel);
    return query.regex ? FindRegex(text, length, query, sink, cancel)
                       : FindPlain(text, length, query, sink, cancel);
}

QString SearchPatternProblem(const SearchQuery& query)
{
    if (!query.regex)
        return {};
    if (RegexMatcher::RefusesPattern(query.pattern))
        return QStringLiteral("正则表达式有误：不能以“(*”开头。");
    const QRegularExpression re = CompileSearchRegex(query);
    if (!re.isValid())
        return QStringLiteral("正则表达式有误：") + re.errorString();
    return {};
}

int NextHit(std::span<const SearchHit> hits, std::int32_t position)
{
    if (hits.empty())
        return -1;
    const auto it = std::upper_bound(hits.begin(), hits.end(), position,
                                     [](std::int32_t p, const SearchHit& h) { return p < h.offset; });
    return it == hits.end() ? 0 : static_cast<int>(it - hits.begin());
}

int PreviousHit(std::span<const SearchHit> hits, std::int32_t position)
{
    if (hits.empty())
        return -1;
    const auto it = std::lower_bound(hits.begin(), hits.end(), position,
                                     [](const SearchHit& h, std::int32_t p) { return h.offset < p; });
    return it == hits.begin() ? static_cast<int>(hits.size()) - 1 : static_cast<int>(it - hits.begin()) - 1;
}

SearchContext ContextOfHit(const char16_t* text, std::int32_t length, SearchHit hit, int before, int after)
{
    SearchContext out;
    if (!text || length <= 0)
        return out;
    const std::int32_t hitStart = std::clamp(hit.offset, 0, length);
    const std::int32_t hitEnd = std::clamp(hit.offset + std::max(0, hit.length), hitStart, length);
    std::int32_t from = std::max(0, hitStart - std::max(0, before));
    std::int32_t to = std::min(length, hitEnd + std::max(0, after));
    if (from > 0 && from < hitStart && IsLow(text[from]) && IsHigh(text[from - 1]))
        ++from;
    if (to < length && to > hitEnd && IsLow(text[to]) && IsHigh(text[to - 1]))
        --to;
    out.text.reserve(to - from);
    for (std::int32_t i = from; i < to; ++i) {
        const char16_t c = text[i];
        out.text += (c == u'\r' || c == u'\n' || c == u'\t') ? QChar(u' ') : QChar(c);
    }
    out.hitStart = hitStart - from;
    out.hitLength = hitEnd - hitStart;
    return out;
}
