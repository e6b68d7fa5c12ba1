// Glyph masks: a glyph drawn alone by the painter, its coverage kept trimmed to the ink.
#include "layout/glyphmaskcache.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kMaxMasks = 16384;

} // namespace

void GlyphMaskCache::SetFonts(const QRawFont& primary, const QRawFont& fallback)
{
    m_primary = primary;
    m_fallback = fallback;
    m_masks.clear();
    ScaleFonts();
}

void GlyphMaskCache::SetRatio(qreal ratio)
{
    if (!(ratio > 0) || ratio > 8)
        ratio = 1;
    if (ratio == m_ratio)
        return;
    m_ratio = ratio;
    m_masks.clear();
    ScaleFonts();
}

void GlyphMaskCache::ScaleFonts()
{
    auto scaled = [ratio = m_ratio](const QRawFont& font) {
        QRawFont f(font);
        if (f.isValid() && ratio != 1)
            f.setPixelSize(font.pixelSize() * ratio);
        return f;
    };
    m_primaryMasks = scaled(m_primary);
    m_fallbackMasks = scaled(m_fallback);
}

void GlyphMaskCache::Trim()
{
    if (m_masks.size() >= kMaxMasks)
        m_masks.clear();
}

const GlyphMask& GlyphMaskCache::MaskOf(bool fallback, quint32 glyph)
{
    const std::uint32_t key = (fallback ? 0x80000000u : 0u) | (glyph & 0x7FFFFFFFu);
    if (const auto found = m_masks.find(key); found != m_masks.end())
        return found->second;
    GlyphMask& mask = m_masks[key];
    const QList<quint32> glyphs{glyph};
    mask.advance = (fallback ? m_fallback : m_primary).advancesForGlyphIndexes(glyphs).value(0).x();
    const QRawFont& font = fallback ? m_fallbackMasks : m_primaryMasks;
    const QRectF box = font.boundingRect(glyph);
    const int x0 = static_cast<int>(std::floor(box.left())) - 2;
    const int y0 = static_cast<int>(std::floor(box.top())) - 2;
    const int w = static_cast<int>(std::ceil(box.right())) + 2 - x0;
    const int h = static_cast<int>(std::ceil(box.bottom())) + 2 - y0;
    if (box.isEmpty() || w <= 0 || h <= 0 || w > 4 * 255 || h > 4 * 255)
        return mask;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return mask;
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes(glyphs);
        run.setPositions({QPointF(-x0, -y0)});
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    int top = h, bottom = -1, left = w, right = -1;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(row[x]) != 0) {
                top = std::min(top, y);
                bottom = y;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    if (bottom < 0)
        return mask;
    mask.left = x0 + left;
    mask.top = y0 + top;
    mask.width = right - left + 1;
    mask.height = bottom - top + 1;
    mask.alpha.resize(static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height));
    for (int y = 0; y < mask.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(top + y)) + left;
        std::uint8_t* out =
            mask.alpha.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.width);
        for (int x = 0; x < mask.width; ++x)
            out[x] = static_cast<std::uint8_t>(qAlpha(row[x]));
    }
    return mask;
}
