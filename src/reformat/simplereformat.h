// The simple reformat: drop blank lines, trim blanks at line ends, indent every line.
#pragma once

#include "reformat/reformatoptions.h"

#include <cstdint>

// Rewrites `text` (CR line ends). Returns the number of UTF-16 units of the result and writes them
// to `output` when it is not null: call once with null to measure, then with room for that many.
// The count is 64-bit because indenting can make the result longer than any text the reader holds.
std::int64_t SimpleReformat(const char16_t* text, std::int32_t length, char16_t* output,
                            const SimpleOptions& options);
