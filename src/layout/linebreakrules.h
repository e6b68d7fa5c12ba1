// Chinese line-break rules: which marks may not start a line and which may not end one.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace linebreak_detail {

// Closing punctuation, closing brackets and quotes, the ellipsis and the dash (full-width,
// half-width, vertical and the private-use vertical forms some fonts keep).
inline constexpr std::u16string_view kNoStart =
    u"，。、；：？！）」』”’》〉】〗〕〙〛…‥—"
    u",.;:?!)]}>"
    u"\uFF0C\uFF0E\uFF1B\uFF1A\uFF1F\uFF01\uFF09\uFF3D\uFF5D\uFF1E\uFF61\uFF63\uFF64\u00BB\u3009"
    u"\uFE10\uFE11\uFE12\uFE13\uFE14\uFE15\uFE16\uFE18\uFE19\uFE30\uFE31\uFE32\uFE36\uFE38\uFE3A"
    u"\uFE3C\uFE3E\uFE40\uFE42\uFE44\uFE48\uFE50\uFE51\uFE52\uFE54\uFE55\uFE56\uFE57\uFE5A\uFE5C\uFE5E"
    u"\uE78D\uE78E\uE78F\uE790\uE791\uE792\uE793\uE795";

// Opening brackets and quotes in the same forms.
inline constexpr std::u16string_view kNoEnd = u"（「『“‘《〈【〖〔〘〚〝"
                                              u"([{<"
                                              u"\uFF08\uFF3B\uFF5B\uFF1C\uFF62\u00AB"
                                              u"\uFE17\uFE35\uFE37\uFE39\uFE3B\uFE3D\uFE3F\uFE41\uFE43\uFE47"
                                              u"\uFE59\uFE5B\uFE5D"
                                              u"\uE794";

using Bits = std::array<std::uint8_t, 65536 / 8>;

constexpr Bits BitsOf(std::u16string_view units)
{
    Bits bits{};
    for (const char16_t u : units)
        bits[u >> 3] = static_cast<std::uint8_t>(bits[u >> 3] | (1u << (u & 7)));
    return bits;
}

// Built at compile time: the cutter's test of a line end is two look-ups, no initialisation guard.
inline constexpr Bits kNoStartBits = BitsOf(kNoStart);
inline constexpr Bits kNoEndBits = BitsOf(kNoEnd);

} // namespace linebreak_detail

inline bool IsNoLineStart(char16_t unit)
{
    return (linebreak_detail::kNoStartBits[unit >> 3] >> (unit & 7)) & 1u;
}

inline bool IsNoLineEnd(char16_t unit)
{
    return (linebreak_detail::kNoEndBits[unit >> 3] >> (unit & 7)) & 1u;
}

// The end of a line that the plain cut ended by width at `next` (pos < next < end, the line not
// ended by a CR), moved so that no closing mark starts the next line and no opening mark ends this
// one. A single closing mark that did not fit hangs in the line's last cell (the line takes it, and
// the CR after it when there is one) rather than pushing a character down; otherwise the line gives
// up its last few units. When no break within reach keeps the rules, the plain cut stands.
std::int32_t MoveLineEnd(const char16_t* text, std::int32_t pos, std::int32_t next, std::int32_t end);

inline std::int32_t ApplyLineBreakRules(const char16_t* text, std::int32_t pos, std::int32_t next,
                                        std::int32_t end)
{
    if (!IsNoLineStart(text[next]) && !IsNoLineEnd(text[next - 1]))
        return next;
    return MoveLineEnd(text, pos, next, end);
}
