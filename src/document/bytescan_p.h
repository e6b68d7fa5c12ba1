// Looking at bytes sixteen at a time: SSE2 where the build has it, plain loops elsewhere (and with
// LT_NO_SIMD), alike in every result.
#pragma once

#include <cstddef>
#include <cstdint>
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
#include <emmintrin.h>
#endif

namespace ByteScan {

// Bit k set when s[k] is above 0x7F, for k < 16.
inline unsigned HighBits16(const std::uint8_t* s)
{
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))));
#else
    unsigned mask = 0;
    for (unsigned k = 0; k < 16; ++k)
        mask |= static_cast<unsigned>(s[k] >> 7) << k;
    return mask;
#endif
}

// Bit k set when s[k] == byte, for k < 16.
inline unsigned EqualBits16(const std::uint8_t* s, std::uint8_t byte)
{
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(byte)))));
#else
    unsigned mask = 0;
    for (unsigned k = 0; k < 16; ++k)
        mask |= static_cast<unsigned>(s[k] == byte) << k;
    return mask;
#endif
}

// Length of the ASCII run at s[0..n).
inline std::size_t AsciiRun(const std::uint8_t* s, std::size_t n)
{
    std::size_t i = 0;
    while (i + 16 <= n) {
        const unsigned mask = HighBits16(s + i);
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(mask));
        i += 16;
    }
    while (i < n && s[i] < 0x80)
        ++i;
    return i;
}

// Start of the first sixteen ASCII bytes in a row in s[from..n), or n.
inline std::size_t NextAsciiRun16(const std::uint8_t* s, std::size_t from, std::size_t n)
{
    std::size_t k = from;
    while (k + 16 <= n) {
        const unsigned mask = HighBits16(s + k);
        if (mask == 0)
            return k;
        k += static_cast<std::size_t>(32 - __builtin_clz(mask)); // past the last byte above 0x7F
    }
    return n;
}

} // namespace ByteScan
