// GlyphMaskCache: each glyph's coverage as the painter would draw it, made once per font and ratio.
#pragma once

#include <QRawFont>
#include <cstdint>
#include <unordered_map>
#include <vector>

// A glyph's coverage as the painter would draw it at the mask ratio, trimmed to its ink, placed
// from the pen position in device pixels; the advance is in page pixels.
struct GlyphMask
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    qreal advance = 0;
    std::vector<std::uint8_t> alpha;
};

// Masks of the glyphs of two fonts, the primary and the fallback, in page pixels.
class GlyphMaskCache
{
public:
    // Drops every mask; the masks to come are made from these fonts at the current ratio.
    void SetFonts(const QRawFont& primary, const QRawFont& fallback);
    // Masks at `ratio` device pixels per page pixel: the painter's image on a high-density screen.
    // Anything but 0 < ratio <= 8 reads as 1. Drops every mask when the ratio changes.
    void SetRatio(qreal ratio);
    qreal Ratio() const { return m_ratio; }
    // Made on first use; stays valid until the masks are dropped.
    const GlyphMask& MaskOf(bool fallback, quint32 glyph);
    // A book of rare characters must not grow the cache without bound; drops every mask past the
    // limit. Only between pages, since a page's placements point into the masks.
    void Trim();

private:
    void ScaleFonts();

    QRawFont m_primary;
    QRawFont m_fallback;
    // The same faces at the ratio's pixel size; the page pixel ones stand in at ratio 1.
    qreal m_ratio = 1;
    QRawFont m_primaryMasks;
    QRawFont m_fallbackMasks;
    std::unordered_map<std::uint32_t, GlyphMask> m_masks; // by face in the top bit and glyph below
};
