// The line-break rules on the shared line cutter: closing marks never start a line, opening marks
// never end one, one closing mark may hang.
#include "layout/linecutter.h"

#include "document/pagetable.h"
#include "layouttestsupport.h"

#include <string>
#include <vector>

namespace {

std::vector<std::int32_t> LineStarts(const std::u16string& text, int lineLength, bool rules)
{
    static const auto adv = UniformAdvances(10);
    std::vector<std::int32_t> starts;
    ForEachLineStart(text.data(), static_cast<std::int32_t>(text.size()), lineLength, adv.data(), rules,
                     [&](std::int32_t s) { starts.push_back(s); });
    return starts;
}

struct RuleCase
{
    const char* name;
    std::u16string text;
    std::vector<std::int32_t> plain; // rules off: today's cut
    std::vector<std::int32_t> ruled;
};

} // namespace

TEST(LineBreakRules, ClosingMarksHangOrPullAWordDownAndOpeningMarksMoveDown)
{
    // Five cells a line.
    const std::vector<RuleCase> cases = {
        {"comma hangs in the last cell", u"一二三四五，六七", {0, 5}, {0, 6}},
        {"full stop hangs", u"一二三四五。六七", {0, 5}, {0, 6}},
        {"question mark hangs", u"一二三四五？六七", {0, 5}, {0, 6}},
        {"hanging mark takes its CR", u"一二三四五。\r六", {0, 5, 7}, {0, 7}},
        {"mark at the end of the text hangs", u"一二三四五。", {0, 5}, {0}},
        {"two closing marks pull the last character down", u"一二三四五。”六七", {0, 5}, {0, 4}},
        {"closing quote and mark at the end", u"一二三四五？”", {0, 5}, {0, 4}},
        {"ellipsis pair", u"一二三四五……", {0, 5}, {0, 4}},
        {"closing book title and comma", u"一二三《四》，六七八", {0, 5}, {0, 3, 8}},
        {"opening quote does not end a line", u"一二三四“五六”", {0, 5}, {0, 4}},
        {"opening title mark does not end a line", u"一二三四《五六》", {0, 5}, {0, 4}},
        {"two opening marks go down together", u"一二三「《五六》」", {0, 5}, {0, 3}},
        {"mark that fits stays", u"一二三四，五六七八", {0, 5}, {0, 5}},
        {"half-width comma hangs", u"abcde,fg", {0, 5}, {0, 6}},
        {"half-width bracket moves down", u"abcd(ef)", {0, 5}, {0, 4}},
        {"vertical comma form hangs", u"一二三四五\uFE10六", {0, 5}, {0, 6}},
        {"private-use vertical full stop hangs", u"一二三四五\uE78E六", {0, 5}, {0, 6}},
        {"vertical opening bracket form moves down", u"一二三四\uFE43五六", {0, 5}, {0, 4}},
        {"a line of only punctuation keeps the plain cut",
         u"。。。。。。。。。。。。",
         {0, 5, 10},
         {0, 5, 10}},
        {"opening marks only keep the plain cut", u"《《《《《《《", {0, 5}, {0, 5}},
        {"CR lines are left alone", u"一二三\r，四", {0, 4}, {0, 4}},
    };
    for (const RuleCase& c : cases) {
        EXPECT_EQ(LineStarts(c.text, 50, false), c.plain) << c.name;
        EXPECT_EQ(LineStarts(c.text, 50, true), c.ruled) << c.name;
    }
}

TEST(LineBreakRules, PaginationWithRulesStartsNoLineWithAClosingMark)
{
    const auto adv = UniformAdvances(10);
    std::u16string text;
    for (int i = 0; i < 2000; ++i)
        text += (i % 3 == 0) ? u"天地玄黄，“宇宙”洪荒。" : u"日月盈昃？辰宿列张！《书》曰：";
    const auto length = static_cast<std::int32_t>(text.size());
    for (const int lineLength : {30, 70, 90, 130}) {
        std::vector<std::int32_t> starts;
        ForEachLineStart(text.data(), length, lineLength, adv.data(), true,
                         [&](std::int32_t s) { starts.push_back(s); });
        ASSERT_FALSE(starts.empty());
        for (std::size_t i = 1; i < starts.size(); ++i) {
            const std::int32_t s = starts[i];
            EXPECT_FALSE(IsNoLineStart(text[s])) << lineLength << " line " << i;
            EXPECT_FALSE(IsNoLineEnd(text[s - 1])) << lineLength << " line " << i;
            // At most one cell over the line length (the hanging mark).
            EXPECT_LE((s - starts[i - 1]) * 10, lineLength + 10) << lineLength << " line " << i;
        }
        // Pages hold whole lines of the same cut.
        PageTable table;
        PaginateText(text.data(), length, 4, lineLength, adv.data(), table, true);
        for (int p = 0; p < table.Count(); ++p)
            EXPECT_EQ(table.At(p), starts[static_cast<std::size_t>(p) * 4]) << lineLength << " page " << p;
    }
}
