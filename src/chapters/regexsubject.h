// Preparing UTF-16 text as a subject for the regular-expression engine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The engine rejects a whole subject holding one broken surrogate, which would lose every match in
// the book. Returns a copy with each lone surrogate replaced by U+FFFD (same length, so offsets stay
// exact), or nothing when the text is already well formed.
std::optional<std::u16string> WithoutLoneSurrogates(const char16_t* text, std::int32_t length);
