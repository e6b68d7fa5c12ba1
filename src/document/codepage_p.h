// What the two halves of the code-page converters share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <emmintrin.h>

namespace CodePage {

// Length of the ASCII run at s[0..n).
inline std::size_t AsciiRun(const std::uint8_t* s, std::size_t n)
{
    std::size_t i = 0;
    while (i + 16 <= n) {
        const int mask = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        i += 16;
    }
    while (i < n && s[i] < 0x80)
        ++i;
    return i;
}

} // namespace CodePage
