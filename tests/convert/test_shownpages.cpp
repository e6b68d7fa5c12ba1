// Pages converted for display: the kept and made-ahead pages are the pages the converter makes, and
// a changed text never gets an old page.
#include "convert/shownpages.h"
#include "convert/shownscript.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Paragraphs of every kind the context window meets: short ones, one past the line search, and
// phrases sitting on the cuts.
std::u16string Book()
{
    std::u16string text;
    for (int i = 0; i < 40; ++i)
        text += u"她的头发很干净，后来我们去了图书馆。\r";
    for (int i = 0; i < 150; ++i)
        text += u"头发干净后来图书"; // 1,200 units without a line end
    text += u"\r";
    for (int i = 0; i < 30; ++i)
        text += u"天下复𫗧之忧，计算机软件。\r";
    return text;
}

} // namespace

TEST(ShownPages, KeptAndAheadPagesEqualTheConverter)
{
    const auto s2t = ScriptConverter::Get(ConvertConfig::S2T);
    const auto t2s = ScriptConverter::Get(ConvertConfig::T2S);
    ASSERT_TRUE(s2t && t2s);
    std::u16string text = Book();
    std::vector<ShownPages::Range> ranges;
    for (std::size_t at = 0; at < text.size(); at += 173)
        ranges.emplace_back(at, std::min(text.size(), at + 300));
    ranges.emplace_back(1500, 2700); // inside the long paragraph, its start out of reach
    ranges.emplace_back(text.size() - 5, text.size() + 9);

    ShownPages pages;
    for (const auto& [begin, end] : ranges) {
        SCOPED_TRACE(begin);
        const std::u16string direct = s2t->ConvertForDisplay(text, begin, end);
        EXPECT_TRUE(pages.Shown(s2t, text, begin, end) == direct);
        const std::uint64_t hits = pages.Hits();
        EXPECT_TRUE(pages.Shown(s2t, text, begin, end) == direct);
        EXPECT_EQ(pages.Hits(), hits + 1) << "the second look is kept";
        // Another converter never gets this page.
        EXPECT_TRUE(pages.Shown(t2s, text, begin, end) == t2s->ConvertForDisplay(text, begin, end));
    }

    // Made ahead on the worker: found kept, equal to what the converter makes.
    pages.Clear();
    const std::vector<ShownPages::Range> ahead(ranges.begin(), ranges.begin() + 6);
    pages.Prefetch(s2t, text, ahead);
    pages.WaitIdle();
    const std::uint64_t before = pages.Hits();
    for (const auto& [begin, end] : ahead)
        EXPECT_TRUE(pages.Shown(s2t, text, begin, end) == s2t->ConvertForDisplay(text, begin, end));
    EXPECT_EQ(pages.Hits(), before + ahead.size());

    // An edit just past a range, inside the context a phrase is read with, makes that page again.
    const auto [begin, end] = ranges[1];
    const std::u16string old = pages.Shown(s2t, text, begin, end);
    text[end] = u'头';
    text[end - 1] = u'x';
    const std::u16string now = pages.Shown(s2t, text, begin, end);
    EXPECT_TRUE(now == s2t->ConvertForDisplay(text, begin, end));
    EXPECT_FALSE(now == old);
}

TEST(ShownScript, ShowsTheBookAsItIsUntilAConverterIsIn)
{
    ShownScript& script = ShownScript::Instance();
    const std::u16string text = u"头发干净";
    const std::uint64_t generation = script.Generation();
    script.Set(ConvertConfig::S2T, nullptr); // still loading
    EXPECT_GT(script.Generation(), generation);
    EXPECT_TRUE(script.Page(text, 0, 4).empty());
    EXPECT_TRUE(script.Short(text) == text);
    script.Set(ConvertConfig::S2T, ScriptConverter::Get(ConvertConfig::S2T));
    EXPECT_TRUE(script.Page(text, 0, 4) == u"頭髮乾淨");
    EXPECT_TRUE(script.Short(text) == u"頭髮乾淨");
    script.Set(ConvertConfig::None, ScriptConverter::Get(ConvertConfig::S2T));
    EXPECT_EQ(script.Converter(), nullptr);
    EXPECT_TRUE(script.Page(text, 0, 4).empty());
}
