// Recognising a book's encoding, decoding it and making its line ends single CRs.
#include "document/textbuffer.h"
#include "document/textcount_p.h"
#include "document/codepage.h"
#include "settings/messagesink.h"

#include "bookgen/bookgen.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

class DecodeTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936"))); }
    void TearDown() override { CodePage::SetAnsiCodePage(QStringLiteral("CP936")); }

    // Decodes `bytes` as a file's contents; the text, or "<failed>".
    std::u16string Decode(const std::string& bytes)
    {
        m_messages.Clear();
        if (!m_buffer.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
            return u"<failed>";
        const char16_t* text = nullptr;
        std::int32_t length = 0;
        m_buffer.GetText(&text, &length);
        if (text) {
            EXPECT_EQ(text[length], u'\0');
        }
        return text ? std::u16string(text, static_cast<std::size_t>(length)) : std::u16string();
    }
    SourceEncoding Encoding() const { return m_buffer.Encoding(); }

    RecordingMessageSink m_messages;
    ScopedMessageSink m_scoped{&m_messages};
    TextBuffer m_buffer;
};

TEST_F(DecodeTest, LineEndsBecomeSingleCrsJudgedByWhatWasWritten)
{
    struct Case
    {
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"ab\r\n\r\ncd", u"ab\r\rcd"},
        {"ab\n\ncd", u"ab\rcd"},
        {"\nab", u"\rab"},
        {"\n\n\nab\n", u"\rab\r"},
        {"a\rb\r\rc", u"a\rb\r\rc"},
        {"a\n\r\nb", u"a\r\rb"}, // LF->CR, then CR, then its LF dropped
        {"a\r\n\nb", u"a\rb"},   // the second LF follows a written CR
        {"abc", u"abc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Decode(c.bytes), c.text) << c.bytes;
        EXPECT_EQ(Encoding(), SourceEncoding::Ansi);
    }
    // Long runs cross the vectorised search's blocks.
    std::string many;
    std::u16string expected;
    for (int i = 0; i < 50; ++i) {
        many += std::string(static_cast<std::size_t>(i % 19), 'x') + (i % 3 ? "\r\n" : "\n\n\n");
        expected += std::u16string(static_cast<std::size_t>(i % 19), u'x') + u"\r";
    }
    EXPECT_EQ(Decode(many), expected);
}

TEST_F(DecodeTest, MarksAndTheShortFiles)
{
    EXPECT_EQ(Decode(std::string("\xFF\xFE"
                                 "A\0\r\0\n\0",
                                 8)),
              u"A\r");
    EXPECT_EQ(Encoding(), SourceEncoding::Utf16Le);
    EXPECT_EQ(Decode(std::string("\xFE\xFF\0A", 4)), u"A");
    EXPECT_EQ(Encoding(), SourceEncoding::Utf16Be);
    // An odd last byte is no unit.
    EXPECT_EQ(Decode(std::string("\xFF\xFE"
                                 "A\0B",
                                 5)),
              u"A");
    // Units are copied as they are, surrogates and NULs included.
    EXPECT_EQ(Decode(std::string("\xFF\xFE\x3D\xD8\x00\xDE\0\0\x0A\0", 10)),
              std::u16string(u"\U0001F600\0\r", 4));

    // A mark with nothing after it: its bytes are read as ANSI text, the mark's encoding kept.
    EXPECT_EQ(Decode("\xEF\xBB\xBF"), u"\u9518\uFFFD"); // EF BB is one GBK character, BF is cut off
    EXPECT_EQ(Encoding(), SourceEncoding::Utf8Bom);
    EXPECT_EQ(Decode("\xFF\xFE"
                     "A"),
              u"\uFFFD\uFA0D");
    EXPECT_EQ(Encoding(), SourceEncoding::Utf16Le);
    // Two-byte files never look at marks.
    EXPECT_EQ(Decode("\xFF\xFE"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Encoding(), SourceEncoding::Ansi);

    EXPECT_EQ(Decode("\xEF\xBB\xBF\xE4\xB8\xAD\r\n"), u"中\r");
    EXPECT_EQ(Encoding(), SourceEncoding::Utf8Bom);
    EXPECT_TRUE(m_messages.Messages().isEmpty());
}

TEST_F(DecodeTest, Utf8IsRecognisedOnlyWhenEverySequenceIsComplete)
{
    struct Case
    {
        std::string bytes;
        bool utf8;
    };
    const Case cases[] = {
        {"\xC3\xA9", true},
        {"\xE9", false},
        {"abc", false},
        {"", false},
        {"\xC3"
         "A",
         false},
        {"ab\xE4\xB8", false}, // truncated
        {"\x80"
         "abc",
         false},                        // stray continuation
        {"\xC0\xAF", true},             // overlong: accepted, then decoded as U+FFFD
        {"\xED\xA0\x80", true},         // surrogate: the same
        {"\xF8\x80\x80\x80\x80", true}, // five-byte form
        {"\xFF\x80\x80\x80\x80\x80\x80\x80", true},
        {"\xFF\x80\x80\x80\x80\x80\x80", false},
        {std::string(40, 'a') + "\xE4\xB8\xAD" + std::string(40, 'b'), true},
        {std::string(40, 'a') + "\xE4\xB8" + std::string(40, 'b'), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsUtf8Text(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size()), c.utf8)
            << c.bytes;
        if (c.bytes.size() > 2) {
            Decode(c.bytes);
            EXPECT_EQ(Encoding(), c.utf8 ? SourceEncoding::Utf8 : SourceEncoding::Ansi) << c.bytes;
        }
    }
    // One- and two-byte files are always read as ANSI text, whatever the test says.
    EXPECT_EQ(Decode("\xC3\xA9"), u"\u8305");
    EXPECT_EQ(Encoding(), SourceEncoding::Ansi);
    EXPECT_EQ(Decode("\xC3\xA9\n"), u"é\r");
    EXPECT_EQ(Encoding(), SourceEncoding::Utf8);
    EXPECT_EQ(Decode("x\xC0\xAF"), u"x\uFFFD\uFFFD");
    EXPECT_EQ(Decode("\xF0\x9F\x98\x80\n"), u"\U0001F600\r");

    // The test split over pieces gives the same answer as in one go.
    const std::string text = "ab\xE4\xB8\xAD\xE6\x96\x87\xF0\x9F\x98\x80z";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        Utf8TextTest t;
        t.Feed(reinterpret_cast<const std::uint8_t*>(text.data()), cut);
        t.Feed(reinterpret_cast<const std::uint8_t*>(text.data()) + cut, text.size() - cut);
        EXPECT_TRUE(t.Accepts()) << cut;
    }
}

TEST_F(DecodeTest, LegacyCodePages)
{
    // 第一章 CR LF 　　天 in GBK.
    EXPECT_EQ(Decode("\xB5\xDA\xD2\xBB\xD5\xC2\r\n\xA1\xA1\xA1\xA1\xCC\xEC"), u"第一章\r　　天");
    EXPECT_EQ(Encoding(), SourceEncoding::Ansi);
    // A broken byte is marked and decoding goes on; a lead byte cut off at the end too.
    EXPECT_EQ(Decode("\xB5\xDA\xFF\xB5\xDA\xB5"), u"第\uFFFD第\uFFFD");
    // A GBK trail byte in the ASCII range is not taken for ASCII.
    EXPECT_EQ(Decode("\x81\x40" + std::string(20, 'a')), u"\u4E02" + std::u16string(20, u'a'));

    // 中文 in Big5, read with the code page the user chose.
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP950")));
    EXPECT_EQ(Decode("\xA4\xA4\xA4\xE5\n"), u"中文\r");
    EXPECT_EQ(Encoding(), SourceEncoding::Ansi);
}

TEST_F(DecodeTest, GeneratedBooksDecodeToTheirText)
{
    for (BookEncoding e : {BookEncoding::Utf8, BookEncoding::Utf8Bom, BookEncoding::Gbk,
                           BookEncoding::Utf16Le, BookEncoding::Utf16Be}) {
        BookOptions o;
        // Books of several megabytes are decoded window by window.
        o.characters = e == BookEncoding::Utf8 || e == BookEncoding::Gbk ? 2'500'000 : 20000;
        o.encoding = e;
        o.crlf = e != BookEncoding::Utf16Be && e != BookEncoding::Gbk;
        o.seed = static_cast<std::uint64_t>(e) + 7;
        const QString text = GenerateBookText(o);
        const QByteArray bytes = EncodeBookText(text, o);
        // CR LF pairs each give a CR; runs of bare LFs collapse into one.
        QString expected = text;
        expected.replace(QRegularExpression(o.crlf ? QStringLiteral("\n") : QStringLiteral("\n+")),
                         QStringLiteral("\r"));
        EXPECT_EQ(Decode(bytes.toStdString()), expected.toStdU16String()) << static_cast<int>(e);
    }
}

// A file whose text would pass the signed 32-bit offsets is counted in pieces before it is read;
// the count must match decoding the whole however the pieces fall.
TEST(TextCount, PiecewiseCountMatchesWholeDecoding)
{
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
    std::vector<std::string> books;
    for (BookEncoding e :
         {BookEncoding::Utf8, BookEncoding::Utf8Bom, BookEncoding::Gbk, BookEncoding::Utf16Be}) {
        BookOptions o;
        o.characters = 3000;
        o.encoding = e;
        books.push_back(GenerateBook(o).toStdString());
    }
    books.push_back("\xEF\xBB\xBF");
    books.push_back("ab\xE4\xB8\xAD\xE4\xB8"
                    "cd\x81");
    books.push_back(std::string("\xB5\xDA\x81\x30\x81\x30\xB5", 7) + std::string(5000, '\xB5'));

    for (const std::string& book : books) {
        TextBuffer whole;
        RecordingMessageSink sink;
        ScopedMessageSink scoped(&sink);
        ASSERT_TRUE(whole.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(book.data()), book.size()));
        PieceSource inOne = [&](const PieceVisitor& visit) {
            visit(reinterpret_cast<const std::uint8_t*>(book.data()), book.size());
            return true;
        };
        const std::size_t expected = CountDecodedUnits(inOne, SIZE_MAX - 1).value_or(0);
        if (book.find_first_of("\r\n") == std::string::npos) {
            EXPECT_EQ(expected, static_cast<std::size_t>(whole.Length()));
        }
        for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
                                  std::size_t{64}, std::size_t{1000}, book.size()}) {
            PieceSource source = [&](const PieceVisitor& visit) {
                for (std::size_t at = 0; at < book.size(); at += piece)
                    if (!visit(reinterpret_cast<const std::uint8_t*>(book.data()) + at,
                               std::min(piece, book.size() - at)))
                        break;
                return true;
            };
            const auto units = CountDecodedUnits(source, SIZE_MAX - 1);
            ASSERT_TRUE(units.has_value());
            EXPECT_EQ(*units, expected) << "piece " << piece;
            // Early stop: a limit below the count is passed as soon as it is.
            const auto stopped = CountDecodedUnits(source, expected - 1);
            ASSERT_TRUE(stopped.has_value());
            EXPECT_GT(*stopped, expected - 1);
        }
        // Normalising only shortens: the count bounds the text.
        EXPECT_GE(expected, static_cast<std::size_t>(whole.Length()));
        EXPECT_LE(expected, book.size());
    }
}

} // namespace

namespace {

// A plain decoder to check the fast paths against: one U+FFFD per maximal ill-formed subpart.
std::u16string ReferenceUtf8(const std::string& s)
{
    std::u16string out;
    std::size_t i = 0;
    const auto* b = reinterpret_cast<const unsigned char*>(s.data());
    while (i < s.size()) {
        const unsigned c = b[i];
        int len = 0;
        unsigned lo = 0x80, hi = 0xBF, cp = 0;
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
            lo = c == 0xE0 ? 0xA0 : 0x80;
            hi = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
            lo = c == 0xF0 ? 0x90 : 0x80;
            hi = c == 0xF4 ? 0x8F : 0xBF;
        }
        int k = 1;
        for (; k < len && i + k < s.size(); ++k) {
            const unsigned d = b[i + k];
            if (k == 1 ? (d < lo || d > hi) : (d & 0xC0) != 0x80)
                break;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (len == 0 || k < len) {
            out += u'\uFFFD';
            i += std::max(k, 1);
            continue;
        }
        i += static_cast<std::size_t>(len);
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::u16string Normalised(std::u16string s)
{
    s.resize(NormaliseLineEnds(s.data(), s.size()));
    return s;
}

} // namespace

// The vectorised paths (ASCII blocks, groups of four CJK characters, pairs from one 64-bit load)
// must agree with a plain decoder wherever runs start, stop and break.
TEST(Utf8Transcoder, FastPathsAgreeWithAPlainDecoder)
{
    const std::string pieces[] = {"a",
                                  "\r\n",
                                  "\n",
                                  "\n\n",
                                  "\r",
                                  "0123456789abcdef",
                                  "\xE4\xB8\xAD",
                                  "\xE3\x80\x80",
                                  "\xEF\xBC\x8C",
                                  "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97\xE7\xAC\xA6",
                                  "\xC3\xA9",
                                  "\xF0\x9F\x98\x80",
                                  "\xE0\x80\x80",
                                  "\xED\xA0\x80",
                                  "\xE0\xA0\x80",
                                  "\xEF\xBF\xBF",
                                  "\xC0\xAF",
                                  "\x80",
                                  "\xE4\xB8",
                                  "\xF4\x90\x80\x80",
                                  "\xFF"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        const int count = static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k) {
            // Mostly CJK, as books are, so the long runs get exercised.
            const std::size_t pick = random() % 4 == 0 ? random() % std::size(pieces) : 6 + random() % 4;
            s += pieces[pick];
        }
        const auto* b = reinterpret_cast<const std::uint8_t*>(s.data());
        const std::u16string expected = ReferenceUtf8(s);
        std::u16string out(s.size() + 16, u'\0');
        out.resize(CodePage::Utf8ToUtf16(b, s.size(), out.data()));
        ASSERT_EQ(out, expected) << round;
        EXPECT_EQ(CodePage::Utf8ToUtf16(b, s.size(), nullptr), expected.size());

        std::u16string lines(s.size() + 16, u'\0');
        lines.resize(CodePage::Utf8ToUtf16(b, s.size(), lines.data(), {.crLineEnds = true}));
        ASSERT_EQ(lines, Normalised(expected)) << round;

        // Stopping at the first ill-formed sequence: a prefix, and the whole when nothing is wrong.
        bool wellFormed = false;
        std::u16string strict(s.size() + 16, u'\0');
        strict.resize(CodePage::Utf8ToUtf16(b, s.size(), strict.data(),
                                            {.stopAtIllFormed = true, .crLineEnds = true}, &wellFormed));
        const bool clean = expected.find(u'\uFFFD') == std::u16string::npos;
        EXPECT_EQ(wellFormed, clean) << round;
        if (clean) {
            EXPECT_EQ(strict, Normalised(expected));
        } else {
            EXPECT_EQ(Normalised(expected).compare(0, strict.size(), strict), 0) << round;
        }
    }
}
