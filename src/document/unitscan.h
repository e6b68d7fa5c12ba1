// Looking for a unit in UTF-16 text eight units at a time: SSE2 where the build has it, a plain loop
// elsewhere (and with LT_NO_SIMD), alike in every result.
#pragma once

#include <cstdint>
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
#include <emmintrin.h>
#endif

namespace UnitScan {

// Index of the first CR in [from, end), or `end`.
inline std::int32_t FindCr(const char16_t* text, std::int32_t from, std::int32_t end)
{
    std::int32_t i = from;
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
    const __m128i cr = _mm_set1_epi16(0x0D);
    for (; end - i >= 8; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(v, cr));
        if (mask != 0)
            return i + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
    }
#endif
    for (; i < end; ++i)
        if (text[i] == u'\r')
            return i;
    return end;
}

} // namespace UnitScan
