// What vertical writing draws in place of a code unit: vertical punctuation forms and turned units.
#pragma once

// The unit drawn in a vertical column for `unit`: a vertical presentation form for brackets, quotes,
// dashes and punctuation, else the unit itself. Private-use vertical punctuation (U+E78D..U+E795)
// becomes the standard vertical forms U+FE10..U+FE18, which the installed CJK fonts carry.
char16_t VerticalFormOf(char16_t unit);

// Units drawn turned by 90 degrees in a vertical column: = ~ U+2026 U+FE66 U+FF1D U+FF5E.
bool IsTurnedInVertical(char16_t unit);
