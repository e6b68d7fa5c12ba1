// The canvas's smooth squeeze of columns: the mean of each span of source columns, by plain integer
// steps and by SIMD paths that give the same bytes.
#include "layout/pageturncanvas.h"
#include "layout/pageturnpixels_p.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#if defined(__SSE2__) && !defined(LT_NO_SIMD)
#include <emmintrin.h>
#endif

using PageTurnPixels::ConstRow;
using PageTurnPixels::Pixel;
using PageTurnPixels::Row;
using PageTurnPixels::Usable;

namespace {

// The source columns [first, first + count) that one frame column, dst, averages.
struct SqueezeSpan
{
    int dst;
    int first;
    int count;
    std::uint32_t inverse; // 65536 / count
};

// One row of the squeeze in plain integer steps: the reference every other path matches.
void SqueezeRow(const Pixel* in, Pixel* out, std::span<const SqueezeSpan> spans)
{
    for (const SqueezeSpan& s : spans) {
        const Pixel* p = in + s.first;
        if (s.count == 1) {
            out[s.dst] = *p | 0xFF000000u;
            continue;
        }
        std::uint32_t r = 0;
        std::uint32_t g = 0;
        std::uint32_t b = 0;
        for (int k = 0; k < s.count; ++k) {
            r += (p[k] >> 16) & 0xFF;
            g += (p[k] >> 8) & 0xFF;
            b += p[k] & 0xFF;
        }
        const std::uint32_t half = static_cast<std::uint32_t>(s.count) / 2;
        r = ((r + half) * s.inverse) >> 16;
        g = ((g + half) * s.inverse) >> 16;
        b = ((b + half) * s.inverse) >> 16;
        out[s.dst] = 0xFF000000u | (std::min(r, 255u) << 16) | (std::min(g, 255u) << 8) | std::min(b, 255u);
    }
}

#if defined(__SSE2__) && !defined(LT_NO_SIMD)
// Some consecutive spans and the source columns [first, first + count) they read. A row is done a
// chunk at a time, so what is kept of it stays in the first-level cache and the reading of the
// source goes on beside the writing of the frame.
struct SqueezeChunk
{
    std::size_t begin;
    std::size_t end;
    int first;
    int count;
};

// Chunks of `size` spans. From one span to the next, neither the first nor the last column goes left.
std::vector<SqueezeChunk> Chunks(std::span<const SqueezeSpan> spans, std::size_t size)
{
    std::vector<SqueezeChunk> chunks;
    for (std::size_t begin = 0; begin < spans.size(); begin += size) {
        const std::size_t end = std::min(begin + size, spans.size());
        const int first = spans[begin].first;
        chunks.push_back({begin, end, first, spans[end - 1].first + spans[end - 1].count - first});
    }
    return chunks;
}

int WidestChunk(const std::vector<SqueezeChunk>& chunks)
{
    int widest = 0;
    for (const SqueezeChunk& c : chunks)
        widest = std::max(widest, c.count);
    return widest;
}

// Spans of one or two columns: a column is the pixel itself or (a + b + 1) / 2 of two neighbours,
// which is what the rounded mean of two gives. For every source column a list holds the pixel and
// its mean with the next side by side; the frame's columns pick from it.
class PairSqueeze
{
public:
    PairSqueeze(std::span<const SqueezeSpan> spans, int rowWidth)
        : m_chunks(Chunks(spans, 64)), m_rowWidth(rowWidth),
          m_list(2 * (static_cast<std::size_t>(WidestChunk(m_chunks)) + 4))
    {
        m_pick.reserve(spans.size());
        for (const SqueezeChunk& c : m_chunks)
            for (std::size_t k = c.begin; k < c.end; ++k)
                m_pick.push_back(2 * (spans[k].first - c.first) + spans[k].count - 1);
    }

    void Row(const Pixel* in, Pixel* out)
    {
        const Pixel* list = m_list.data();
        for (const SqueezeChunk& c : m_chunks) {
            List(in, c.first, c.count);
            const int* pick = m_pick.data() + c.begin;
            Pixel* o = out + c.begin;
            const std::size_t n = c.end - c.begin;
            std::size_t k = 0;
            for (; k + 4 <= n; k += 4)
                _mm_storeu_si128(
                    reinterpret_cast<__m128i*>(o + k),
                    _mm_setr_epi32(static_cast<int>(list[pick[k]]), static_cast<int>(list[pick[k + 1]]),
                                   static_cast<int>(list[pick[k + 2]]), static_cast<int>(list[pick[k + 3]])));
            for (; k < n; ++k)
                o[k] = list[pick[k]];
        }
    }

private:
    // list[2i] is in[first + i], list[2i + 1] its mean with in[first + i + 1], both opaque.
    void List(const Pixel* in, int first, int count)
    {
        const Pixel* p = in + first;
        Pixel* list = m_list.data();
        const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
        // Four at a time while the pixel after them is in the row.
        const int wide = std::min(count, m_rowWidth - first - 4);
        int i = 0;
        for (; i < wide; i += 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
            const __m128i own = _mm_or_si128(a, opaque);
            const __m128i mean = _mm_or_si128(_mm_avg_epu8(a, b), opaque);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(list + 2 * i), _mm_unpacklo_epi32(own, mean));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(list + 2 * i + 4), _mm_unpackhi_epi32(own, mean));
        }
        for (; i < count; ++i) {
            // The row's last column is never the first of two.
            const Pixel a = p[i];
            const Pixel b = first + i + 1 < m_rowWidth ? p[i + 1] : a;
            list[2 * i] = a | 0xFF000000u;
            list[2 * i + 1] = ((a | b) - (((a ^ b) >> 1) & 0x7F7F7F7Fu)) | 0xFF000000u;
        }
    }

    std::vector<SqueezeChunk> m_chunks;
    int m_rowWidth;
    std::vector<Pixel> m_list;
    std::vector<int> m_pick;
};

// Spans of up to 255 columns: running sums of a chunk's channels, 16 bits a channel, wrap around,
// but a span's sum, their difference, is at most 255 * 255 and comes out exact. The mean,
// (sum + half) * inverse / 65536, then takes one step for two spans.
class SumSqueeze
{
public:
    static constexpr int kMaxCount = 255;

    SumSqueeze(std::span<const SqueezeSpan> spans, int widest)
        : m_chunks(Chunks(
              spans, std::max<std::size_t>(4, static_cast<std::size_t>(512 / widest) & ~std::size_t{3}))),
          m_sums(static_cast<std::size_t>(WidestChunk(m_chunks)) + 1)
    {
        // An odd last span is paired with itself.
        const std::size_t padded = (spans.size() + 1) / 2 * 2;
        m_start.reserve(padded);
        m_end.reserve(padded);
        m_factors.reserve(padded / 2);
        for (const SqueezeChunk& c : m_chunks) {
            const std::size_t end = c.end == spans.size() ? padded : c.end;
            for (std::size_t k = c.begin; k < end; ++k) {
                const SqueezeSpan& s = spans[std::min(k, spans.size() - 1)];
                m_start.push_back(s.first - c.first);
                m_end.push_back(s.first - c.first + s.count);
                // One column: floor((v + 1) * 65535 / 65536) is v itself.
                const auto half = static_cast<std::uint16_t>(s.count == 1 ? 1 : s.count / 2);
                const auto inverse = static_cast<std::uint16_t>(s.count == 1 ? 65535 : s.inverse);
                if (k % 2 == 0)
                    m_factors.emplace_back();
                Factors& f = m_factors.back();
                for (std::size_t lane = 0; lane < 4; ++lane) {
                    f.half[4 * (k % 2) + lane] = half;
                    f.inverse[4 * (k % 2) + lane] = inverse;
                }
            }
        }
    }

    void Row(const Pixel* in, Pixel* out)
    {
        const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
        for (const SqueezeChunk& c : m_chunks) {
            Sum(in + c.first, c.count);
            std::size_t k = c.begin;
            for (; k + 4 <= c.end; k += 4) {
                const __m128i pixels = _mm_packus_epi16(Mean(k), Mean(k + 2));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_or_si128(pixels, opaque));
            }
            for (; k < c.end; k += 2) {
                const __m128i pixels = _mm_or_si128(_mm_packus_epi16(Mean(k), Mean(k)), opaque);
                out[k] = static_cast<Pixel>(_mm_cvtsi128_si32(pixels));
                if (k + 1 < c.end)
                    out[k + 1] = static_cast<Pixel>(_mm_cvtsi128_si32(_mm_srli_si128(pixels, 4)));
            }
        }
    }

private:
    struct Factors
    {
        std::uint16_t half[8];
        std::uint16_t inverse[8];
    };

    // m_sums[i]: the channels of p[0, i) summed.
    void Sum(const Pixel* p, int count)
    {
        std::uint64_t* sums = m_sums.data();
        const __m128i zero = _mm_setzero_si128();
        __m128i carry = zero;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(sums), zero);
        int x = 0;
        for (; x + 4 <= count; x += 4) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
            __m128i lo = _mm_unpacklo_epi8(v, zero);
            __m128i hi = _mm_unpackhi_epi8(v, zero);
            lo = _mm_add_epi16(lo, _mm_slli_si128(lo, 8));
            hi = _mm_add_epi16(hi, _mm_slli_si128(hi, 8));
            hi = _mm_add_epi16(hi, _mm_shuffle_epi32(lo, _MM_SHUFFLE(3, 2, 3, 2)));
            lo = _mm_add_epi16(lo, carry);
            hi = _mm_add_epi16(hi, carry);
            carry = _mm_shuffle_epi32(hi, _MM_SHUFFLE(3, 2, 3, 2));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x + 1), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x + 3), hi);
        }
        for (; x < count; ++x) {
            carry = _mm_add_epi16(carry, _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(p[x])), zero));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(sums + x + 1), carry);
        }
    }

    // Spans j and j + 1 (j even) as two pixels of 16-bit channels.
    __m128i Mean(std::size_t j) const
    {
        const auto at = [this](int i) {
            return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(m_sums.data() + i));
        };
        const __m128i end = _mm_unpacklo_epi64(at(m_end[j]), at(m_end[j + 1]));
        const __m128i start = _mm_unpacklo_epi64(at(m_start[j]), at(m_start[j + 1]));
        const Factors& f = m_factors[j / 2];
        const __m128i sum = _mm_add_epi16(_mm_sub_epi16(end, start),
                                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(f.half)));
        return _mm_mulhi_epu16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(f.inverse)));
    }

    std::vector<SqueezeChunk> m_chunks;
    std::vector<std::uint64_t> m_sums;
    std::vector<int> m_start;
    std::vector<int> m_end;
    std::vector<Factors> m_factors;
};
#endif

} // namespace

void PageTurnCanvas::SqueezeColumns(const QImage& source, int sourceX, int sourceWidth, int destX,
                                    int destWidth, int top, int height)
{
    if (sourceWidth <= 0 || destWidth <= 0 || height <= 0 || !Usable(source, m_frame))
        return;
    if (destWidth >= sourceWidth) {
        Copy(source, QRect(sourceX, top, sourceWidth, height), QPoint(destX, top));
        return;
    }
    const int y0 = std::max(top, 0);
    const int y1 = std::min<long long>(static_cast<long long>(top) + height, m_frame.height());
    if (y0 >= y1)
        return;

    // Which source columns each destination column averages, worked out once for all rows.
    std::vector<SqueezeSpan> spans;
    spans.reserve(static_cast<std::size_t>(destWidth));
    const int lastColumn = source.width() - 1;
    int widest = 0;
    for (int j = 0; j < destWidth; ++j) {
        const long long dst = static_cast<long long>(destX) + j;
        if (dst < 0 || dst >= m_frame.width())
            continue;
        const long long s0 = static_cast<long long>(j) * sourceWidth / destWidth;
        const long long s1 = static_cast<long long>(j + 1) * sourceWidth / destWidth;
        const long long first = std::clamp<long long>(sourceX + s0, 0, lastColumn);
        const long long last = std::clamp<long long>(sourceX + s1 - 1, 0, lastColumn);
        const int count = static_cast<int>(std::max(1LL, last - first + 1));
        spans.push_back({static_cast<int>(dst), static_cast<int>(first), count,
                         65536u / static_cast<std::uint32_t>(count)});
        widest = std::max(widest, count);
    }
    if (spans.empty())
        return;

    uchar* bits = m_frame.bits();
    const qsizetype bpl = m_frame.bytesPerLine();
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
    // The frame's columns are consecutive, so the paths below write them from the first one on.
    const int dst0 = spans.front().dst;
    if (widest <= 2) {
        PairSqueeze squeeze(spans, source.width());
        for (int y = y0; y < y1; ++y)
            squeeze.Row(ConstRow(source, y), Row(bits, bpl, y) + dst0);
        return;
    }
    if (widest <= SumSqueeze::kMaxCount) {
        SumSqueeze squeeze(spans, widest);
        for (int y = y0; y < y1; ++y)
            squeeze.Row(ConstRow(source, y), Row(bits, bpl, y) + dst0);
        return;
    }
#endif
    for (int y = y0; y < y1; ++y)
        SqueezeRow(ConstRow(source, y), Row(bits, bpl, y), spans);
}
