// The complex reformat, which rejoins hard-wrapped lines into paragraphs, and the average line length.
#pragma once

#include "reformat/reformatoptions.h"

#include <cstdint>

// Rewrites `text` paragraph by paragraph. Returns the number of UTF-16 units of the result and
// writes them to `output` when it is not null (measure with null first). 0 means nothing is to be
// done: an empty or all-blank text, or the short-line test on a text without a non-blank line.
// Paragraphs are separated by CR (two with addBlankLine); no CR follows the last one.
std::int64_t ComplexReformat(const char16_t* text, std::int32_t length, char16_t* output,
                             const ComplexOptions& options);

// Integer average length of the lines that are not blank, each trimmed of blanks at both ends;
// 0 when there is none. Lines end at CR, LF or CR LF.
std::int32_t AverageLineLength(const char16_t* text, std::int32_t length);
