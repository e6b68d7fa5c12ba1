// Coverage blending: four pixels at a time where SSE2 is there, one at a time with the same rounding.
#include "layout/maskblend.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
#include <emmintrin.h>
#endif

namespace {

// Blends `colour` over dst[from..to) by the coverage in `alpha`, four pixels at a time; returns where
// the caller's one-pixel loop takes over.
int BlendSpan(QRgb* dst, const std::uint8_t* alpha, int from, int to, QRgb colour)
{
    int x = from;
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const __m128i half = _mm_set1_epi16(128);
    const __m128i c = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero);
    for (; to - x >= 4; x += 4) {
        std::uint32_t four;
        std::memcpy(&four, alpha + x, 4);
        if (four == 0)
            continue;
        const __m128i a16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(four)), zero);
        const __m128i pairs = _mm_unpacklo_epi16(a16, a16);
        const __m128i aLo = _mm_unpacklo_epi32(pairs, pairs);
        const __m128i aHi = _mm_unpackhi_epi32(pairs, pairs);
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
        auto blend = [&](__m128i d16, __m128i a) {
            __m128i t = _mm_add_epi16(_mm_mullo_epi16(d16, _mm_sub_epi16(full, a)), _mm_mullo_epi16(c, a));
            t = _mm_add_epi16(t, half);
            return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
        };
        const __m128i lo = blend(_mm_unpacklo_epi8(d, zero), aLo);
        const __m128i hi = blend(_mm_unpackhi_epi8(d, zero), aHi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_packus_epi16(lo, hi));
    }
#else
    (void)dst;
    (void)alpha;
    (void)to;
    (void)colour;
#endif
    return x;
}

void BlendCoverage(QRgb* dst, const std::uint8_t* a, int count, QRgb colour)
{
    const std::uint32_t colourRb = colour & 0x00FF00FFu;
    const std::uint32_t colourAg = (colour >> 8) & 0x00FF00FFu;
    for (int x = BlendSpan(dst, a, 0, count, colour); x < count; ++x) {
        // Two channels per multiply; alpha 0 gives the pixel back unchanged.
        const std::uint32_t alpha = a[x];
        const std::uint32_t keep = 255 - alpha;
        const std::uint32_t d = dst[x];
        // The same rounding as BlendSpan, so a pixel never depends on where a span starts.
        std::uint32_t rb = (d & 0x00FF00FFu) * keep + colourRb * alpha + 0x00800080u;
        rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
        std::uint32_t ag = ((d >> 8) & 0x00FF00FFu) * keep + colourAg * alpha + 0x00800080u;
        ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
        dst[x] = ag | rb;
    }
}

} // namespace

void MaskBlender::Begin(QImage& image)
{
    m_image = &image;
    m_placed.clear();
}

void MaskBlender::Place(int x, int y, const GlyphMask& mask)
{
    if (m_image != nullptr && mask.width > 0 && x < m_image->width() && y < m_image->height() &&
        x + mask.width > 0 && y + mask.height > 0)
        m_placed.push_back(Placed{x, y, &mask});
}

void MaskBlender::Blend(QRgb colour)
{
    QImage* image = m_image;
    m_image = nullptr;
    if (image == nullptr || m_placed.empty())
        return;
    std::sort(m_placed.begin(), m_placed.end(),
              [](const Placed& a, const Placed& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });

    // Row by row through every glyph crossing the row, left to right: the image is walked in memory
    // order instead of one glyph's column of rows at a time, which misses the cache on every row.
    const int iw = image->width();
    const int ih = image->height();
    const qsizetype stride = image->bytesPerLine();
    std::uint8_t* bits = image->bits();
    m_active.clear();
    std::size_t next = 0;
    int y = m_placed.front().y;
    while (next < m_placed.size() || !m_active.empty()) {
        if (m_active.empty())
            y = std::max(y, m_placed[next].y);
        for (; next < m_placed.size() && m_placed[next].y <= y; ++next) {
            const Placed* p = &m_placed[next];
            const auto at = std::upper_bound(m_active.begin(), m_active.end(), p->x,
                                             [](int x, const Placed* q) { return x < q->x; });
            m_active.insert(at, p);
        }
        if (y >= 0 && y < ih) {
            auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
            for (const Placed* p : m_active) {
                const GlyphMask& mask = *p->mask;
                const int xa = std::max(0, -p->x);
                const int count = std::min(mask.width, iw - p->x) - xa;
                const std::uint8_t* a =
                    mask.alpha.data() + static_cast<std::size_t>(y - p->y) * mask.width + xa;
                BlendCoverage(row + p->x + xa, a, count, colour);
            }
        }
        ++y;
        std::erase_if(m_active, [y](const Placed* p) { return p->y + p->mask->height <= y; });
    }
}
