// Lone surrogates out of a subject before the engine sees it.
#include "chapters/regexsubject.h"

namespace {

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

std::optional<std::u16string> WithoutLoneSurrogates(const char16_t* text, std::int32_t length)
{
    std::int32_t i = 0;
    auto lone = [&](std::int32_t at) {
        const char16_t c = text[at];
        if (IsHighSurrogate(c))
            return !(at + 1 < length && IsLowSurrogate(text[at + 1]));
        if (IsLowSurrogate(c))
            return !(at > 0 && IsHighSurrogate(text[at - 1]));
        return false;
    };
    for (; i < length; ++i)
        if ((text[i] & 0xF800) == 0xD800 && lone(i))
            break;
    if (i == length)
        return std::nullopt;
    std::u16string copy(text, static_cast<std::size_t>(length));
    for (; i < length; ++i)
        if ((text[i] & 0xF800) == 0xD800 && lone(i))
            copy[static_cast<std::size_t>(i)] = u'\uFFFD';
    return copy;
}
