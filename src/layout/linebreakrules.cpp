// Moving a line's end to keep the line-break rules.
#include "layout/linebreakrules.h"

namespace {

// How far back a line may give up units to keep the rules; past that the plain cut stands.
constexpr std::int32_t kMaxPushDown = 8;

bool IsLow(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

} // namespace

std::int32_t MoveLineEnd(const char16_t* text, std::int32_t pos, std::int32_t next, std::int32_t end)
{
    const auto breakable = [text](std::int32_t b) {
        return !IsNoLineStart(text[b]) && !IsNoLineEnd(text[b - 1]) && !IsLow(text[b]);
    };
    if (breakable(next))
        return next;
    // One closing mark hangs when what follows it may start a line.
    if (IsNoLineStart(text[next]) && !IsNoLineEnd(text[next - 1])) {
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
