// The complex reformat: rejoining hard-wrapped lines by the paragraph signs, and the average line length.
#include "reformat/complexreformat.h"
#include "reformat/reformatoutput.h"

#include <gtest/gtest.h>
#include <string>

namespace {

constexpr char16_t kIndent[] = u"\x3000\x3000";

std::u16string Complex(std::u16string_view in, const ComplexOptions& o)
{
    const auto n = ComplexReformat(in.data(), static_cast<std::int32_t>(in.size()), nullptr, o);
    std::u16string out(static_cast<std::size_t>(n), u'\xFFFF');
    EXPECT_EQ(ComplexReformat(in.data(), static_cast<std::int32_t>(in.size()), out.data(), o), n);
    return out;
}

ComplexOptions AllOff()
{
    ComplexOptions o;
    o.beginWithChn = o.beginWithEng = o.checkLineLen = o.beginWithBlankLine = o.endWithSpec = false;
    o.addChnSpace = o.addBlankLine = false;
    return o;
}

// A hard-wrapped book: paragraphs indented with ideographic spaces or four SPACEs, one line with a
// single ideographic space (too few to count), and a blank line before an unindented paragraph.
const std::u16string kBook = u"\x3000\x3000第一段第一行文字\r"
                             u"第一段第二行\r"
                             u"\x3000\x3000第二段开始了\r"
                             u"\x3000第二段结束\r"
                             u"    English para\r"
                             u"goes on\r"
                             u"\r"
                             u"不缩进的第三段\r";

TEST(ComplexReformat, DefaultsJoinWrappedLinesAndIndentParagraphs)
{
    EXPECT_EQ(Complex(kBook, ComplexOptions{}), std::u16string(kIndent) + u"第一段第一行文字第一段第二行\r" +
                                                    kIndent + u"第二段开始了第二段结束\r" + kIndent +
                                                    u"English paragoes on\r" + kIndent + u"不缩进的第三段");
}

TEST(ComplexReformat, BlankLineAfterEachParagraph)
{
    ComplexOptions o;
    o.addBlankLine = true;
    EXPECT_EQ(Complex(kBook, o), std::u16string(kIndent) + u"第一段第一行文字第一段第二行\r\r" + kIndent +
                                     u"第二段开始了第二段结束\r\r" + kIndent + u"English paragoes on\r\r" +
                                     kIndent + u"不缩进的第三段");
}

TEST(ComplexReformat, ZeroIdeographicSpacesMakesEveryLineAParagraph)
{
    ComplexOptions o = AllOff();
    o.beginWithChn = true;
    o.chnSpace = 0;
    o.addChnSpace = true;
    // Blank lines break too, but never twice in a row; line ends may be CR, LF or CR LF.
    EXPECT_EQ(Complex(u"甲\r\n乙\n\n丙\r\r\x3000丁", o),
              std::u16string(kIndent) + u"甲\r" + kIndent + u"乙\r" + kIndent + u"丙\r" + kIndent + u"丁");
}

TEST(ComplexReformat, ShortLineTest)
{
    ComplexOptions o = AllOff();
    o.checkLineLen = true;
    // Average 35 / 4 = 8; threshold 8 - 8 / 20 = 8: only the line after the 5-unit line breaks.
    EXPECT_EQ(Complex(u"aaaaaaaaaa\raaaaaaaaaa\rbbbbb\rcccccccccc", o),
              u"aaaaaaaaaaaaaaaaaaaabbbbb\rcccccccccc");
    // Nothing to measure: nothing to do, even with other signs on.
    o.beginWithBlankLine = true;
    const std::u16string blank = u"  \r\x3000\r\t\r\n";
    EXPECT_EQ(ComplexReformat(blank.data(), static_cast<std::int32_t>(blank.size()), nullptr, o), 0);
}

TEST(ComplexReformat, ZeroTailSpaceFromAHandEditedFileActsAsOne)
{
    ComplexOptions o = AllOff();
    o.checkLineLen = true;
    o.tailSpace = 0;
    const std::u16string in = u"aaaaaaaaaa\rbb\rcccc";
    const std::u16string withZero = Complex(in, o);
    o.tailSpace = 1;
    EXPECT_EQ(withZero, Complex(in, o));
    EXPECT_EQ(withZero, u"aaaaaaaaaabbcccc");
}

TEST(ComplexReformat, LineEndCharactersAndBlankLineSwitch)
{
    ComplexOptions o = AllOff();
    o.endWithSpec = true;
    EXPECT_EQ(Complex(u"他说完了。\r下一段\r接着」\r最后", o), u"他说完了。\r下一段接着」\r最后");
    // Without the blank-line sign a blank line just disappears; leading blanks of the text too.
    EXPECT_EQ(Complex(u"\r \ra \r\r b", AllOff()), u"ab");
    o.paraEnd.clear();
    EXPECT_EQ(Complex(u"完。\r下", o), u"完。下");
}

TEST(ComplexReformat, NoTrailingBreakAndNothingForBlankText)
{
    ComplexOptions o;
    o.addBlankLine = true;
    EXPECT_EQ(Complex(u"\x3000\x3000x\r\r\r  \r", o), std::u16string(kIndent) + u"x");
    EXPECT_EQ(Complex(u"\r \r\x3000", ComplexOptions{}), u"");
    EXPECT_EQ(ComplexReformat(nullptr, 0, nullptr, ComplexOptions{}), 0);
}

TEST(ComplexReformat, ImageForTheDocumentIsUtf16LeWithMarkAndNothingForBlankText)
{
    const std::u16string in = u"\x3000\x3000x\r\x3000\x3000y";
    const ReformatImage image =
        ReformatToUtf16Le(in.data(), static_cast<std::int32_t>(in.size()), ComplexOptions{}, LineEnds::AsIs);
    ASSERT_EQ(image.status, ReformatStatus::Done);
    EXPECT_EQ(image.bytes, QByteArray("\xFF\xFE\x00\x30\x00\x30x\0\r\0\x00\x30\x00\x30y\0", 16));
    EXPECT_EQ(ReformatToUtf16Le(u" ", 1, ComplexOptions{}, LineEnds::CrLf).status,
              ReformatStatus::NothingToDo);
}

TEST(AverageLineLength, TrimmedNonBlankLinesInIntegerDivision)
{
    const std::u16string in = u"  ab  \r\r\x3000"
                              u"abcd\x3000\n\t\r\nabc";
    EXPECT_EQ(AverageLineLength(in.data(), static_cast<std::int32_t>(in.size())), 3);
    EXPECT_EQ(AverageLineLength(u"abcd\rabc", 8), 3);
    EXPECT_EQ(AverageLineLength(u" \r\t", 3), 0);
    EXPECT_EQ(AverageLineLength(u"", 0), 0);
}

} // namespace

TEST(ComplexReformat, CountsTheParagraphsLongerThanTheWarningLimit)
{
    const std::u16string limit(kLongParagraphUnits, u'字');
    struct Case
    {
        const char* name;
        std::u16string text;
        std::int64_t expected;
    };
    const Case cases[] = {
        {"empty", u"", 0},
        {"exactly the limit", limit, 0},
        {"one over, last", u"短\r" + limit + u"字", 1},
        {"two over, around blank paragraphs", limit + u"字\r\r" + limit + u"字\r", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CountLongParagraphs(c.text.data(), static_cast<std::int64_t>(c.text.size())), c.expected);
    }
    // A book without indents or blank lines becomes one paragraph: the result says so before it is used.
    std::u16string lines;
    while (lines.size() <= static_cast<std::size_t>(kLongParagraphUnits) * 6 / 5)
        lines += u"没有缩进的一行文字\r";
    const ReformatImage image = ReformatToUtf16Le(lines.data(), static_cast<std::int32_t>(lines.size()),
                                                  ComplexOptions{}, LineEnds::AsIs);
    ASSERT_EQ(image.status, ReformatStatus::Done);
    EXPECT_EQ(image.longParagraphs, 1);
}
