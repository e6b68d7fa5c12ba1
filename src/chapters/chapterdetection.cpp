// Finding chapter starts and turning them into rows.
#include "chapters/chapterdetection.h"

#include "chapters/chaptercondition.h"
#include "chapters/chapterpattern.h"
#include "chapters/keywordlinescanner.h"
#include "chapters/regexmatcher.h"
#include "chapters/regexsubject.h"
#include "settings/messagesink.h"

#include <QStringList>
#include <algorithm>
#include <optional>
#include <unordered_set>
#include <vector>

namespace {

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The start of the line holding each of a run of increasing offsets. A match starts at its line's
// start unless the condition moved it (\K); the table holds line starts only.
class LineStartFinder
{
public:
    explicit LineStartFinder(const char16_t* text) : m_text(text) {}
    std::int32_t operator()(std::int32_t at)
    {
        std::int32_t i = at;
        while (i > m_scanned && m_text[i - 1] != u'\r')
            --i;
        if (i > m_scanned || i == 0 || m_text[i - 1] == u'\r')
            m_lineStart = i;
        m_scanned = at;
        return m_lineStart;
    }

private:
    const char16_t* m_text;
    std::int32_t m_scanned = 0;   // offsets below this were looked at already
    std::int32_t m_lineStart = 0; // line start found for the last offset
};

bool Cancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// Full-width digits, letters and Chinese punctuation to their plain forms, letters lower case.
char16_t FoldForComparison(char16_t c)
{
    static constexpr char16_t from[] = u"，：；！？（）＋－【】";
    static constexpr char16_t to[] = u",:;!?()+-[]";
    for (std::size_t i = 0; i + 1 < std::size(from); ++i)
        if (c == from[i])
            return to[i];
    if (c >= 0xFF10 && c <= 0xFF19)
        return static_cast<char16_t>(u'0' + (c - 0xFF10));
    if (c >= 0xFF21 && c <= 0xFF3A)
        return static_cast<char16_t>(u'a' + (c - 0xFF21));
    if (c >= 0xFF41 && c <= 0xFF5A)
        return static_cast<char16_t>(u'a' + (c - 0xFF41));
    if (c >= u'A' && c <= u'Z')
        return static_cast<char16_t>(c - u'A' + u'a');
    return c;
}

} // namespace

ChapterSearchResult FindChapterStarts(const char16_t* text, std::int32_t length, RegexMatcher& matcher,
                                      const ChapterConditionList& conditions,
                                      const ChapterSearchOptions& options, ChapterTable& table,
                                      const std::atomic<bool>* cancel, ChapterSearchReport* report)
{
    table.Reset();
    if (report)
        *report = {};
    const QString numeralClass = BuildNumeralClass(options);
    if (numeralClass.isEmpty()) {
        ShowMessage(QStringLiteral("抱歉，查找条件有问题，请检查设置。"), MsgIcon::Warning);
        return ChapterSearchResult::NoNumeralKind;
    }
    const QString prefix = BuildLineHeadPrefix(options.ClampedLineHead());
    if (!text || length <= 0)
        return ChapterSearchResult::Done;

    const std::optional<std::u16string> clean = WithoutLoneSurrogates(text, length);
    const char16_t* subject = clean ? clean->data() : text;

    // Plain keywords are found in one shared pass; anything with pattern syntax goes to the engine.
    KeywordLineScanner scanner(options);
    std::vector<int> scannerIndex(static_cast<std::size_t>(conditions.Count()), -1);
    for (int i = 0; i < conditions.Count(); ++i) {
        const QString& c = conditions.Items()[i];
        if (IsConditionEnabled(c) && KeywordLineScanner::IsPlainKeyword(ConditionKeyword(c)))
            scannerIndex[static_cast<std::size_t>(i)] = scanner.AddKeyword(ConditionKeyword(c));
    }
    if (!scanner.Scan(subject, length, ChapterTable::kSize, cancel)) {
        table.Reset();
        return ChapterSearchResult::Cancelled;
    }

    std::unordered_set<std::int32_t> known;
    known.reserve(2 * ChapterTable::kSize);
    int count = 0;
    std::vector<RegexMatch> matches;
    std::vector<std::int32_t> starts;
    for (int i = 0; i < conditions.Count() && count < ChapterTable::kSize; ++i) {
        if (Cancelled(cancel)) {
            table.Reset();
            return ChapterSearchResult::Cancelled;
        }
        const QString& condition = conditions.Items()[i];
        if (!IsConditionEnabled(condition))
            continue;
        const QStringView keyword = ConditionKeyword(condition);
        // A bare "*" would make every line with a separator near its start a chapter.
        if (keyword.isEmpty())
            continue;
        const int si = scannerIndex[static_cast<std::size_t>(i)];
        const std::vector<std::int32_t>* found = nullptr;
        if (si >= 0) {
            found = &scanner.Starts(si);
        } else {
            const QString pattern = BuildChapterPattern(keyword, numeralClass, prefix, options.sepBlank);
            if (pattern.isEmpty())
                continue;
            matcher.SetPattern(pattern);
            // Each condition's starts are distinct, so more than a full table of them is never used.
            RegexRunReport run;
            if (!matcher.FindAll(subject, length, matches, cancel, ChapterTable::kSize, &run)) {
                if (Cancelled(cancel)) {
                    table.Reset();
                    return ChapterSearchResult::Cancelled;
                }
                continue;
            }
            if (run.failedLines > 0 && report)
                report->limitedConditions.append(keyword.toString());
            starts.clear();
            LineStartFinder lineOf(subject);
            for (const RegexMatch& m : matches)
                if (m.length > 0)
                    starts.push_back(lineOf(m.start));
            found = &starts;
        }
        for (std::int32_t start : *found) {
            if (!known.insert(start).second)
                continue;
            table[count++] = start;
            if (count == ChapterTable::kSize)
                break;
        }
    }
    if (report)
        report->tableFull = count == ChapterTable::kSize;
    std::sort(&table[0], &table[0] + count);
    return ChapterSearchResult::Done;
}

QStringList ChapterSearchNotices(const ChapterSearchReport& report)
{
    QStringList notices;
    for (const QString& keyword : report.limitedConditions)
        notices.append(QStringLiteral("条件“%1”在个别行上超出匹配步数上限，这些行已跳过。").arg(keyword));
    if (report.tableFull)
        notices.append(QStringLiteral("章节数已达上限 %1 个，其后的章节未列出。").arg(ChapterTable::kSize));
    return notices;
}

QString ChapterTitleAt(const char16_t* text, std::int32_t length, std::int32_t offset)
{
    if (!text || offset < 0 || offset >= length)
        return {};
    std::int32_t i = offset;
    while (i < length && IsTitleBlank(text[i]))
        ++i;
    std::int32_t end = i;
    while (end < length && end - i < kMaxTitleUnits && text[end] != u'\r')
        ++end;
    // Cutting between the halves of a pair would leave half a character in the title.
    if (end - i == kMaxTitleUnits && end < length && IsHighSurrogate(text[end - 1]) &&
        IsLowSurrogate(text[end]))
        --end;
    while (end > i && IsTitleBlank(text[end - 1]))
        --end;
    return QString(reinterpret_cast<const QChar*>(text + i), end - i);
}

bool TitlesEquivalent(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    for (;;) {
        while (i < a.size() && IsTitleBlank(a[i].unicode()))
            ++i;
        while (j < b.size() && IsTitleBlank(b[j].unicode()))
            ++j;
        const bool endA = i == a.size(), endB = j == b.size();
        if (endA || endB)
            return endA && endB;
        if (FoldForComparison(a[i].unicode()) != FoldForComparison(b[j].unicode()))
            return false;
        ++i;
        ++j;
    }
}

std::int32_t ChapterNumberOf(QStringView title)
{
    bool inNumber = false;
    std::uint32_t accumulator = 0; // wraps like the 32-bit original instead of overflowing
    std::int32_t number = 0;
    for (QChar qc : title) {
        if (IsTitleBlank(qc.unicode()))
            continue;
        const char16_t c = FoldForComparison(qc.unicode());
        if (!inNumber) {
            if (c == u'第') {
                inNumber = true;
                accumulator = 0;
            }
        } else if (c >= u'0' && c <= u'9') {
            accumulator = accumulator * 10u + static_cast<std::uint32_t>(c - u'0');
        } else {
            if (c == u'章')
                number = static_cast<std::int32_t>(accumulator);
            inNumber = false;
            accumulator = 0;
        }
    }
    return number;
}

int BuildChapterEntries(const char16_t* text, std::int32_t length, ChapterTable& table, bool noDupChapter,
                        const ChapterLabelFunction& label, const ChapterRowSink& sink)
{
    QString previous;
    bool dropped = false;
    int rows = 0;
    for (int i = 0; i < ChapterTable::kSize && table[i] >= 0; ++i) {
        const std::int32_t offset = table[i];
        const QString title = ChapterTitleAt(text, length, offset);
        bool drop = TitlesEquivalent(title, previous);
        if (!drop && noDupChapter) {
            const std::int32_t number = ChapterNumberOf(title);
            drop = number != 0 && number == ChapterNumberOf(previous);
        }
        if (drop) {
            table[i] = ChapterTable::kFree;
            dropped = true;
            continue;
        }
        ChapterEntry entry;
        entry.offset = offset;
        entry.label = label ? label(offset) : QString();
        entry.title = title;
        if (sink)
            sink(entry);
        previous = title;
        ++rows;
    }
    if (dropped)
        table.Compact();
    return rows;
}
