// The code-page layer: UTF-8 decoding, GBK round trips and lead bytes.
#include "document/codepage.h"

#include "document/bytescan_p.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string Utf8(const std::string& bytes)
{
    std::u16string out(bytes.size(), u'\0');
    out.resize(
        CodePage::Utf8ToUtf16(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out.data()));
    return out;
}

class CodePageTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936"))); }
};

TEST_F(CodePageTest, Utf8DecodesAndMarksBrokenSequences)
{
    EXPECT_EQ(Utf8("abc"), u"abc");
    EXPECT_EQ(Utf8("\xE4\xB8\xAD\xE6\x96\x87"), u"中文");
    EXPECT_EQ(Utf8("\xF0\x9F\x98\x80"), u"\U0001F600");
    // A lone lead byte, a stray continuation byte, an overlong form and an encoded surrogate.
    EXPECT_EQ(Utf8("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(Utf8("\x80x"), u"\uFFFDx");
    EXPECT_EQ(Utf8("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    // The ASCII fast path hands over to the slow path mid-chunk.
    EXPECT_EQ(Utf8("abcdefg\xE4\xB8\xADhijklmnop"), u"abcdefg中hijklmnop");
    EXPECT_EQ(CodePage::Utf8ToUtf16(reinterpret_cast<const std::uint8_t*>("\xE4\xB8\xAD"), 3, nullptr), 1u);
}

TEST(CodePageUtf8, WellFormedAnswersWhatTheStrictDecoderAnswers)
{
    struct Case
    {
        std::string bytes;
        bool wellFormed;
        CodePage::ByteOrderMark mark;
    };
    using M = CodePage::ByteOrderMark;
    const Case cases[] = {
        {"", true, M::None},
        {"plain", true, M::None},
        {"\xE4\xB8\xAD\xE6\x96\x87", true, M::None},
        {"\xEF\xBB\xBFok", true, M::Utf8},
        {"\xEF\xBB", false, M::None}, // cut short
        {"\xC0\x80", false, M::None},  // overlong
        {"\xED\xA0\x80", false, M::None}, // surrogate
        {"\xF4\x90\x80\x80", false, M::None}, // past U+10FFFF
        {"\xF0\x9F\x98\x80", true, M::None},
        {"\xFF\xFE" "a", false, M::Utf16Le},
        {"\xFE\xFF", false, M::Utf16Be},
        {"\xFF", false, M::None},
        {std::string(40, 'a') + "\xE0\x9F\xBF" + std::string(40, 'b'), false, M::None},
    };
    for (const Case& c : cases) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(c.bytes.data());
        EXPECT_EQ(CodePage::IsWellFormedUtf8(p, c.bytes.size()), c.wellFormed) << c.bytes;
        EXPECT_EQ(CodePage::MarkOf(p, c.bytes.size()), c.mark) << c.bytes;
        std::u16string out(c.bytes.size() + 16, u'\0');
        bool strict = false;
        CodePage::Utf8ToUtf16(p, c.bytes.size(), out.data(), {.stopAtIllFormed = true}, &strict);
        EXPECT_EQ(strict, c.wellFormed) << c.bytes;
    }
}

// The same answers from the SSE2 scans and from the plain loops of a LEAFTURNER_PORTABLE build.
TEST(ByteScan, MasksAndRunsStopAtTheBytesAboveAscii)
{
    const std::string block = "\x80\x7F\n\na\xFF\nbcdefghi\xE4";
    const auto* b = reinterpret_cast<const std::uint8_t*>(block.data());
    EXPECT_EQ(ByteScan::HighBits16(b), 0x8021u);
    EXPECT_EQ(ByteScan::EqualBits16(b, '\n'), 0x004Cu);

    struct Case
    {
        std::string bytes;
        std::size_t from;
        std::size_t asciiRun; // from the start
        std::size_t next16;   // from `from`
    };
    const std::string a16(16, 'a');
    const Case cases[] = {
        {std::string(40, 'a'), 0, 40, 0},
        {std::string(40, 'a'), 30, 40, 40}, // fewer than sixteen left
        {std::string(15, 'a') + "\x80" + a16, 0, 15, 16},
        {"\x80" + std::string(15, 'a'), 0, 0, 16},
        {a16 + "\xE4" + "aaa", 0, 16, 0},
        // The scan goes on past the last high byte of each block, not sixteen at a time.
        {"aaa\x80" + std::string(13, 'a') + "\x80" + std::string(22, 'a'), 0, 3, 18},
        {"aaa\x80" + std::string(13, 'a') + "\x80" + std::string(22, 'a'), 5, 3, 18},
        {"\xE4\xB8\xAD\xE6\x96\x87" + std::string(15, 'a') + "\xE4\xB8\xAD", 0, 0, 24},
    };
    for (const Case& c : cases) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(c.bytes.data());
        EXPECT_EQ(ByteScan::AsciiRun(p, c.bytes.size()), c.asciiRun) << c.bytes;
        EXPECT_EQ(ByteScan::NextAsciiRun16(p, c.from, c.bytes.size()), c.next16) << c.bytes;
    }
}

TEST_F(CodePageTest, AnsiRoundTripAndUnrepresentableCharacters)
{
    const QString text = QStringLiteral("第一章　风起，abc");
    bool exact = false;
    const QByteArray gbk = CodePage::QStringToAnsi(text, &exact);
    EXPECT_TRUE(exact);
    EXPECT_EQ(gbk.left(2), QByteArray("\xB5\xDA"));
    EXPECT_EQ(CodePage::AnsiToQString(gbk), text);

    const QByteArray lossy = CodePage::QStringToAnsi(QStringLiteral("a\U0001F600b"), &exact);
    EXPECT_FALSE(exact);
    EXPECT_EQ(lossy, QByteArray("a?b"));

    // An undecodable byte becomes U+FFFD and decoding goes on.
    EXPECT_EQ(CodePage::AnsiToQString(QByteArray("a\xFF"
                                                 "b")),
              QStringLiteral("a\uFFFDb"));
}

TEST_F(CodePageTest, LeadBytesFollowTheCodePage)
{
    EXPECT_TRUE(CodePage::IsLeadByte(0x81));
    EXPECT_TRUE(CodePage::IsLeadByte(0xB5));
    EXPECT_FALSE(CodePage::IsLeadByte('a'));
    EXPECT_FALSE(CodePage::IsLeadByte(0x80));
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP932")));
    EXPECT_TRUE(CodePage::IsLeadByte(0x81));
    EXPECT_FALSE(CodePage::IsLeadByte(0xB5)); // half-width katakana is a single byte
    EXPECT_FALSE(CodePage::SetAnsiCodePage(QStringLiteral("NO-SUCH-CODEPAGE")));
    EXPECT_EQ(CodePage::AnsiCodePageName(), QStringLiteral("CP932"));
}

TEST(CodePageLocale, LocalePicksTheCodePage)
{
    EXPECT_EQ(CodePage::CodePageForLocale(QStringLiteral("zh_TW.UTF-8")), QStringLiteral("CP950"));
    EXPECT_EQ(CodePage::CodePageForLocale(QStringLiteral("zh_HK")), QStringLiteral("CP950"));
    EXPECT_EQ(CodePage::CodePageForLocale(QStringLiteral("ja_JP.UTF-8")), QStringLiteral("CP932"));
    EXPECT_EQ(CodePage::CodePageForLocale(QStringLiteral("ko_KR")), QStringLiteral("CP949"));
    EXPECT_EQ(CodePage::CodePageForLocale(QStringLiteral("C.UTF-8")), QStringLiteral("GB18030"));
    EXPECT_EQ(CodePage::CodePageForLocale(QStringLiteral("zh_CN.GBK")), QStringLiteral("GB18030"));
}

// GB18030 reads every GBK book the same, and also the four-byte characters GBK lacks, and writes
// them back; a named code page works without changing the ANSI one.
TEST(CodePageLocale, Gb18030ReadsGbkAndFourByteCharacters)
{
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
    const QByteArray gbk("\xCC\xEC\xC9\xAB\xBD\xAB\xCD\xED\x81\x40\xA3\xAC"); // 天色将晚丂，
    const QString viaGbk = CodePage::AnsiToQString(gbk);
    QString viaGb18030(gbk.size(), Qt::Uninitialized);
    std::size_t invalid = 0;
    viaGb18030.truncate(static_cast<qsizetype>(CodePage::LegacyToUtf16(
        QStringLiteral("GB18030"), reinterpret_cast<const std::uint8_t*>(gbk.constData()),
        static_cast<std::size_t>(gbk.size()), reinterpret_cast<char16_t*>(viaGb18030.data()), &invalid)));
    EXPECT_EQ(viaGb18030, viaGbk);
    EXPECT_EQ(invalid, 0u);
    EXPECT_EQ(CodePage::AnsiCodePageName(), QStringLiteral("CP936"));

    const QString rare = QString::fromUtf8("\xF0\xA0\x80\x80\xE4\xB8\x80\xE2\x82\xAC"); // U+20000 一 €
    bool exact = false;
    const QByteArray bytes = CodePage::Utf16ToLegacy(QStringLiteral("GB18030"),
                                                     reinterpret_cast<const char16_t*>(rare.constData()),
                                                     static_cast<std::size_t>(rare.size()), &exact);
    EXPECT_TRUE(exact);
    EXPECT_EQ(bytes, QByteArray("\x95\x32\x82\x36\xD2\xBB\xA2\xE3"));
    (void)CodePage::QStringToAnsi(rare, &exact);
    EXPECT_FALSE(exact); // CP936 cannot hold U+20000
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("GB18030")));
    EXPECT_EQ(CodePage::AnsiToQString(bytes), rare);
    EXPECT_TRUE(CodePage::IsLeadByte(0x95));
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
    EXPECT_TRUE(CodePage::LeadBytes(QStringLiteral("CP950"))[0xA4]);
    EXPECT_FALSE(CodePage::LeadBytes(QStringLiteral("CP932"))[0xB5]);
    EXPECT_FALSE(CodePage::IsKnownCodePage(QStringLiteral("NO-SUCH-CODEPAGE")));
}

TEST(CodePageUtf8, EncodesEveryLengthAndReplacesLoneSurrogates)
{
    struct Case
    {
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"", ""},
        {u"a\r", "a\r"},
        {u"\u00E9", "\xC3\xA9"},
        {u"\u4E2D\u6587", "\xE4\xB8\xAD\xE6\x96\x87"},
        {u"\U00020000", "\xF0\xA0\x80\x80"},
        {std::u16string(1, u'\xD800'), "\xEF\xBF\xBD"},                       // high at the end
        {std::u16string{u'\xDC00', u'a'}, "\xEF\xBF\xBD" "a"},                  // low alone
        {std::u16string{u'\xD800', u'\xD800', u'\xDC00'}, "\xEF\xBF\xBD\xF0\x90\x80\x80"}, // then a pair
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CodePage::Utf16ToUtf8(c.text.data(), c.text.size()), c.bytes);
    }
}

} // namespace
