// The simple reformat: blank lines, trimming and indenting, measured and written alike.
#include "reformat/simplereformat.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string Simple(std::u16string_view in, bool deleteBlankLines, bool trim, bool indent)
{
    const SimpleOptions o{deleteBlankLines, trim, indent};
    const auto n = SimpleReformat(in.data(), static_cast<std::int32_t>(in.size()), nullptr, o);
    std::u16string out(static_cast<std::size_t>(n), u'\xFFFF');
    EXPECT_EQ(SimpleReformat(in.data(), static_cast<std::int32_t>(in.size()), out.data(), o), n);
    return out;
}

TEST(SimpleReformat, AllOnRemovesBlankLinesTrimsAndIndentsAfterTrimming)
{
    EXPECT_EQ(Simple(u"a b  \r\r\r  c d\r", true, true, true), u"\x3000\x3000"
                                                               u"a b\r\x3000\x3000"
                                                               u"c d\r");
    // Ideographic spaces and TABs are blanks too; an inner run is kept whole.
    EXPECT_EQ(Simple(u"\x3000\tx \x3000 y\t\x3000", true, true, true), u"\x3000\x3000x \x3000 y");
    // Only a blank first line can survive: nothing was emitted before its CR.
    EXPECT_EQ(Simple(u"\r\r\rx", true, true, false), u"\rx");
    EXPECT_EQ(Simple(u"", true, true, true), u"");
}

TEST(SimpleReformat, IndentOnlyGoesBeforeTheLinesOwnBlanks)
{
    EXPECT_EQ(Simple(u"  x", false, false, true), u"\x3000\x3000  x");
    // Empty lines get no indent; blank-only lines do, since their blanks are their first characters.
    EXPECT_EQ(Simple(u"a\r\r \rb", false, false, true), u"\x3000\x3000"
                                                        u"a\r\r\x3000\x3000 \r\x3000\x3000"
                                                        u"b");
}

TEST(SimpleReformat, DeleteBlankLinesWithoutTrimKeepsLeadingBlanksOfRealLines)
{
    EXPECT_EQ(Simple(u"a\r  \r\t\x3000\r  b  \r", true, false, true), u"\x3000\x3000"
                                                                      u"a\r\x3000\x3000  b  \r");
    EXPECT_EQ(Simple(u"a\r  ", true, false, false), u"a\r");
}

TEST(SimpleReformat, TrimOnlyKeepsEmptyLines)
{
    EXPECT_EQ(Simple(u" a \r \r\rb\t", false, true, false), u"a\r\r\rb");
}

TEST(SimpleReformat, LongInnerBlankRunStaysWholeAndLinear)
{
    // A quadratic look-ahead would make this take minutes.
    std::u16string in = u"a";
    in.append(2'000'000, u' ');
    in += u"b";
    EXPECT_EQ(Simple(in, true, true, false), in);
    std::u16string trailing = u"a";
    trailing.append(2'000'000, u'\x3000');
    EXPECT_EQ(Simple(trailing, true, true, false), u"a");
}

} // namespace
