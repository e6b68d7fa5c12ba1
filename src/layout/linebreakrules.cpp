// The mark tables of the line-break rules and the move of a line's end.
#include "layout/linebreakrules.h"

#include <array>
#include <string_view>

namespace {

constexpr std::u16string_view kNoStart =
    u"，。、；：？！）」』”’》〉】〗〕〙〛…‥—"
    u",.;:?!)]}>"
    u"\uFF0C\uFF0E\uFF1B\uFF1A\uFF1F\uFF01\uFF09\uFF3D\uFF5D\uFF1E\uFF61\uFF63\uFF64\u00BB\u3009"
    u"\uFE10\uFE11\uFE12\uFE13\uFE14\uFE15\uFE16\uFE18\uFE19\uFE30\uFE31\uFE32\uFE36\uFE38\uFE3A"
    u"\uFE3C\uFE3E\uFE40\uFE42\uFE44\uFE48\uFE50\uFE51\uFE52\uFE54\uFE55\uFE56\uFE57\uFE5A\uFE5C\uFE5E"
    u"\uE78D\uE78E\uE78F\uE790\uE791\uE792\uE793\uE795";

constexpr std::u16string_view kNoEnd =
    u"（「『“‘《〈【〖〔〘〚〝"
    u"([{<"
    u"\uFF08\uFF3B\uFF5B\uFF1C\uFF62\u00AB"
    u"\uFE17\uFE35\uFE37\uFE39\uFE3B\uFE3D\uFE3F\uFE41\uFE43\uFE47\uFE59\uFE5B\uFE5D"
    u"\uE794";

// One bit per code unit for each class: two lookups per cut line.
struct MarkTable
{
    std::array<std::uint8_t, 65536 / 8> noStart{};
    std::array<std::uint8_t, 65536 / 8> noEnd{};

    MarkTable()
    {
        for (const char16_t u : kNoStart)
            noStart[u >> 3] |= static_cast<std::uint8_t>(1u << (u & 7));
        for (const char16_t u : kNoEnd)
            noEnd[u >> 3] |= static_cast<std::uint8_t>(1u << (u & 7));
    }
};

const MarkTable& Marks()
{
    static const MarkTable table;
    return table;
}

bool Has(const std::array<std::uint8_t, 65536 / 8>& bits, char16_t u)
{
    return (bits[u >> 3] >> (u & 7)) & 1u;
}

// How far back a line may give up units to keep the rules; past that the plain cut stands.
constexpr std::int32_t kMaxPushDown = 8;

bool IsLow(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

} // namespace

bool IsNoLineStart(char16_t unit)
{
    return Has(Marks().noStart, unit);
}

bool IsNoLineEnd(char16_t unit)
{
    return Has(Marks().noEnd, unit);
}

std::int32_t ApplyLineBreakRules(const char16_t* text, std::int32_t pos, std::int32_t next, std::int32_t end)
{
    const MarkTable& marks = Marks();
    const auto breakable = [&](std::int32_t b) {
        return !Has(marks.noStart, text[b]) && !Has(marks.noEnd, text[b - 1]) && !IsLow(text[b]);
    };
    if (breakable(next))
        return next;
    // One closing mark hangs when what follows it may start a line.
    if (Has(marks.noStart, text[next]) && !Has(marks.noEnd, text[next - 1])) {
        const std::int32_t after = next + 1;
        if (after >= end)
            return end;
        if (text[after] == u'\r')
            return after + 1;
        if (breakable(after))
            return after;
    }
    const std::int32_t lowest = next - kMaxPushDown > pos ? next - kMaxPushDown : pos + 1;
    for (std::int32_t b = next - 1; b >= lowest; --b)
        if (breakable(b))
            return b;
    return next;
}
