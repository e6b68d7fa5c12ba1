// PageRenderer: draws the text of one page, horizontal lines or vertical columns, with its page number.
#pragma once

#include "layout/glyphmaskcache.h"
#include "layout/maskblend.h"

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QPainter;
class TextBuffer;

// Draws pages with the glyphs whose widths TextMetrics measured: each unit comes from the primary
// family when it has a glyph, else from the CJK family, and is placed by the advance table, so the
// drawing matches pagination. Glyphs are gathered per font and drawn as one glyph run per page.
// GUI thread only; the fonts follow TheTextMetrics() whenever it is rebuilt.
class PageRenderer
{
public:
    // Draws page `page` of `buffer` into `rect`; numberPlace 1 = number under the left of the page,
    // 2 = right, 3 = centred, 0 = none. Returns the code units the page takes; 0 when the page does
    // not exist or the rectangle has room for no line.
    int DrawPage(const TextBuffer& buffer, int page, QPainter& painter, const QRect& rect, int numberPlace);

    // Where pages are shown in another form of the same length (script conversion): given the text
    // up to the book's end and a page's range, returns the units to draw for that range. Lines are
    // still cut, and cells sized, by the book's own text. An empty function draws the text itself.
    using ShownText = std::function<std::u16string(std::u16string_view, std::int32_t, std::int32_t)>;
    void SetShownText(ShownText shownText) { m_shownText = std::move(shownText); }

    // A run of the text (the current search hit) drawn over a translucent box of the text colour on
    // every page it reaches; a length of 0 draws none.
    void SetHighlight(std::int32_t offset, std::int32_t length);

private:
    enum class Face : std::uint8_t
    {
        Primary = 0,
        Fallback = 1,
        None = 2, // neither family has the glyph: the painter's own font fallback draws it
    };
    struct Glyph
    {
        Face face = Face::None;
        quint32 index = 0;
    };
    struct Batch
    {
        QList<quint32> glyphs;
        QList<QPointF> positions;
        void clear()
        {
            glyphs.clear();
            positions.clear();
        }
    };
    struct Turned
    {
        Glyph glyph;
        char16_t unit = 0;
        QPointF cellCentre;
    };
    struct Loose
    {
        QString text;
        QPointF at; // on the baseline: the left end in horizontal writing, the centre in vertical
    };

    void SyncFonts();
    // Blends the gathered glyphs straight into a 32-bit image; false when the painter's target or
    // state needs the painter itself (another format, a transform, clipping, opacity).
    bool BlendBatches(QPainter& painter);
    Glyph GlyphOf(char16_t unit);
    Glyph GlyphOfPair(char16_t high, char16_t low) const;
    const QRawFont& FontOf(Face face) const;
    void Add(const Glyph& glyph, QPointF baselinePosition);
    // Gather one page's glyphs line by line; return where the page ends.
    std::int32_t DrawHorizontal(const char16_t* text, std::int32_t pos, std::int32_t end, const QRect& rect,
                                int lines, int lineLength);
    std::int32_t DrawVertical(const char16_t* text, std::int32_t pos, std::int32_t end, const QRect& rect,
                              int lines, int lineLength);
    void Flush(QPainter& painter, bool vertical);
    void DrawHighlight(QPainter& painter, const char16_t* text, std::int32_t pos, std::int32_t end,
                       const QRect& rect, int lines, int lineLength, bool vertical) const;

    // The page being drawn, in the shown form: units[i - begin] for begin <= i < end.
    struct ShownRange
    {
        const char16_t* units = nullptr;
        std::int32_t begin = 0;
        std::int32_t end = 0;
        char16_t At(const char16_t* text, std::int32_t i) const
        {
            return i >= begin && i < end ? units[i - begin] : text[i];
        }
    };

    ShownText m_shownText;
    ShownRange m_shown;
    QFont m_font; // the reading font the raw fonts were made from
    bool m_vertical = false;
    bool m_synced = false;
    QRawFont m_primary;
    QRawFont m_fallback;
    QFont m_titleFont; // page numbers; looked up with the reading font, not per page
    int m_titleHeight = 0;
    int m_ascent = 0;
    // The rows the ink of a line of Chinese text covers, from the line's baseline.
    int m_inkTop = 0;
    int m_inkBottom = 0;
    int m_cell = 0;
    int m_pitch = 0;
    std::vector<std::uint32_t> m_glyphCache; // per BMP unit: face in the top 2 bits, glyph below
    GlyphMaskCache m_masks;
    MaskBlender m_blender;
    QRgb m_textColour = 0;
    // A unit wider than the line was put on the page; its glyph must not reach past the page.
    bool m_overflow = false;
    // How far past the line's end a hanging closing mark may reach (one cell with the rules on).
    int m_hangRoom = 0;
    Batch m_batches[2];
    std::vector<Turned> m_turned;
    std::vector<Loose> m_loose;
    std::int32_t m_highlightStart = 0;
    std::int32_t m_highlightEnd = 0;
};

// The process-wide renderer LayoutEngine draws with.
PageRenderer& ThePageRenderer();

// Places and draws one page or a two-page spread in the book rectangle, with the page size from
// ComputePageSize. `page` is the current (already clamped) page.
void DrawPages(QPainter& painter, const QRect& bookRect, QSize pageSize, const TextBuffer& buffer,
               bool spread, int page);

// Where DrawPages puts the page rectangles: `first` holds `page`, `second` the page beside it (empty
// for a single page).
struct PagePlacement
{
    QRect first;
    int firstPlace = 3;
    QRect second;
    int secondPlace = 0;
};
PagePlacement PlacePages(const QRect& bookRect, QSize pageSize, bool spread, bool vertical);
