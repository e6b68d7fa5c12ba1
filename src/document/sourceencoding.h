// How a book's bytes were encoded, and the UTF-8 test that recognises UTF-8 without a mark.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

enum class SourceEncoding : std::int32_t
{
    Ansi = 0,
    Utf16Le = 1,
    Utf16Be = 2,
    Utf8Bom = 3,
    Utf8 = 4
};

// "Ansi", "Utf16Le", "Utf16Be", "Utf8Bom", "Utf8".
QString SourceEncodingName(SourceEncoding encoding);

// Accepts bytes that hold at least one byte >= 0x80 and whose lead bytes are all followed by the
// continuation bytes they announce (no check of overlong forms or ranges; F8..FF lead 5..8 bytes).
bool IsUtf8Text(const std::uint8_t* data, std::size_t n);

// The same test over bytes that arrive in pieces (files too large to hold twice).
struct Utf8TextTest
{
    std::uint32_t expected = 0; // continuation bytes still due
    bool allAscii = true;
    bool rejected = false;

    void Feed(const std::uint8_t* data, std::size_t n);
    bool Accepts() const { return !rejected && expected == 0 && !allAscii; }
};
