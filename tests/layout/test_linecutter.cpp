// Line and page cutting by advance width.
#include "layout/linecutter.h"

#include "document/pagetable.h"
#include "layouttestsupport.h"

#include <string>
#include <vector>

namespace {

std::vector<std::int32_t> Paginate(const std::u16string& text, int lines, int lineLength,
                                   const std::uint8_t* advances)
{
    PageTable table;
    const int count =
        PaginateText(text.data(), static_cast<std::int32_t>(text.size()), lines, lineLength, advances, table);
    EXPECT_EQ(count, table.Count());
    return table.Starts();
}

} // namespace

TEST(LineCutter, LineEndsAtWidthAtCrOrAtTextEnd)
{
    const auto adv = UniformAdvances(10);
    const std::u16string text = u"abcdefg\rxy";
    const auto* t = text.data();
    const auto end = static_cast<std::int32_t>(text.size());
    // Three units fill 30 exactly and still fit; the fourth starts the next line.
    EXPECT_EQ(CutLine(t, 0, end, 30, adv.data()), 3);
    EXPECT_EQ(CutLine(t, 0, end, 29, adv.data()), 2);
    // The CR fits after a full line (advance 0) and belongs to it.
    EXPECT_EQ(CutLine(t, 4, end, 30, adv.data()), 8);
    EXPECT_EQ(CutLine(t, 8, end, 100, adv.data()), end);
    // Nothing fits: the line still takes its first unit.
    EXPECT_EQ(CutLine(t, 0, end, 9, adv.data()), 1);
    EXPECT_EQ(CutLine(t, 0, end, -1, adv.data()), 1);
    EXPECT_EQ(CutLine(t, end, end, 9, adv.data()), end);
}

TEST(LineCutter, SurrogatePairStaysOnOneLine)
{
    auto adv = UniformAdvances(10);
    std::fill(adv.begin() + 0xD800, adv.begin() + 0xDC00, std::uint8_t{10});
    std::fill(adv.begin() + 0xDC00, adv.begin() + 0xE000, std::uint8_t{0});
    const std::u16string text = u"ab\U00020000c";
    // Room for two units and a half: the pair moves to the next line whole.
    EXPECT_EQ(CutLine(text.data(), 0, 5, 25, adv.data()), 2);
    EXPECT_EQ(CutLine(text.data(), 0, 5, 30, adv.data()), 4);
}

TEST(LineCutter, TwoLinePagesKeepEmptyLines)
{
    const auto adv = UniformAdvances(10);
    // "ab" CR CR "cd", room for many characters, two lines a page.
    EXPECT_EQ(Paginate(u"ab\r\rcd", 2, 1000, adv.data()), (std::vector<std::int32_t>{0, 4}));
    // Wrapped lines and CR lines together.
    EXPECT_EQ(Paginate(u"abcdefg\r\rhi", 2, 30, adv.data()), (std::vector<std::int32_t>{0, 6, 9}));
}

TEST(LineCutter, UnitWiderThanLineGetsALineOfItsOwn)
{
    auto adv = UniformAdvances(10);
    adv[u'W'] = 50;
    adv[0xD840] = 50; // the high half of U+20000
    struct Case
    {
        std::u16string text;
        int lines;
        std::vector<std::int32_t> starts;
    };
    // Line length 40: the wide unit takes a line alone and the text after it still gets its pages.
    const Case cases[] = {
        {u"abWcd", 3, {0}},
        {u"abcdefgh\rWxyz", 2, {0, 9}},
        {u"abcdefgh\rijkl\rWxyz", 2, {0, 9, 15}},
        {u"Wabc", 1, {0, 1}},
        {u"WWW", 1, {0, 1, 2}},
        // A wide pair stays whole on its line.
        {u"\U00020000ab", 1, {0, 2}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Paginate(c.text, c.lines, 40, adv.data()), c.starts)
            << std::string(c.text.begin(), c.text.end());
}

namespace {

// The cut written as plainly as possible, to hold the fast one to.
std::int32_t ReferenceCut(const std::u16string& text, std::int32_t pos, int lineLength,
                          const std::uint8_t* adv)
{
    int sum = 0;
    for (auto i = static_cast<std::size_t>(pos); i < text.size(); ++i) {
        sum += adv[text[i]];
        if (sum > lineLength)
            return static_cast<std::int32_t>(i);
        if (text[i] == u'\r')
            return static_cast<std::int32_t>(i + 1);
    }
    return static_cast<std::int32_t>(text.size());
}

// With at least one unit on every line.
std::int32_t ReferenceLine(const std::u16string& text, std::int32_t pos, int lineLength,
                           const std::uint8_t* adv)
{
    const std::int32_t end = ReferenceCut(text, pos, lineLength, adv);
    return end == pos && pos < static_cast<std::int32_t>(text.size()) ? pos + 1 : end;
}

} // namespace

TEST(LineCutter, PagesHoldExactlyWhatDrawingCuts)
{
    // Drawing cuts a page line by line from its start with a fresh state; the units it consumes must
    // end where the next page begins, and every line must match the plain reference cut. Tried with
    // scattered widths (the line-length guess is mostly wrong) and with near-uniform Chinese text (it
    // is mostly right), with CR runs and odd narrow or zero-width units.
    std::array<std::uint8_t, 65536> scattered{};
    std::array<std::uint8_t, 65536> chinese{};
    for (int u = 0; u < 65536; ++u) {
        scattered[static_cast<std::size_t>(u)] = static_cast<std::uint8_t>(3 + (u * 7) % 23);
        chinese[static_cast<std::size_t>(u)] = u < 0x100 ? static_cast<std::uint8_t>(u % 17) : 26;
    }
    scattered[u'\r'] = 0;
    chinese[u'\r'] = 0;
    std::u16string text;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const std::uint32_t r = (seed >> 16) % 1000;
        if (r < 5)
            text.push_back(u'\r');
        else if (r < 40)
            text.push_back(static_cast<char16_t>(1 + (seed >> 8) % 255));
        else
            text.push_back(static_cast<char16_t>(0x4E00 + (seed >> 8) % 5000));
    }
    const auto end = static_cast<std::int32_t>(text.size());
    for (const auto* adv : {scattered.data(), chinese.data()}) {
        for (int lineLength : {20, 30, 250, 312, 1000}) {
            const int lines = 9;
            const auto starts = Paginate(text, lines, lineLength, adv);
            ASSERT_GT(starts.size(), 10u);
            for (std::size_t page = 0; page < starts.size(); ++page) {
                std::int32_t pos = starts[page];
                for (int n = 0; n < lines && pos < end; ++n) {
                    const std::int32_t next = CutLine(text.data(), pos, end, lineLength, adv);
                    ASSERT_EQ(next, ReferenceLine(text, pos, lineLength, adv));
                    ASSERT_GT(next, pos);
                    pos = next;
                }
                const std::int32_t expected = page + 1 < starts.size() ? starts[page + 1] : end;
                ASSERT_EQ(pos, expected) << "page " << page << " line length " << lineLength;
            }
        }
    }
}
