// Random condition files, settings and book text through the chapter search. Plain keywords are
// found without the engine; the engine must agree with that wherever it finishes its run.
#include "chapters/chapterdetection.h"
#include "chapters/chapterpattern.h"
#include "chapters/conditionfile.h"
#include "chapters/keywordlinescanner.h"
#include "chapters/regexmatcher.h"
#include "document/codepage.h"
#include "settings/messagesink.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Input: options byte, line-head byte, condition-file length (2 bytes, little-endian), the
// condition file, then the book as UTF-16LE units.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool init = CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
    (void)init;
    static RecordingMessageSink sink;
    static ScopedMessageSink scoped(&sink);
    sink.Clear();
    if (size < 4)
        return 0;
    ChapterSearchOptions o;
    o.engDigit = data[0] & 1;
    o.chnDigit = data[0] & 2;
    o.chnLower = data[0] & 4;
    o.chnUpper = data[0] & 8;
    o.sepBlank = data[0] & 16;
    o.noDupChapter = data[0] & 32;
    o.lineHead = data[1] % 24 - 1; // a stored value out of range now and then
    std::size_t fileLength = data[2] | (data[3] << 8);
    data += 4;
    size -= 4;
    fileLength = std::min(fileLength, size);

    ChapterConditionList conditions;
    LoadConditionBytes(data, static_cast<std::uint32_t>(fileLength), conditions);
    // What the condition list writes reads back as the same list.
    const QByteArray saved = ConditionFileBytes(conditions);
    ChapterConditionList reread;
    LoadConditionBytes(reinterpret_cast<const std::uint8_t*>(saved.constData()),
                       static_cast<std::uint32_t>(saved.size()), reread);
    if (!(reread == conditions))
        __builtin_trap();
    std::vector<char16_t> text((size - fileLength) / 2);
    if (!text.empty())
        std::memcpy(text.data(), data + fileLength, text.size() * 2);
    const auto length = static_cast<std::int32_t>(text.size());

    RegexMatcher matcher;
    matcher.Create();
    matcher.SetGlobal(true);
    matcher.SetMultiline(true);
    ChapterTable table;
    const ChapterSearchResult result = FindChapterStarts(text.data(), length, matcher, conditions, o, table);
    if (result == ChapterSearchResult::NoNumeralKind && sink.Messages().size() != 1)
        __builtin_trap();
    for (int i = 0; i < table.Count(); ++i) {
        const std::int32_t s = table[i];
        if (s >= length || (s > 0 && text[static_cast<std::size_t>(s) - 1] != u'\r') ||
            (i > 0 && table[i - 1] >= s))
            __builtin_trap();
    }
    std::vector<std::int32_t> rows;
    BuildChapterEntries(text.data(), length, table, o.noDupChapter, {}, [&](const ChapterEntry& e) {
        if (e.title.size() > kMaxTitleUnits)
            __builtin_trap();
        rows.push_back(e.offset);
    });
    // After compaction entry i is row i.
    if (static_cast<int>(rows.size()) != table.Count())
        __builtin_trap();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (table[static_cast<int>(i)] != rows[i])
            __builtin_trap();

    // Scanner against engine, on text the engine accepts.
    if (result != ChapterSearchResult::Done)
        return 0;
    for (char16_t& c : text)
        if (c >= 0xD800 && c <= 0xDFFF)
            c = u'?';
    std::vector<RegexMatch> matches;
    for (const QString& c : conditions.Items()) {
        const QStringView keyword = ConditionKeyword(c);
        if (!IsConditionEnabled(c) || !KeywordLineScanner::IsPlainKeyword(keyword))
            continue;
        KeywordLineScanner scanner(o);
        scanner.AddKeyword(keyword);
        scanner.Scan(text.data(), length, ChapterTable::kSize);
        matcher.SetPattern(BuildChapterPattern(keyword, BuildNumeralClass(o),
                                               BuildLineHeadPrefix(o.ClampedLineHead()), o.sepBlank));
        if (!matcher.FindAll(text.data(), length, matches))
            continue;
        std::vector<std::int32_t> starts;
        for (const RegexMatch& m : matches)
            if (m.length > 0 && starts.size() < static_cast<std::size_t>(ChapterTable::kSize))
                starts.push_back(m.start);
        if (starts != scanner.Starts(0))
            __builtin_trap();
    }
    return 0;
}
