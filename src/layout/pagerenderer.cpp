// PageRenderer: lines cut as pagination cuts them, glyphs placed by the advance table.
#include "layout/pagerenderer.h"

#include "document/textbuffer.h"
#include "layout/layoutengine.h"
#include "layout/linecutter.h"
#include "layout/textmetrics.h"
#include "layout/verticalforms.h"
#include "settings/parablock.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__SSE2__) && !defined(LT_NO_SIMD)
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint32_t kUnknown = 0xFFFFFFFFu;
constexpr std::uint32_t kGlyphMask = 0x3FFFFFFFu;
constexpr char16_t kReplacement = 0xFFFD;
constexpr std::size_t kMaxMasks = 16384;

bool IsHigh(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLow(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Control characters have nothing to show (a tab must not come out as a box).
bool IsInvisible(char16_t u)
{
    return u < 0x20 || (u >= 0x7F && u < 0xA0);
}

QColor ColourSetting(int index)
{
    const auto c = static_cast<COLORREF>(ParaGetInt(index));
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// Vertical writing measures nothing, so the metrics name no CJK family; drawing still needs one.
QString CjkFamilyFor(const QString& primary)
{
    static const char* const kFamilies[] = {
        "Noto Sans CJK SC",    "Noto Serif CJK SC", "Source Han Sans SC",  "Source Han Sans CN",
        "WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Droid Sans Fallback", "AR PL UMing CN",
    };
    const QStringList installed = QFontDatabase::families();
    for (const char* name : kFamilies) {
        const QString family = QString::fromLatin1(name);
        if (installed.contains(family))
            return family == primary ? QString() : family;
    }
    QTextLayout layout(QString(QChar(0x4E2D)), QFont(primary));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    const QString found = runs.isEmpty() ? QString() : runs.first().rawFont().familyName();
    return found == primary ? QString() : found;
}

QFont SingleFamily(const QFont& font, const QString& family)
{
    QFont f(font);
    f.setFamilies({family});
    f.setFamily(family);
    f.setStyleStrategy(QFont::NoSubpixelAntialias);
    return f;
}

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

} // namespace

PageRenderer& ThePageRenderer()
{
    static PageRenderer renderer;
    return renderer;
}

void PageRenderer::SyncFonts()
{
    const TextMetrics& metrics = TheTextMetrics();
    m_pitch = metrics.LinePitch();
    if (m_synced && metrics.ReadingFont() == m_font && metrics.IsVertical() == m_vertical &&
        metrics.CellSize() == m_cell)
        return;
    m_font = metrics.ReadingFont();
    m_vertical = metrics.IsVertical();
    m_cell = metrics.CellSize();
    QStringList families = m_font.families();
    if (families.isEmpty())
        families.append(m_font.family());
    const QFont primary = SingleFamily(m_font, families.first());
    m_primary = QRawFont::fromFont(primary);
    const QString fallback = families.size() > 1 ? families[1] : CjkFamilyFor(families.first());
    m_fallback = fallback.isEmpty() ? QRawFont() : QRawFont::fromFont(SingleFamily(m_font, fallback));
    const QFontMetrics fm(primary);
    m_ascent = fm.ascent();
    // Chinese glyphs as they come out (with the font's fallback); Latin descenders may cross a rule,
    // as on ruled paper, since at low line heights they reach the next line's ideographs.
    const QRect ink = QFontMetrics(m_font).tightBoundingRect(QStringLiteral("\u56FD\u9F98\u4E66"));
    m_inkTop = ink.isEmpty() ? -m_ascent : ink.top();
    m_inkBottom = ink.isEmpty() ? 0 : ink.top() + ink.height() - 1;
    m_titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    m_titleHeight = QFontInfo(m_titleFont).pixelSize();
    m_glyphCache.assign(65536, kUnknown);
    m_masks.clear();
    m_synced = true;
    const qreal ratio = m_maskRatio;
    m_maskRatio = 0;
    SetMaskRatio(ratio);
}

void PageRenderer::SetMaskRatio(qreal ratio)
{
    if (!(ratio > 0) || ratio > 8)
        ratio = 1;
    if (ratio == m_maskRatio)
        return;
    m_maskRatio = ratio;
    m_masks.clear();
    auto scaled = [ratio](const QRawFont& font) {
        QRawFont f(font);
        if (f.isValid() && ratio != 1)
            f.setPixelSize(font.pixelSize() * ratio);
        return f;
    };
    m_primaryMasks = scaled(m_primary);
    m_fallbackMasks = scaled(m_fallback);
}

PageRenderer::Glyph PageRenderer::GlyphOf(char16_t unit)
{
    std::uint32_t& entry = m_glyphCache[unit];
    if (entry == kUnknown) {
        const QChar c(unit);
        quint32 glyph = 0;
        int count = 1;
        Face face = Face::None;
        if (m_primary.isValid() && m_primary.glyphIndexesForChars(&c, 1, &glyph, &count) && glyph != 0) {
            face = Face::Primary;
        } else if (m_fallback.isValid()) {
            count = 1;
            glyph = 0;
            if (m_fallback.glyphIndexesForChars(&c, 1, &glyph, &count) && glyph != 0)
                face = Face::Fallback;
        }
        if (face == Face::None)
            glyph = 0;
        entry = (static_cast<std::uint32_t>(face) << 30) | (glyph & kGlyphMask);
    }
    return Glyph{static_cast<Face>(entry >> 30), entry & kGlyphMask};
}

PageRenderer::Glyph PageRenderer::GlyphOfPair(char16_t high, char16_t low) const
{
    const QChar pair[2] = {QChar(high), QChar(low)};
    for (const Face face : {Face::Primary, Face::Fallback}) {
        const QRawFont& font = FontOf(face);
        quint32 glyphs[2] = {0, 0};
        int count = 2;
        if (font.isValid() && font.glyphIndexesForChars(pair, 2, glyphs, &count) && count == 1 &&
            glyphs[0] != 0)
            return Glyph{face, glyphs[0]};
    }
    return Glyph{Face::None, 0};
}

const QRawFont& PageRenderer::FontOf(Face face) const
{
    return face == Face::Fallback ? m_fallback : m_primary;
}

void PageRenderer::Add(const Glyph& glyph, QPointF position)
{
    Batch& batch = m_batches[glyph.face == Face::Fallback ? 1 : 0];
    batch.glyphs.push_back(glyph.index);
    batch.positions.push_back(position);
}

std::int32_t PageRenderer::DrawHorizontal(const char16_t* text, std::int32_t pos, std::int32_t end,
                                          const QRect& rect, int lines, int lineLength)
{
    const std::uint8_t* advances = TheTextMetrics().Advances();
    LineCutState state;
    state.breakRules = ParaGetInt(PARA_LINE_BREAK_RULES) != 0;
    for (int line = 0; line < lines && pos < end; ++line) {
        const std::int32_t next = CutLine(text, pos, end, lineLength, advances, state);
        if (next == pos)
            break;
        int x = rect.left();
        const int top = rect.top() + line * m_pitch;
        const qreal baseline = top + m_ascent;
        for (std::int32_t i = pos; i < next; ++i) {
            // The original unit sets the cell; the shown one (converted script) is what is drawn there.
            const char16_t original = text[i];
            const int advance = advances[original];
            if (IsInvisible(original) || IsLow(original)) {
                // A low surrogate went out with its high one; alone it has no width and no glyph.
                x += advance;
                continue;
            }
            const char16_t u = m_shown.At(text, i);
            Glyph glyph;
            QString loose;
            if (IsHigh(u)) {
                const bool paired = i + 1 < next && IsLow(m_shown.At(text, i + 1));
                const char16_t pair[2] = {u, paired ? m_shown.At(text, i + 1) : char16_t(0)};
                glyph = paired ? GlyphOfPair(u, pair[1]) : GlyphOf(kReplacement);
                if (glyph.face == Face::None)
                    loose = paired ? QString(reinterpret_cast<const QChar*>(pair), 2)
                                   : QString(QChar(kReplacement));
            } else {
                glyph = GlyphOf(u);
                if (glyph.face == Face::None)
                    loose = QString(QChar(u));
            }
            if (glyph.face == Face::None)
                m_loose.push_back(Loose{loose, QPointF(x, baseline)});
            else
                Add(glyph, QPointF(x, baseline));
            x += advance;
        }
        m_overflow = m_overflow || x > rect.left() + lineLength + m_hangRoom;
        pos = next;
    }
    return pos;
}

std::int32_t PageRenderer::DrawVertical(const char16_t* text, std::int32_t pos, std::int32_t end,
                                        const QRect& rect, int lines, int lineLength)
{
    const std::uint8_t* advances = TheTextMetrics().Advances();
    const int right = rect.x() + rect.width();
    LineCutState state;
    state.breakRules = ParaGetInt(PARA_LINE_BREAK_RULES) != 0;
    for (int column = 0; column < lines && pos < end; ++column) {
        const std::int32_t next = CutLine(text, pos, end, lineLength, advances, state);
        if (next == pos)
            break;
        // Positions hold the cell's centre line; Flush moves each glyph left by half its advance.
        const int centre = right - m_cell - column * m_pitch;
        int y = rect.top();
        for (std::int32_t i = pos; i < next; ++i) {
            const char16_t original = text[i];
            const int advance = advances[original];
            if (IsInvisible(original) || IsLow(original)) {
                y += advance;
                continue;
            }
            const char16_t u = m_shown.At(text, i);
            const qreal baseline = y + m_ascent;
            Glyph glyph;
            QString loose;
            if (IsHigh(u)) {
                const bool paired = i + 1 < next && IsLow(m_shown.At(text, i + 1));
                const char16_t pair[2] = {u, paired ? m_shown.At(text, i + 1) : char16_t(0)};
                glyph = paired ? GlyphOfPair(u, pair[1]) : GlyphOf(kReplacement);
                if (glyph.face == Face::None)
                    loose = paired ? QString(reinterpret_cast<const QChar*>(pair), 2)
                                   : QString(QChar(kReplacement));
            } else if (IsTurnedInVertical(u)) {
                m_turned.push_back(Turned{GlyphOf(u), u, QPointF(centre, y + advance / 2.0)});
                y += advance;
                continue;
            } else {
                const char16_t form = VerticalFormOf(u);
                glyph = GlyphOf(form);
                if (glyph.face == Face::None)
                    loose = QString(QChar(form));
            }
            // The full stop sits in the lower left of its cell; a quarter cell right brings it nearer
            // the column's middle.
            const qreal shift = u == u'.' ? advance / 4 : 0;
            if (glyph.face == Face::None)
                m_loose.push_back(Loose{loose, QPointF(centre + shift, baseline)});
            else
                Add(glyph, QPointF(centre + shift, baseline));
            y += advance;
        }
        m_overflow = m_overflow || y > rect.top() + lineLength + m_hangRoom;
        pos = next;
    }
    return pos;
}

const PageRenderer::Mask& PageRenderer::MaskOf(Face face, quint32 glyph)
{
    const std::uint32_t key = (static_cast<std::uint32_t>(face) << 30) | (glyph & kGlyphMask);
    if (const auto found = m_masks.find(key); found != m_masks.end())
        return found->second;
    Mask& mask = m_masks[key];
    const QList<quint32> glyphs{glyph};
    mask.advance = FontOf(face).advancesForGlyphIndexes(glyphs).value(0).x();
    const QRawFont& font = face == Face::Fallback ? m_fallbackMasks : m_primaryMasks;
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

bool PageRenderer::BlendBatches(QPainter& painter)
{
    auto* image = dynamic_cast<QImage*>(painter.device());
    // The positions are in page pixels; a high-density picture holds `ratio` device pixels to each.
    if (image == nullptr || image->devicePixelRatio() != m_maskRatio || painter.paintEngine() == nullptr ||
        painter.paintEngine()->type() != QPaintEngine::Raster || painter.hasClipping() ||
        painter.transform().type() != QTransform::TxNone || painter.opacity() != 1.0 ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32_Premultiplied))
        return false;
    const int iw = image->width();
    const int ih = image->height();
    const qreal ratio = m_maskRatio;
    m_placed.clear();
    for (int b = 0; b < 2; ++b) {
        const Face face = b == 1 ? Face::Fallback : Face::Primary;
        const Batch& batch = m_batches[b];
        for (qsizetype i = 0; i < batch.glyphs.size(); ++i) {
            const Mask& mask = MaskOf(face, batch.glyphs[i]);
            const int x = qRound(batch.positions[i].x() * ratio) + mask.left;
            const int y = qRound(batch.positions[i].y() * ratio) + mask.top;
            if (mask.width > 0 && x < iw && y < ih && x + mask.width > 0 && y + mask.height > 0)
                m_placed.push_back(Placed{x, y, &mask});
        }
    }
    if (m_placed.empty())
        return true;
    std::sort(m_placed.begin(), m_placed.end(),
              [](const Placed& a, const Placed& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });

    // Row by row through every glyph crossing the row, left to right: the image is walked in memory
    // order instead of one glyph's column of rows at a time, which misses the cache on every row.
    const qsizetype stride = image->bytesPerLine();
    std::uint8_t* bits = image->bits();
    const QRgb colour = m_textColour | 0xFF000000u;
    const std::uint32_t colourRb = colour & 0x00FF00FFu;
    const std::uint32_t colourAg = (colour >> 8) & 0x00FF00FFu;
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
                const Mask& mask = *p->mask;
                const int xa = std::max(0, -p->x);
                const int count = std::min(mask.width, iw - p->x) - xa;
                const std::uint8_t* a =
                    mask.alpha.data() + static_cast<std::size_t>(y - p->y) * mask.width + xa;
                QRgb* dst = row + p->x + xa;
                int x = BlendSpan(dst, a, 0, count, colour);
                for (; x < count; ++x) {
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
        }
        ++y;
        std::erase_if(m_active, [y](const Placed* p) { return p->y + p->mask->height <= y; });
    }
    return true;
}

void PageRenderer::Flush(QPainter& painter, bool vertical)
{
    if (vertical) {
        for (int b = 0; b < 2; ++b) {
            const Face face = b == 1 ? Face::Fallback : Face::Primary;
            Batch& batch = m_batches[b];
            for (qsizetype i = 0; i < batch.glyphs.size(); ++i)
                batch.positions[i].rx() -= MaskOf(face, batch.glyphs[i]).advance / 2;
        }
    }
    if (!BlendBatches(painter)) {
        for (int b = 0; b < 2; ++b) {
            const Batch& batch = m_batches[b];
            if (batch.glyphs.empty())
                continue;
            QGlyphRun run;
            run.setRawFont(FontOf(b == 1 ? Face::Fallback : Face::Primary));
            run.setGlyphIndexes(batch.glyphs);
            run.setPositions(batch.positions);
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
    }
    m_batches[0].clear();
    m_batches[1].clear();

    for (const Turned& t : m_turned) {
        painter.save();
        painter.translate(t.cellCentre);
        painter.rotate(-90);
        if (t.glyph.face == Face::None) {
            painter.setFont(m_font);
            const QFontMetricsF fm(m_font);
            const QString s(QChar(t.unit));
            painter.drawText(QPointF(-fm.horizontalAdvance(s) / 2, (fm.ascent() - fm.descent()) / 2), s);
        } else {
            // Centred on the cell: half the advance back, the middle of ascent and descent on the line.
            const QRawFont& font = FontOf(t.glyph.face);
            const QList<quint32> glyphs{t.glyph.index};
            const qreal width = font.advancesForGlyphIndexes(glyphs).value(0).x();
            QGlyphRun run;
            run.setRawFont(font);
            run.setGlyphIndexes(glyphs);
            run.setPositions({QPointF(-width / 2, (font.ascent() - font.descent()) / 2)});
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        painter.restore();
    }
    m_turned.clear();

    if (!m_loose.empty()) {
        painter.setFont(m_font);
        const QFontMetricsF fm(m_font);
        for (const Loose& l : m_loose) {
            const qreal dx = vertical ? fm.horizontalAdvance(l.text) / 2 : 0;
            painter.drawText(QPointF(l.at.x() - dx, l.at.y()), l.text);
        }
        m_loose.clear();
    }
}

void PageRenderer::DrawRuledLines(QPainter& painter, const QRect& rect, int lines, bool vertical) const
{
    const QColor colour = ColourSetting(PARA_TEXT_LINE_COLOR);
    // Each rule goes in the middle of the gap between one line's ink and the next line's, which
    // the font's full height (far more than an em for CJK fonts) would overshoot at low line heights.
    if (vertical) {
        // Glyphs are centred on their column, one cell wide: halfway to the next column's centre.
        const int first = rect.x() + rect.width() - m_cell - (m_pitch + 1) / 2;
        for (int i = 0; i < lines; ++i)
            painter.fillRect(QRect(first - i * m_pitch, rect.top(), 1, rect.height()), colour);
    } else {
        const int inkEnd = m_ascent + m_inkBottom;         // last ink row of the first line
        const int nextInk = m_ascent + m_inkTop + m_pitch; // first ink row of the second
        const int gap = nextInk - inkEnd - 1;
        const int first = rect.top() + inkEnd + 1 + std::max(0, gap - 1) / 2;
        for (int i = 0; i < lines; ++i)
            painter.fillRect(QRect(rect.left(), first + i * m_pitch, rect.width(), 1), colour);
    }
}

void PageRenderer::DrawPageNumber(QPainter& painter, const QRect& rect, int page, int numberPlace) const
{
    const QFont& font = m_titleFont;
    const QFontMetrics fm(font);
    const int height = m_titleHeight;
    const QString number = QString::number(static_cast<long long>(page) + 1);
    const int width = fm.horizontalAdvance(number);
    const int right = rect.x() + rect.width();
    int x = rect.left() + (rect.width() - width) / 2;
    if (numberPlace == 1)
        x = rect.left() + 2 * height;
    else if (numberPlace == 2)
        x = right - width - 2 * height;
    painter.setFont(font);
    painter.drawText(QPoint(x, rect.top() + rect.height() + 10 + fm.ascent()), number);
}

int PageRenderer::DrawPage(const TextBuffer& buffer, int page, QPainter& painter, const QRect& rect,
                           int numberPlace)
{
    SyncFonts();
    SetMaskRatio(painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1);
    // A book of rare characters must not grow the glyph cache without bound; dropped only here,
    // between pages, since a page's placements point into it.
    if (m_masks.size() >= kMaxMasks)
        m_masks.clear();
    // The setting, as pagination reads it, so the drawn lines are the paginated ones.
    const bool vertical = ParaGetInt(PARA_VERTICAL_LINE) != 0;
    const PageGrid grid = PageGridFor(rect.size(), m_pitch, vertical);
    if (grid.lines <= 0 || m_cell <= 0 || page < 0 || page >= buffer.PageCount() || buffer.Text() == nullptr)
        return 0;
    const std::int32_t start = buffer.PageStart(page);
    const std::int32_t end = buffer.Length();
    if (start < 0 || start > end)
        return 0;

    // The page in the shown script, unit for unit, so the line cut of the original still holds.
    std::u16string shown;
    m_shown = {};
    if (m_shownText) {
        const std::int32_t pageEnd = page + 1 < buffer.PageCount() ? buffer.PageStart(page + 1) : end;
        if (pageEnd > start && pageEnd <= end) {
            shown = m_shownText(std::u16string_view(buffer.Text(), static_cast<std::size_t>(end)), start,
                                pageEnd);
            if (shown.size() == static_cast<std::size_t>(pageEnd - start))
                m_shown = {shown.data(), start, pageEnd};
        }
    }

    painter.save();
    m_textColour = ColourSetting(PARA_TEXT_COLOR).rgb();
    painter.setPen(ColourSetting(PARA_TEXT_COLOR));
    painter.setBackgroundMode(Qt::TransparentMode);
    m_overflow = false;
    // A closing mark the line-break rules hang takes one cell past the line's end.
    m_hangRoom = ParaGetInt(PARA_LINE_BREAK_RULES) != 0 ? m_cell : 0;
    DrawHighlight(painter, buffer.Text(), start, end, rect, grid.lines, grid.lineLength, vertical);
    const std::int32_t pos =
        vertical ? DrawVertical(buffer.Text(), start, end, rect, grid.lines, grid.lineLength)
                 : DrawHorizontal(buffer.Text(), start, end, rect, grid.lines, grid.lineLength);
    // Only such a page pays for clipping, which sends the glyphs through the painter.
    if (m_overflow) {
        painter.save();
        painter.setClipRect(vertical ? rect.adjusted(0, 0, 0, m_hangRoom) : rect.adjusted(0, 0, m_hangRoom, 0),
                            Qt::IntersectClip);
        Flush(painter, vertical);
        painter.restore();
    } else {
        Flush(painter, vertical);
    }
    if (ParaGetInt(PARA_TEXT_SHOW_LINE) != 0)
        DrawRuledLines(painter, rect, grid.lines, vertical);
    if (numberPlace != 0 && ParaGetInt(PARA_SHOW_BOOK) != 0)
        DrawPageNumber(painter, rect, page, numberPlace);
    painter.restore();
    m_shown = {};
    return pos - start;
}

PagePlacement PlacePages(const QRect& bookRect, QSize pageSize, bool spread, bool vertical)
{
    const int l = bookRect.left();
    const int r = bookRect.left() + bookRect.width();
    const int t = bookRect.top();
    const int b = bookRect.top() + bookRect.height();
    const int w = pageSize.width();
    const int h = pageSize.height();
    const int top = t + (b - t - h) / 2;
    PagePlacement placement;
    if (!spread) {
        placement.first = QRect(l + (r - l - w) / 2, top, w, h);
        placement.firstPlace = 3;
        return placement;
    }
    const int cm = std::clamp(ParaGetInt(PARA_COVER_MARGIN), -100000, 100000);
    const int x = l + (cm + (r - l) / 2 - w) / 2;
    const QRect leftPage(x, top, w, h);
    const QRect rightPage(l + r - x - w, top, w, h);
    if (vertical) {
        // Vertical books read from right to left: the current page is the right-hand one.
        placement.first = rightPage;
        placement.firstPlace = 2;
        placement.second = leftPage;
        placement.secondPlace = 1;
    } else {
        placement.first = leftPage;
        placement.firstPlace = 1;
        placement.second = rightPage;
        placement.secondPlace = 2;
    }
    return placement;
}

void DrawPages(QPainter& painter, const QRect& bookRect, QSize pageSize, const TextBuffer& buffer,
               bool spread, int page)
{
    const PagePlacement placement =
        PlacePages(bookRect, pageSize, spread, ParaGetInt(PARA_VERTICAL_LINE) != 0);
    buffer.DrawPage(page, painter, placement.first, placement.firstPlace);
    if (spread && page < buffer.PageCount() - 1)
        buffer.DrawPage(page + 1, painter, placement.second, placement.secondPlace);
}
