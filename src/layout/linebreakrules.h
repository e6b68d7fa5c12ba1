// Chinese line-break rules: which marks may not start a line and which may not end one.
#pragma once

#include <cstdint>

// Closing punctuation, closing brackets and quotes, the ellipsis and the dash (full-width,
// half-width, vertical and the private-use vertical forms some fonts keep).
bool IsNoLineStart(char16_t unit);
// Opening brackets and quotes in the same forms.
bool IsNoLineEnd(char16_t unit);

// The end of a line that the plain cut ended by width at `next` (pos < next < end, the line not
// ended by a CR), moved so that no closing mark starts the next line and no opening mark ends this
// one. A single closing mark that did not fit hangs in the line's last cell (the line takes it, and
// the CR after it when there is one) rather than pushing a character down; otherwise the line gives
// up its last few units. When no break within reach keeps the rules, the plain cut stands.
std::int32_t ApplyLineBreakRules(const char16_t* text, std::int32_t pos, std::int32_t next, std::int32_t end);
