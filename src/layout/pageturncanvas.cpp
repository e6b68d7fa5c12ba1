// Block copies, column stretches, polygon fills and cross-fades for page-turn frames.
#include "layout/pageturncanvas.h"
#include "layout/pageturnpixels_p.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__) && !defined(LT_NO_SIMD)
#include <emmintrin.h>
#endif

using PageTurnPixels::ConstRow;
using PageTurnPixels::Pixel;
using PageTurnPixels::Row;
using PageTurnPixels::Usable;

PageTurnCanvas::PageTurnCanvas(const QImage& screen)
    : m_frame(screen.convertToFormat(QImage::Format_RGB32).copy())
{
}

PageTurnCanvas::PageTurnCanvas(QSize size) : m_frame(size, QImage::Format_RGB32) {}

void PageTurnCanvas::Copy(const QImage& source, const QRect& sourceRect, QPoint destination)
{
    if (sourceRect.isEmpty() || !Usable(source, m_frame))
        return;
    const QPoint shift = destination - sourceRect.topLeft();
    const QRect dst = Clip(sourceRect.intersected(source.rect()).translated(shift));
    if (dst.isEmpty())
        return;
    const QRect src = dst.translated(-shift);
    uchar* bits = m_frame.bits();
    const qsizetype bpl = m_frame.bytesPerLine();
    const std::size_t bytes = static_cast<std::size_t>(dst.width()) * sizeof(Pixel);
    for (int y = 0; y < dst.height(); ++y)
        std::memcpy(Row(bits, bpl, dst.top() + y) + dst.left(), ConstRow(source, src.top() + y) + src.left(),
                    bytes);
}

void PageTurnCanvas::CopySplit(const QImage& left, const QImage& right, int splitX, const QRect& rect)
{
    const QRect all = Clip(rect);
    if (all.isEmpty())
        return;
    const int split = std::clamp(splitX, all.left(), all.right() + 1);
    Copy(left, QRect(all.left(), all.top(), split - all.left(), all.height()));
    Copy(right, QRect(split, all.top(), all.right() + 1 - split, all.height()));
}

QRect PageTurnCanvas::DrawColumns(const QImage& source, int srcTop, int srcHeight,
                                  std::span<const TurnColumn> columns)
{
    if (srcHeight <= 0 || columns.empty() || !Usable(source, m_frame))
        return {};
    struct Job
    {
        int dstX;
        int srcX;
        int top;
        int height;
        std::uint32_t step; // source rows per frame row, 16.16
        int y0;
        int y1;
    };
    std::vector<Job> jobs;
    jobs.reserve(columns.size());
    int yMin = m_frame.height();
    int yMax = 0;
    int xMin = m_frame.width();
    int xMax = -1;
    // Only source rows that exist are read.
    const int firstRow = std::max(srcTop, 0);
    const int endRow =
        static_cast<int>(std::min<long long>(static_cast<long long>(srcTop) + srcHeight, source.height()));
    if (firstRow >= endRow)
        return {};
    for (const TurnColumn& c : columns) {
        if (c.dstHeight <= 0 || c.dstX < 0 || c.dstX >= m_frame.width() || c.srcX < 0 ||
            c.srcX >= source.width())
            continue;
        const int y0 = std::max(c.dstTop, 0);
        const int y1 = static_cast<int>(
            std::min<long long>(static_cast<long long>(c.dstTop) + c.dstHeight, m_frame.height()));
        if (y0 >= y1)
            continue;
        const auto step = static_cast<std::uint32_t>((static_cast<std::uint64_t>(srcHeight) << 16) /
                                                     static_cast<std::uint64_t>(c.dstHeight));
        jobs.push_back({c.dstX, c.srcX, c.dstTop, c.dstHeight, step, y0, y1});
        yMin = std::min(yMin, y0);
        yMax = std::max(yMax, y1);
        xMin = std::min(xMin, c.dstX);
        xMax = std::max(xMax, c.dstX);
    }
    if (jobs.empty())
        return {};

    // Row by row, so the frame is written in order and the nearby source rows stay in cache.
    const uchar* srcBits = source.constBits();
    const qsizetype srcBpl = source.bytesPerLine();
    uchar* bits = m_frame.bits();
    const qsizetype bpl = m_frame.bytesPerLine();

    // Unstretched columns over rows that every column covers need no tests at all: each pixel is
    // one load at a fixed offset from the row.
    int commonTop = yMin;
    int commonEnd = yMax;
    bool unit = firstRow == srcTop && endRow - srcTop == srcHeight;
    std::vector<int> fastX;
    std::vector<qsizetype> fastOffset;
    for (const Job& j : jobs) {
        unit = unit && j.step == (1u << 16) && j.height == srcHeight;
        commonTop = std::max(commonTop, j.y0);
        commonEnd = std::min(commonEnd, j.y1);
    }
    if (unit) {
        fastX.reserve(jobs.size());
        fastOffset.reserve(jobs.size());
        for (const Job& j : jobs) {
            fastX.push_back(j.dstX);
            fastOffset.push_back(static_cast<qsizetype>(srcTop - j.top) * srcBpl +
                                 j.srcX * qsizetype(sizeof(Pixel)));
        }
    }

    // Stretched columns go a band of rows at a time, column by column within it: the band's rows of
    // frame and source stay in the first-level cache, and each column's fields are read once a band
    // rather than once a pixel. Columns keep their order, so where two write one pixel the later wins
    // as before.
    constexpr int kBand = 32;
    for (int bandTop = yMin; bandTop < yMax; bandTop += kBand) {
        const int bandEnd = std::min(bandTop + kBand, yMax);
        if (unit && bandTop >= commonTop && bandEnd <= commonEnd) {
            // Column by column too: columns whose tops differ read rows far apart, and only within a
            // band do neighbours share the source's cache lines and pages. Reading down a column
            // defeats the processor's prefetching, so the lines a column further on will read are
            // asked for ahead.
            const std::size_t count = fastX.size();
            const int rows = bandEnd - bandTop;
            uchar* bandOut = bits + bandTop * bpl;
            const uchar* bandIn = srcBits + bandTop * srcBpl;
            constexpr std::size_t kAhead = 16;
            for (std::size_t k = 0; k < count; ++k) {
                if (k + kAhead < count) {
                    const uchar* next = bandIn + fastOffset[k + kAhead];
                    const uchar* before = bandIn + fastOffset[k + kAhead - 1];
                    if (reinterpret_cast<std::uintptr_t>(next) / 64 !=
                        reinterpret_cast<std::uintptr_t>(before) / 64)
                        for (int r = 0; r < rows; ++r)
                            __builtin_prefetch(next + r * srcBpl);
                }
                uchar* out = bandOut + fastX[k] * qsizetype(sizeof(Pixel));
                const uchar* in = bandIn + fastOffset[k];
                for (int y = bandTop; y < bandEnd; ++y, out += bpl, in += srcBpl)
                    *reinterpret_cast<Pixel*>(out) = *reinterpret_cast<const Pixel*>(in);
            }
            continue;
        }
        for (const Job& j : jobs) {
            const int y0 = std::max(j.y0, bandTop);
            const int y1 = std::min(j.y1, bandEnd);
            if (y0 >= y1)
                continue;
            auto offset = static_cast<std::uint64_t>(y0 - j.top) * j.step;
            Pixel* out = Row(bits, bpl, y0) + j.dstX;
            const uchar* column = srcBits + j.srcX * qsizetype(sizeof(Pixel));
            for (int y = y0; y < y1;
                 ++y, offset += j.step, out = reinterpret_cast<Pixel*>(reinterpret_cast<uchar*>(out) + bpl)) {
                const int row = srcTop + static_cast<int>(offset >> 16);
                if (row < firstRow || row >= endRow)
                    continue;
                *out = *reinterpret_cast<const Pixel*>(column + row * srcBpl);
            }
        }
    }
    return QRect(QPoint(xMin, yMin), QPoint(xMax, yMax - 1));
}

void PageTurnCanvas::FillPolygon(const QImage& source, std::span<const QPoint> points, const QRect& clip)
{
    if (points.size() < 3 || !Usable(source, m_frame))
        return;
    int top = points.front().y();
    int bottom = top;
    for (const QPoint& p : points) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    const QRect box = Clip(clip);
    if (box.isEmpty())
        return;
    const int y0 = std::max(top, box.top());
    const int y1 = std::min(bottom, box.bottom() + 1);
    uchar* bits = m_frame.bits();
    const qsizetype bpl = m_frame.bytesPerLine();
    std::vector<double> crossings;
    crossings.reserve(points.size());
    for (int y = y0; y < y1; ++y) {
        // Edges are taken half-open in y, so a row through a vertex counts it once.
        const double yc = y + 0.5;
        crossings.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const QPoint a = points[i];
            const QPoint b = points[(i + 1) % points.size()];
            if (a.y() == b.y())
                continue;
            const bool within = a.y() < b.y() ? (a.y() <= yc && yc < b.y()) : (b.y() <= yc && yc < a.y());
            if (within)
                crossings.push_back(a.x() + (yc - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
        }
        std::sort(crossings.begin(), crossings.end());
        const Pixel* in = ConstRow(source, y);
        Pixel* out = Row(bits, bpl, y);
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            // Pixels whose centres lie between the two crossings.
            const int x0 = std::max(static_cast<int>(std::ceil(crossings[i] - 0.5)), box.left());
            const int x1 = std::min(static_cast<int>(std::ceil(crossings[i + 1] - 0.5)), box.right() + 1);
            if (x0 < x1)
                std::memcpy(out + x0, in + x0, static_cast<std::size_t>(x1 - x0) * sizeof(Pixel));
        }
    }
}

void PageTurnCanvas::CrossFade(const QImage& oldPicture, const QImage& newPicture, const QRect& rect,
                               int percent)
{
    const QRect area = Clip(rect);
    if (area.isEmpty() || !Usable(oldPicture, m_frame) || !Usable(newPicture, m_frame))
        return;
    percent = std::clamp(percent, 0, 100);
    uchar* bits = m_frame.bits();
    const qsizetype bpl = m_frame.bytesPerLine();
    const int bytes = area.width() * static_cast<int>(sizeof(Pixel));
    const int offset = area.left() * static_cast<int>(sizeof(Pixel));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* o = reinterpret_cast<const std::uint8_t*>(ConstRow(oldPicture, y)) + offset;
        const auto* n = reinterpret_cast<const std::uint8_t*>(ConstRow(newPicture, y)) + offset;
        auto* d = reinterpret_cast<std::uint8_t*>(Row(bits, bpl, y)) + offset;
        int i = 0;
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
        // 16 channels at a time; o * (100 - p) + n * p fits 16 bits, and the high half of the product
        // with 41944, shifted by 6, is exactly the quotient by 100 for every such sum.
        const __m128i keep = _mm_set1_epi16(static_cast<short>(100 - percent));
        const __m128i take = _mm_set1_epi16(static_cast<short>(percent));
        const __m128i magic = _mm_set1_epi16(static_cast<short>(41944));
        const __m128i zero = _mm_setzero_si128();
        for (; i + 16 <= bytes; i += 16) {
            const __m128i vo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + i));
            const __m128i vn = _mm_loadu_si128(reinterpret_cast<const __m128i*>(n + i));
            const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(vo, zero), keep),
                                             _mm_mullo_epi16(_mm_unpacklo_epi8(vn, zero), take));
            const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(vo, zero), keep),
                                             _mm_mullo_epi16(_mm_unpackhi_epi8(vn, zero), take));
            const __m128i qlo = _mm_srli_epi16(_mm_mulhi_epu16(lo, magic), 6);
            const __m128i qhi = _mm_srli_epi16(_mm_mulhi_epu16(hi, magic), 6);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(qlo, qhi));
        }
#endif
        for (; i < bytes; ++i)
            d[i] = static_cast<std::uint8_t>(CrossFadeChannel(o[i], n[i], percent));
    }
}
