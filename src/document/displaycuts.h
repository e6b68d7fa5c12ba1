// Where a long paragraph is cut into pieces for an edit control that lays out a paragraph at a time.
#pragma once

#include <cstdint>
#include <vector>

// Paragraphs shorter than this many UTF-16 units stay whole; longer ones are cut into pieces of at
// most this length and at least half of it.
inline constexpr std::int32_t kDisplayPieceUnits = 4096;

// Whether a paragraph ends at `c`: CR, LF and the block breaks U+2029, U+FDD0 and U+FDD1.
inline bool EndsParagraph(char16_t c)
{
    return c == u'\r' || c == u'\n' || c == u'\x2029' || c == u'\xFDD0' || c == u'\xFDD1';
}

// Offsets at which a display cut goes (between text[c - 1] and text[c]), ascending. Paragraphs end at
// CR, LF and the block breaks U+2029, U+FDD0 and U+FDD1. A cut goes after the last punctuation or
// blank in the second half of a piece, else at the full length; never between a surrogate pair.
std::vector<std::int32_t> DisplayCuts(const char16_t* text, std::int32_t length,
                                      std::int32_t pieceUnits = kDisplayPieceUnits);
