#include "convert/scriptconverter.h"

#include "convert/utf16utf8_p.h"

#include <Config.hpp>
#include <ConversionChain.hpp>
#include <Converter.hpp>
#include <Segmentation.hpp>
#include <Segments.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <map>
#include <vector>

namespace {

struct ConfigEntry
{
    ConvertConfig config;
    const char* name;
    const char* file;
};

constexpr std::array<ConfigEntry, 5> kConfigs{{
    {ConvertConfig::None, "none", nullptr},
    {ConvertConfig::S2T, "s2t", "s2t.json"},
    {ConvertConfig::S2TW, "s2tw", "s2tw.json"},
    {ConvertConfig::S2HK, "s2hk", "s2hk.json"},
    {ConvertConfig::T2S, "t2s", "t2s.json"},
}};

// Past the end of a range, more than any phrase's length: phrases starting inside it are matched as
// in the whole text.
constexpr std::size_t kContext = 64;
// Before a range, how far to look for the line end where segmentation restarts as in the whole text.
// Paragraphs longer than this start a context's width back instead, which can segment the first
// phrase differently from a neighbouring page.
constexpr std::size_t kLineSearch = 1024;

bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}
bool IsLineEnd(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

// OpenCC reads C strings and UTF-8: a NUL would end the text early and an unpaired surrogate has no
// UTF-8 form. Such units are passed through untouched and split the text into runs around them.
bool IsBarrier(std::u16string_view text, std::size_t i)
{
    const char16_t c = text[i];
    if (c == 0)
        return true;
    if (IsHigh(c))
        return i + 1 >= text.size() || !IsLow(text[i + 1]);
    if (IsLow(c))
        return i == 0 || !IsHigh(text[i - 1]);
    return false;
}

template <typename Fn> void ForEachRun(std::u16string_view text, Fn&& fn)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsBarrier(text, i))
            continue;
        if (i > start)
            fn(start, text.substr(start, i - start));
        start = i + 1;
    }
    if (text.size() > start)
        fn(start, text.substr(start));
}

// Both strings have a surrogate pair at the same places, so each code point keeps its position.
bool SameShape(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (IsHigh(a[i]) != IsHigh(b[i]))
            return false;
    return true;
}

} // namespace

bool ParseConvertConfig(std::string_view name, ConvertConfig* config)
{
    for (const ConfigEntry& entry : kConfigs) {
        if (name == entry.name) {
            *config = entry.config;
            return true;
        }
    }
    return false;
}

const char* ConvertConfigName(ConvertConfig config)
{
    for (const ConfigEntry& entry : kConfigs)
        if (entry.config == config)
            return entry.name;
    return "none";
}

std::shared_ptr<ScriptConverter> ScriptConverter::Get(ConvertConfig config, std::string* error)
{
    const auto entry = std::find_if(kConfigs.begin(), kConfigs.end(),
                                    [config](const ConfigEntry& e) { return e.config == config; });
    if (entry == kConfigs.end() || !entry->file)
        return nullptr;
    static std::mutex registryLock;
    static std::map<ConvertConfig, std::shared_ptr<ScriptConverter>> registry;
    const std::lock_guard guard(registryLock);
    if (auto found = registry.find(config); found != registry.end())
        return found->second;
    try {
        opencc::Config loader;
        std::shared_ptr<opencc::Converter> converter =
            loader.NewFromFile(std::string(LT_OPENCC_DATA_DIR "/") + entry->file);
        std::shared_ptr<ScriptConverter> made(new ScriptConverter(config, std::move(converter)));
        registry.emplace(config, made);
        return made;
    } catch (const std::exception& e) {
        if (error)
            *error = std::string("简繁转换词典加载失败：") + e.what();
    } catch (...) {
        if (error)
            *error = "简繁转换词典加载失败。";
    }
    return nullptr;
}

ScriptConverter::ScriptConverter(ConvertConfig config, std::shared_ptr<opencc::Converter> converter)
    : config_(config), converter_(std::move(converter))
{
}

ScriptConverter::~ScriptConverter() = default;

void ScriptConverter::AppendWhole(std::u16string_view text, std::u16string* out) const
{
    std::size_t copied = 0;
    std::string utf8;
    ForEachRun(text, [&](std::size_t start, std::u16string_view run) {
        out->append(text.substr(copied, start - copied)); // the barriers before this run
        utf8.clear();
        AppendUtf8(run, &utf8);
        std::string converted;
        try {
            const std::lock_guard guard(lock_);
            converted = converter_->Convert(utf8);
        } catch (...) {
            out->append(run);
            copied = start + run.size();
            return;
        }
        AppendUtf16(converted, out);
        copied = start + run.size();
    });
    out->append(text.substr(copied));
}

std::u16string ScriptConverter::ConvertWhole(std::u16string_view text) const
{
    std::u16string out;
    AppendWhole(text, &out);
    return out;
}

bool ScriptConverter::ConvertWhole(std::u16string_view text, std::u16string* out,
                                   const std::function<bool(std::size_t, std::size_t)>& progress) const
{
    // Phrases never cross a line end, so slices cut there convert exactly as the whole text does.
    constexpr std::size_t kSlice = 1 << 18;
    constexpr std::size_t kLongestLineSearch = 1 << 16;
    out->clear();
    out->reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (progress && !progress(at, text.size()))
            return false;
        std::size_t end = std::min(text.size(), at + kSlice);
        const std::size_t limit = std::min(text.size(), end + kLongestLineSearch);
        std::size_t cut = end;
        while (cut < limit && !IsLineEnd(text[cut - 1]))
            ++cut;
        if (IsLineEnd(text[cut - 1]) || cut == text.size())
            end = cut;
        else if (IsHigh(text[end - 1]) && end < text.size() && IsLow(text[end]))
            ++end; // a line longer than the search: cut anywhere but inside a pair
        AppendWhole(text.substr(at, end - at), out);
        at = end;
    }
    if (progress)
        progress(text.size(), text.size());
    return true;
}

void ScriptConverter::ConvertRunForDisplay(std::u16string_view run, char16_t* out) const
{
    std::string utf8;
    AppendUtf8(run, &utf8);
    opencc::SegmentsPtr segments;
    opencc::SegmentsPtr converted;
    try {
        const std::lock_guard guard(lock_);
        segments = converter_->GetSegmentation()->Segment(utf8);
        converted = converter_->GetConversionChain()->Convert(segments);
    } catch (...) {
        return; // the original stays
    }
    if (!segments || !converted || segments->Length() != converted->Length())
        return;
    std::size_t byte = 0;
    std::size_t pos = 0;
    std::u16string piece;
    for (std::size_t i = 0; i < segments->Length(); ++i) {
        const std::string_view original = segments->At(i);
        // Segments must tile the input; anything else and the rest is left unconverted.
        if (utf8.compare(byte, original.size(), original) != 0)
            return;
        const std::size_t units = Utf16Length(original);
        if (pos + units > run.size())
            return;
        piece.clear();
        AppendUtf16(converted->At(i), &piece);
        const std::u16string_view source = run.substr(pos, units);
        if (SameShape(piece, source))
            std::copy(piece.begin(), piece.end(), out + pos);
        else
            ConvertCharactersForDisplay(source, piece, out + pos);
        byte += original.size();
        pos += units;
    }
}

// A segment that changed length: when it is characters converted one by one (text no phrase matched),
// each character that keeps its length still converts; a phrase keeps all of its characters.
void ScriptConverter::ConvertCharactersForDisplay(std::u16string_view source, std::u16string_view converted,
                                                  char16_t* out) const
{
    auto single = std::make_shared<opencc::Segments>();
    std::string utf8;
    for (std::size_t i = 0; i < source.size();) {
        const std::size_t width = IsHigh(source[i]) ? 2 : 1;
        utf8.clear();
        AppendUtf8(source.substr(i, width), &utf8);
        single->AddSegment(utf8);
        i += width;
    }
    opencc::SegmentsPtr each;
    try {
        const std::lock_guard guard(lock_);
        each = converter_->GetConversionChain()->Convert(single);
    } catch (...) {
        return;
    }
    if (!each || each->Length() != single->Length())
        return;
    std::u16string joined;
    std::vector<std::u16string> pieces(each->Length());
    for (std::size_t k = 0; k < each->Length(); ++k) {
        AppendUtf16(each->At(k), &pieces[k]);
        joined += pieces[k];
    }
    if (joined != converted)
        return; // a phrase
    std::size_t pos = 0;
    for (const std::u16string& piece : pieces) {
        const std::size_t width = IsHigh(source[pos]) ? 2 : 1;
        if (SameShape(piece, source.substr(pos, width)))
            std::copy(piece.begin(), piece.end(), out + pos);
        pos += width;
    }
}

std::pair<std::size_t, std::size_t> ScriptConverter::DisplayReach(std::size_t length, std::size_t begin,
                                                                  std::size_t end)
{
    end = std::min(end, length);
    begin = std::min(begin, end);
    // One unit more on each side than the window can take: the surrogate checks look past it.
    const std::size_t from = begin > kLineSearch ? begin - kLineSearch - 1 : 0;
    return {from, std::min(length, end + kContext + 1)};
}

std::u16string ScriptConverter::ConvertForDisplay(std::u16string_view text, std::size_t begin,
                                                  std::size_t end) const
{
    const std::size_t n = text.size();
    end = std::min(end, n);
    begin = std::min(begin, end);
    if (begin == end)
        return {};
    // The window starts after a line end when one is near (segmentation restarts there exactly as in
    // the whole text), else a context's width before the range.
    // The text's start counts as a line end.
    std::size_t wb = begin > kLineSearch ? begin - kContext : 0;
    const std::size_t searchFrom = begin > kLineSearch ? begin - kLineSearch : 0;
    for (std::size_t i = begin; i > searchFrom; --i) {
        if (IsLineEnd(text[i - 1])) {
            wb = i;
            break;
        }
    }
    std::size_t we = std::min(n, end + kContext);
    for (std::size_t i = end; i < we; ++i) {
        if (IsLineEnd(text[i])) {
            we = i;
            break;
        }
    }
    if (wb > 0 && wb < n && IsLow(text[wb]) && IsHigh(text[wb - 1]))
        --wb;
    if (we < n && we > 0 && IsLow(text[we]) && IsHigh(text[we - 1]))
        ++we;
    const std::u16string_view window = text.substr(wb, we - wb);
    std::u16string shown(window);
    ForEachRun(window, [&](std::size_t start, std::u16string_view run) {
        ConvertRunForDisplay(run, shown.data() + start);
    });
    // A pair cut by the range was converted whole in the window, so its halves on two neighbouring
    // ranges still make one character.
    return shown.substr(begin - wb, end - begin);
}
