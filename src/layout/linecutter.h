// Cutting text into lines and pages by advance width: the one routine pagination and drawing share.
#pragma once

#include <cstdint>

class PageTable;

// Lines are cut purely by accumulated advance and by CR: no rules for punctuation, no word wrap.
// Pagination and page drawing both cut through CutLine, so every page holds exactly the units the
// drawing code puts on it. Drawing a page: start at its PageStart, call CutLine once per line slot
// (stop at the end of the text or on a line that takes nothing) and draw the units [pos, end) of
// each line, skipping the CR that ends it.

// The end (exclusive) of the line that starts at `pos`. Units are taken while their summed advances
// stay within `lineLength`; the unit that would exceed it starts the next line. A CR ends the line
// and belongs to it; `end` ends it too. Returns `pos` when the first unit alone is too wide.
inline std::int32_t CutLine(const char16_t* text, std::int32_t pos, std::int32_t end, int lineLength,
                            const std::uint8_t* advances)
{
    int sum = 0;
    for (std::int32_t i = pos; i < end; ++i) {
        const char16_t unit = text[i];
        sum += advances[unit];
        if (sum > lineLength)
            return i;
        if (unit == u'\r')
            return i + 1;
    }
    return end;
}

// The end of the page that starts at `pos`: up to `lines` lines; a line that takes nothing ends the
// page early. Returns `pos` when the page takes nothing.
inline std::int32_t CutPage(const char16_t* text, std::int32_t pos, std::int32_t end, int lines,
                            int lineLength, const std::uint8_t* advances)
{
    for (int n = 0; n < lines && pos < end; ++n) {
        const std::int32_t next = CutLine(text, pos, end, lineLength, advances);
        if (next == pos)
            break;
        pos = next;
    }
    return pos;
}

// Fills `table` with the start of every page of `text`; returns the page count. No page when
// `lines` <= 0 or the text is empty. A page that takes nothing (a unit wider than the line) ends
// pagination there. The table is always rebuilt, so it never keeps pages of an older layout.
int PaginateText(const char16_t* text, std::int32_t length, int lines, int lineLength,
                 const std::uint8_t* advances, PageTable& table);
