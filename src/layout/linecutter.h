// Cutting text into lines and pages by advance width: the one routine pagination and drawing share.
#pragma once

#include "document/unitscan.h"
#include "layout/linebreakrules.h"

#include <cstdint>

class PageTable;

// Lines are cut by accumulated advance and by CR, no word wrap; with the line-break rules on
// (LineCutState::breakRules), a line ended by its width then moves its end by ApplyLineBreakRules.
// Pagination and page drawing both cut through CutLine, so every page holds exactly the units the
// drawing code puts on it. Drawing a page: start at its PageStart with a fresh LineCutState, call
// CutLine once per line slot (stop at the end of the text) and draw the units [pos, end) of each
// line, skipping the CR that ends it.
//
// A line from `pos`: units are taken while their summed advances stay within the line length; the
// unit that would exceed it starts the next line. A CR ends the line and belongs to it; the end of
// the text ends it too. A line always takes at least one unit (a surrogate pair whole): a unit wider
// than the line gets a line of its own, and drawing clips what overflows, so no text is ever left
// without a page.

// What CutLine learns from one line to the next. It only makes cutting faster: the result is the
// same with a fresh state. `guess` is the length of the last plain cut ended by its width (most lines
// of a book are that long), `nextCr` where the next CR is. `breakRules` is not learned: it is the
// layout's choice, and pagination and drawing of one layout must set it alike.
struct LineCutState
{
    std::int32_t guess = 0;
    std::int32_t nextCr = -1;
    bool breakRules = false;
};

namespace linecut_detail {

[[gnu::always_inline]] inline std::int32_t CutFrom(const char16_t* text, std::int32_t i, std::int32_t end,
                                                   int sum, int lineLength, const std::uint8_t* advances)
{
    for (; i < end; ++i) {
        const char16_t unit = text[i];
        sum += advances[unit];
        if (sum > lineLength)
            return i;
        if (unit == u'\r')
            return i + 1;
    }
    return end;
}

using UnitScan::FindCr;

// One unit, or two for a surrogate pair, which must not be split over two lines.
inline std::int32_t UnitLength(const char16_t* text, std::int32_t i, std::int32_t end)
{
    const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
    return high && i + 1 < end && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF ? 2 : 1;
}

} // namespace linecut_detail

// The end (exclusive) of the line that starts at `pos`; beyond `pos` whenever `pos` < `end`.
[[gnu::always_inline]] inline std::int32_t CutLine(const char16_t* text, std::int32_t pos, std::int32_t end,
                                                   int lineLength, const std::uint8_t* advances,
                                                   LineCutState& state)
{
    std::int32_t next = -1;
    const std::int32_t guessEnd = pos + state.guess;
    if (state.guess > 0 && guessEnd < end) {
        if (state.nextCr < pos)
            state.nextCr = linecut_detail::FindCr(text, pos, end);
        if (state.nextCr >= guessEnd) {
            // The guessed units hold no CR: sum them with no per-unit exit to mispredict, then go on
            // exactly from there when they fit.
            int sum = 0;
            std::int32_t k = pos;
            for (; guessEnd - k >= 4; k += 4)
                sum +=
                    advances[text[k]] + advances[text[k + 1]] + advances[text[k + 2]] + advances[text[k + 3]];
            for (; k < guessEnd; ++k)
                sum += advances[text[k]];
            if (sum <= lineLength)
                next = linecut_detail::CutFrom(text, guessEnd, end, sum, lineLength, advances);
        }
    }
    if (next < 0)
        next = linecut_detail::CutFrom(text, pos, end, 0, lineLength, advances);
    if (next == pos && pos < end)
        next = pos + linecut_detail::UnitLength(text, pos, end);
    if (next > pos && next < end && text[next - 1] != u'\r') {
        state.guess = next - pos;
        if (state.breakRules)
            next = ApplyLineBreakRules(text, pos, next, end);
    }
    return next;
}

inline std::int32_t CutLine(const char16_t* text, std::int32_t pos, std::int32_t end, int lineLength,
                            const std::uint8_t* advances, bool breakRules = false)
{
    LineCutState state;
    state.breakRules = breakRules;
    return CutLine(text, pos, end, lineLength, advances, state);
}

// The end of the page that starts at `pos`: up to `lines` lines, fewer at the end of the text.
[[gnu::always_inline]] inline std::int32_t CutPage(const char16_t* text, std::int32_t pos, std::int32_t end,
                                                   int lines, int lineLength, const std::uint8_t* advances,
                                                   LineCutState& state)
{
    for (int n = 0; n < lines && pos < end; ++n) {
        const std::int32_t next = CutLine(text, pos, end, lineLength, advances, state);
        if (next == pos)
            break;
        pos = next;
    }
    return pos;
}

// Fills `table` with the start of every page of `text`; returns the page count. No page when
// `lines` or `lineLength` is <= 0 or the text is empty. The table is always rebuilt, so it never keeps pages
// of an older layout.
int PaginateText(const char16_t* text, std::int32_t length, int lines, int lineLength,
                 const std::uint8_t* advances, PageTable& table, bool breakRules = false);

// Calls `line(start)` for the start of every line of `text`, in order, cut as PaginateText cuts.
template <typename Sink>
void ForEachLineStart(const char16_t* text, std::int32_t length, int lineLength, const std::uint8_t* advances,
                      bool breakRules, Sink&& line)
{
    LineCutState state;
    state.breakRules = breakRules;
    for (std::int32_t pos = 0; pos < length;) {
        const std::int32_t next = CutLine(text, pos, length, lineLength, advances, state);
        if (next == pos)
            break;
        line(pos);
        pos = next;
    }
}
