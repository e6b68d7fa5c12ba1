// Script conversion: whole texts as OpenCC's own tool converts them, and display conversion that never
// moves an offset.
#include "convert/scriptconverter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Utf8(std::u16string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::shared_ptr<ScriptConverter> Converter(ConvertConfig config)
{
    std::string error;
    auto c = ScriptConverter::Get(config, &error);
    EXPECT_TRUE(c) << error;
    return c;
}

// What the distribution's opencc tool makes of `text`.
std::string OpenccTool(const char* config, const std::string& text)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::filesystem::path in = dir / ("lt_convert_in_" + std::to_string(::getpid()));
    const std::filesystem::path out = dir / ("lt_convert_out_" + std::to_string(::getpid()));
    std::ofstream(in, std::ios::binary) << text;
    const std::string cmd = std::string("opencc -c /usr/share/opencc/") + config + ".json -i '" +
                            in.string() + "' -o '" + out.string() + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::stringstream result;
    result << std::ifstream(out, std::ios::binary).rdbuf();
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return result.str();
}

const std::u16string kSimplified = u"她的头发很干净，后来我们去了图书馆。\n"
                                   u"天下复𫗧之忧，䑽与𫃗都是罕见字。\n"
                                   u"計算機和软件\n\n末行没有换行";
const std::u16string kTraditional = u"她的頭髮很乾淨，後來我們去了圖書館。\n"
                                    u"鐘錶與臺灣的電腦軟體，𩀨字。\n"
                                    u"二噁英";

TEST(ScriptConverter, WholeTextEqualsTheOpenccTool)
{
    const struct
    {
        ConvertConfig config;
        const char* name;
        const std::u16string& text;
    } cases[] = {
        {ConvertConfig::S2T, "s2t", kSimplified},
        {ConvertConfig::S2TW, "s2tw", kSimplified},
        {ConvertConfig::S2HK, "s2hk", kSimplified},
        {ConvertConfig::T2S, "t2s", kTraditional},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto converter = Converter(c.config);
        ASSERT_TRUE(converter);
        const std::u16string whole = converter->ConvertWhole(c.text);
        EXPECT_EQ(Utf8(whole), OpenccTool(c.name, Utf8(c.text)));
        EXPECT_NE(whole, c.text);

        // The sliced form (for a long edit) gives the same text and reports its end.
        std::u16string book;
        while (book.size() < 300'000)
            book += c.text + u"\n";
        std::u16string sliced;
        std::size_t lastDone = 0;
        EXPECT_TRUE(converter->ConvertWhole(book, &sliced, [&](std::size_t done, std::size_t total) {
            lastDone = done;
            return total == book.size();
        }));
        EXPECT_EQ(lastDone, book.size());
        EXPECT_TRUE(sliced == converter->ConvertWhole(book));
        EXPECT_FALSE(converter->ConvertWhole(book, &sliced, [](std::size_t done, std::size_t) {
            return done == 0;
        })) << "cancelling after the first slice";
    }
}

TEST(ScriptConverter, UnitsOpenccCannotTakeStayInPlace)
{
    const auto s2t = Converter(ConvertConfig::S2T);
    ASSERT_TRUE(s2t);
    // A NUL would end OpenCC's C string; an unpaired surrogate has no UTF-8 form.
    const std::u16string text =
        std::u16string(u"头发") + u'\0' + u"头发" + char16_t(0xD800) + u"干净" + char16_t(0xDC00);
    const std::u16string expected =
        std::u16string(u"頭髮") + u'\0' + u"頭髮" + char16_t(0xD800) + u"乾淨" + char16_t(0xDC00);
    EXPECT_TRUE(s2t->ConvertWhole(text) == expected);
    EXPECT_TRUE(s2t->ConvertForDisplay(text, 0, text.size()) == expected);
    EXPECT_TRUE(s2t->ConvertWhole(u"").empty());
    EXPECT_TRUE(s2t->ConvertForDisplay(u"", 0, 10).empty());
}

TEST(ScriptConverter, DisplayKeepsEveryOffset)
{
    const std::u16string mixed = u"天下复𫗧之忧，a𫃗b";
    const struct
    {
        ConvertConfig config;
        std::u16string text;
        std::size_t begin, end;
        std::u16string expected;
    } cases[] = {
        {ConvertConfig::S2T, u"她的头发很干净。", 0, 8, u"她的頭髮很乾淨。"},
        // One character of a phrase still converts as part of the phrase.
        {ConvertConfig::S2T, u"她的头发很干净。", 3, 4, u"髮"},
        {ConvertConfig::S2T, u"她的头发很干净。", 5, 7, u"乾淨"},
        // 䑽 becomes a character outside the BMP and 𫢸 one inside it: both keep their original.
        {ConvertConfig::S2T, u"这䑽𫢸个", 0, 5, u"這䑽𫢸個"},
        // The phrase 复𫗧之忧 would shrink by a unit: the whole phrase stays as it was.
        {ConvertConfig::S2T, mixed, 0, 8, u"天下复𫗧之忧，"},
        // Outside the BMP to outside the BMP converts; a range cutting the pair gets its converted half.
        {ConvertConfig::S2T, mixed, 9, 11, u"𩏷"},
        {ConvertConfig::S2T, mixed, 10, 12, std::u16string(1, u"𩏷"[1]) + u"b"},
        {ConvertConfig::S2T, mixed, 8, 10, u"a" + std::u16string(1, u"𩏷"[0])},
        {ConvertConfig::T2S, u"頭髮後來", 0, 4, u"头发后来"},
        {ConvertConfig::T2S, u"二噁英", 0, 3, u"二噁英"},
        {ConvertConfig::S2TW, u"台湾的着", 0, 4, u"臺灣的著"},
        {ConvertConfig::S2T, u"头发", 5, 9, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.text) + " " + std::to_string(c.begin));
        const auto converter = Converter(c.config);
        ASSERT_TRUE(converter);
        EXPECT_EQ(Utf8(converter->ConvertForDisplay(c.text, c.begin, c.end)), Utf8(c.expected));
    }
}

// Pages cut anywhere: each converted page has its own length, and together they make the text
// converted at once; line ends stay where they were.
TEST(ScriptConverter, PagesCutAnywhereAgreeWithTheWholeView)
{
    const std::u16string words[] = {u"头发", u"干净", u"复𫗧之忧", u"后来", u"䑽", u"𫃗", u"计算机", u"，",
                                    u"\r",   u"发展", u"面条",     u"里面", u"了", u"\n", u"𠀀"};
    std::u16string text;
    std::uint32_t seed = 11;
    while (text.size() < 20'000) {
        seed = seed * 1664525u + 1013904223u;
        text += words[(seed >> 8) % std::size(words)];
    }
    const auto s2t = Converter(ConvertConfig::S2T);
    ASSERT_TRUE(s2t);
    const std::u16string all = s2t->ConvertForDisplay(text, 0, text.size());
    ASSERT_EQ(all.size(), text.size());
    for (const std::size_t page : {1u, 7u, 333u, 1000u}) {
        std::u16string joined;
        for (std::size_t at = 0; at < text.size(); at += page) {
            const std::size_t end = std::min(text.size(), at + page);
            const std::u16string part = s2t->ConvertForDisplay(text, at, end);
            ASSERT_EQ(part.size(), end - at);
            joined += part;
        }
        std::size_t firstDiff = 0;
        while (firstDiff < all.size() && joined[firstDiff] == all[firstDiff])
            ++firstDiff;
        EXPECT_EQ(firstDiff, all.size())
            << "page size " << page << ": "
            << Utf8(std::u16string_view(text).substr(firstDiff > 20 ? firstDiff - 20 : 0, 40));
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        ASSERT_EQ(text[i] == u'\n' || text[i] == u'\r', all[i] == u'\n' || all[i] == u'\r') << i;
        ASSERT_EQ(text[i] >= 0xD800 && text[i] <= 0xDBFF, all[i] >= 0xD800 && all[i] <= 0xDBFF) << i;
    }
    // Where no phrase changes length, the view is the whole-text conversion.
    const std::u16string plain = u"头发很干净，后来发展了。\n里面的面条";
    EXPECT_TRUE(s2t->ConvertForDisplay(plain, 0, plain.size()) == s2t->ConvertWhole(plain));

    // Readers on several threads share one converter.
    std::vector<std::thread> threads;
    std::vector<bool> same(4, false);
    for (std::size_t t = 0; t < same.size(); ++t)
        threads.emplace_back([&, t] { same[t] = s2t->ConvertForDisplay(text, 0, text.size()) == all; });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(same, std::vector<bool>(4, true));
}

TEST(ScriptConverter, ConfigNames)
{
    ConvertConfig c = ConvertConfig::None;
    for (const char* name : {"s2t", "s2tw", "s2hk", "t2s", "none"}) {
        ASSERT_TRUE(ParseConvertConfig(name, &c)) << name;
        EXPECT_STREQ(ConvertConfigName(c), name);
    }
    for (const char* name : {"", "S2T", "s2twp", "t2tw", "s2t.json"})
        EXPECT_FALSE(ParseConvertConfig(name, &c)) << name;
    EXPECT_EQ(ScriptConverter::Get(ConvertConfig::None), nullptr);
}

} // namespace
