// Display cuts of long paragraphs.
#include "document/displaycuts.h"

#include <algorithm>

namespace {

// A piece may end after one of these without splitting a word or a number.
bool IsSoftPoint(char16_t c)
{
    switch (c) {
    case u' ': case u'\t': case u',': case u'.': case u'!': case u'?': case u';': case u':': case u')':
    case u'\x3000': case u'\x3001': case u'\x3002': case u'\xFF0C': case u'\xFF01': case u'\xFF1F':
    case u'\xFF1B': case u'\xFF1A': case u'\xFF09': case u'\x300D': case u'\x300F': case u'\x201D':
    case u'\x2019': case u'\x2026': case u'\x3011':
        return true;
    default:
        return false;
    }
}

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

} // namespace

std::vector<std::int32_t> DisplayCuts(const char16_t* text, std::int32_t length, std::int32_t pieceUnits)
{
    std::vector<std::int32_t> cuts;
    if (!text || length <= 0 || pieceUnits < 2)
        return cuts;
    const std::int32_t half = pieceUnits / 2;
    std::int32_t start = 0; // of the current piece
    std::int32_t i = 0;
    while (i < length) {
        if (EndsParagraph(text[i])) {
            start = ++i;
            continue;
        }
        if (i - start < pieceUnits) {
            ++i;
            continue;
        }
        // The piece [start, i) is full and the paragraph goes on.
        std::int32_t cut = i;
        for (std::int32_t c = i; c > start + half; --c) {
            if (IsSoftPoint(text[c - 1])) {
                cut = c;
                break;
            }
        }
        if (cut == i && IsHighSurrogate(text[cut - 1]))
            --cut;
        cuts.push_back(cut);
        start = cut;
        i = std::max(i, cut);
    }
    return cuts;
}
