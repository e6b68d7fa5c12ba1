// The book's background composed with the canvas primitives, its plain fallback and the screen copy.
#include "layout/bookbackground.h"

#include "images/bookpicture.h"
#include "images/canvas.h"
#include "settings/parablock.h"

#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>
#if defined(__x86_64__) && defined(__GNUC__) && !defined(LT_NO_SIMD)
#include <tmmintrin.h>
#endif

namespace {

constexpr COLORREF kNavy = 0x800000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;

// Margins come from a hand-editable file; bounded so no pixel arithmetic can overflow.
int Margin(int index)
{
    return std::clamp(ParaGetInt(index), -100000, 100000);
}

COLORREF SettingColour(int index)
{
    // Only the colour bytes count: a stray high byte (e.g. the picker's "automatic") must not leak in.
    return static_cast<COLORREF>(ParaGetInt(index)) & 0xFFFFFF;
}

QColor ToQColor(COLORREF c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// The canvas with the client area it holds: rows 0..height-1 from the bottom, columns 0..width-1. A
// canvas kept from a larger client is reused as it is, so resizing allocates nothing.
struct Surface
{
    CxImage& canvas;
    int width;
    int height;
};

// Screen rectangle (y down, right and bottom exclusive), clipped to the client area, in stored rows.
ImageRect Stored(const Surface& s, int left, int top, int right, int bottom)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, s.width);
    bottom = std::min(bottom, s.height);
    if (left >= right || top >= bottom)
        return ImageRect{};
    return ImageRect{left, s.height - bottom, right, s.height - top};
}

ImageRect Stored(const Surface& s, const QRect& r)
{
    return Stored(s, r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

int StoredRow(const Surface& s, int y)
{
    return s.height - 1 - y;
}

// Fills `outer` (screen) with a picture tiled, or with the colour when the picture is absent, leaving
// out `hole` when it lies inside: whatever is painted there next would hide it anyway, and writing
// the canvas once instead of twice is most of the composition's cost.
void FillSurface(Surface& s, const QRect& outer, int imageSetting, const CxImage* picture, COLORREF colour,
                 const QRect& hole = QRect())
{
    const bool tiled =
        ParaGetInt(imageSetting) >= 0 && picture != nullptr && picture->IsValid() && picture->Bits() == 24;
    const bool ring = !hole.isEmpty() && outer.contains(hole);
    // TileImage's phase starts at the clipped rectangle's left column and first stored row.
    const ImageRect whole = Stored(s, outer);
    if (whole.left >= whole.right)
        return;
    const int ox = whole.left;
    const int oy = whole.top;
    if (!ring) {
        if (tiled)
            TileImage(s.canvas, *picture, whole, ox, oy);
        else
            FillImageRect(s.canvas, whole, colour);
        return;
    }
    const int l = outer.left();
    const int t = outer.top();
    const int r = outer.left() + outer.width();
    const int b = outer.top() + outer.height();
    const int hl = hole.left();
    const int ht = hole.top();
    const int hr = hole.left() + hole.width();
    const int hb = hole.top() + hole.height();
    const ImageRect bands[] = {Stored(s, l, t, r, ht), Stored(s, l, hb, r, b), Stored(s, l, ht, hl, hb),
                               Stored(s, hr, ht, r, hb)};
    for (const ImageRect& band : bands) {
        if (band.left >= band.right || band.top >= band.bottom)
            continue;
        if (tiled)
            TileImage(s.canvas, *picture, band, ox, oy);
        else
            FillImageRect(s.canvas, band, colour);
    }
}

void Shade(Surface& s, int left, int top, int right, int bottom, int percent)
{
    if (left < right && top < bottom)
        ShadeImageRect(s.canvas, Stored(s, left, top, right, bottom), percent);
}

void DrawSpine(Surface& s, const QRect& book, int coverMargin, int marginLeft)
{
    const int l = book.left();
    const int t = book.top();
    const int b = book.top() + book.height();
    const int half = book.width() / 2;
    const int s0 = l + half - marginLeft;
    const int s1 = l + half + marginLeft;
    Shade(s, s0, t, s1, t + coverMargin, 70);
    Shade(s, s0, b - coverMargin, s1, b, 70);
    // The outer ten columns of the strip go darker still, so the spine looks rounded.
    for (const auto& [top, bottom] : {std::pair{b - coverMargin, b}, std::pair{t, t + coverMargin}}) {
        Shade(s, s0, top, std::min(s0 + 10, s1), bottom, 60);
        Shade(s, std::max(s1 - 10, s0), top, s1, bottom, 60);
    }
}

void DrawBevel(Surface& s, const QRect& book)
{
    const int l = book.left();
    const int t = book.top();
    const int r = book.left() + book.width();
    const int b = book.top() + book.height();
    constexpr std::array<int, 3> kPercent = {50, 60, 80};
    for (int i = 0; i < 3; ++i) {
        const int d = 2 * i;
        if (r - d - 2 < l + d + 2 || b - d - 2 < t + d + 2)
            break;
        Shade(s, l + d, t + d, l + d + 2, b - d, kPercent[i]);
        Shade(s, r - d - 2, t + d, r - d, b - d, kPercent[i]);
        // Top and bottom stop at the side strips so the corners are darkened once, like the edges.
        Shade(s, l + d + 2, t + d, r - d - 2, t + d + 2, kPercent[i]);
        Shade(s, l + d + 2, b - d - 2, r - d - 2, b - d, kPercent[i]);
    }
}

struct SeamColumn
{
    int x;
    std::array<std::uint8_t, 256> table;
};

// The shadow seam's columns, each with its table: every channel times (1 - k / ML) ^ 0.48 for the
// k-th column from the outside, darkest at the two columns beside the centre.
std::vector<SeamColumn> ShadowColumns(const Surface& s, const QRect& book, int coverMargin, int marginLeft)
{
    std::vector<SeamColumn> columns;
    const int d = marginLeft - coverMargin;
    const int n = d - 5;
    if (marginLeft <= 0 || n <= 0)
        return columns;
    const int centre = book.left() + book.width() / 2;
    columns.reserve(static_cast<std::size_t>(2 * std::min(n, s.width)));
    for (int k = 0; k < n; ++k) {
        const long long left = static_cast<long long>(centre) - n + k;
        const long long right = static_cast<long long>(centre) + d - 6 - k;
        const bool leftOn = left >= 0 && left < s.width;
        const bool rightOn = right >= 0 && right < s.width;
        if (!leftOn && !rightOn)
            continue;
        const double base = std::clamp(1.0 - static_cast<double>(k) / marginLeft, 0.0, 1.0);
        const double factor = std::pow(base, 0.48);
        std::array<std::uint8_t, 256> table{};
        for (int v = 0; v < 256; ++v)
            table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v * factor);
        if (leftOn)
            columns.push_back({static_cast<int>(left), table});
        if (rightOn)
            columns.push_back({static_cast<int>(right), table});
    }
    return columns;
}

// The paper's strokes, all in stored rows: the outline and the lines 2 and 4 pixels inside it, the
// shadow seam's columns and the seam bar.
struct PaperStrokes
{
    bool edges = false;
    int left = 0;  // the outline's first column
    int right = 0; // and its last
    COLORREF edge = 0;
    std::vector<SeamColumn> shadow;
    ImageRect bar;
};

// Paper, strokes and seam over the stored rows `rows`, the outline's full row when `outline`.
void PaintPaperRows(Surface& s, const ImageRect& rows, const CxImage* picture, COLORREF paper,
                    const ImageRect& phase, const PaperStrokes& strokes, bool outline)
{
    if (picture != nullptr)
        TileImage(s.canvas, *picture, rows, phase.left, phase.top);
    else
        FillImageRect(s.canvas, rows, paper);
    if (strokes.edges) {
        if (outline) {
            FillImageRect(s.canvas, {strokes.left, rows.top, strokes.right + 1, rows.bottom}, strokes.edge);
        } else {
            const int pl = strokes.left;
            const int pr = strokes.right;
            for (const int x : {pl, pl + 2, pl + 4, pr - 4, pr - 2, pr})
                if (x >= pl && x <= pr)
                    DrawImageVLine(s.canvas, x, rows.top, rows.bottom, strokes.edge);
        }
    }
    for (const SeamColumn& c : strokes.shadow)
        if (c.x >= phase.left && c.x < phase.right)
            MapImageRect(s.canvas, {c.x, rows.top, c.x + 1, rows.bottom}, c.table);
    const ImageRect bar{strokes.bar.left, std::max(strokes.bar.top, rows.top), strokes.bar.right,
                        std::min(strokes.bar.bottom, rows.bottom)};
    if (bar.left < bar.right && bar.top < bar.bottom)
        FillImageRect(s.canvas, bar, kBlack);
}

// Paper, page edges and seam. Away from the outline every row repeats the one a picture height
// below it (the paper, the lines and the seam are the same down the page), so one band of rows is
// worked out and copied over the rest, and the two outline rows are painted over: the page area is
// most of the canvas.
void DrawPaper(Surface& s, const QRect& area, const QRect& book, bool spread, int coverMargin, int marginLeft)
{
    const ImageRect rows = Stored(s, area);
    if (rows.left >= rows.right)
        return;
    const CxImage* picture = PagePicture();
    const bool tiled = ParaGetInt(PARA_TEXT_BG_IMAGE) >= 0 && picture != nullptr && picture->IsValid() &&
                       picture->Bits() == 24;
    if (!tiled)
        picture = nullptr;
    const COLORREF paper = SettingColour(PARA_TEXT_BG_COLOR);
    PaperStrokes strokes;
    // Left out when a negative cover margin puts the page area past the client.
    strokes.left = area.left();
    strokes.right = area.left() + area.width() - 1;
    strokes.edges = strokes.left >= 0 && area.top() >= 0 && strokes.right < s.width &&
                    area.top() + area.height() <= s.height;
    strokes.edge = SettingColour(PARA_COLOR_PAGE_EDGE);
    const int middle = spread ? ParaGetInt(PARA_PAGE_MIDDLE) : 0;
    if (middle == 1)
        strokes.shadow = ShadowColumns(s, book, coverMargin, marginLeft);
    if (middle == 2)
        strokes.bar = Stored(s, SeamBarRect(area));

    const int period = tiled ? picture->Height() : 1;
    const ImageRect band{rows.left, rows.top, rows.right, std::min(rows.bottom, rows.top + period)};
    PaintPaperRows(s, band, picture, paper, rows, strokes, false);
    RepeatImageRows(s.canvas, rows, period);
    if (strokes.edges) {
        for (const int y : {StoredRow(s, area.top() + area.height() - 1), StoredRow(s, area.top())})
            PaintPaperRows(s, {rows.left, y, rows.right, y + 1}, picture, paper, rows, strokes, true);
    }
    // A shadow column past the page area (a seam margin wider than half the book) is shaded once on
    // each row worked out rather than copied: the first band, the outline rows and the row a period
    // above the first of them.
    for (const SeamColumn& c : strokes.shadow) {
        if (c.x >= rows.left && c.x < rows.right)
            continue;
        for (int y = rows.top; y < rows.bottom; ++y) {
            if (y < band.bottom || (strokes.edges && (y == rows.top + period || y == rows.bottom - 1)))
                MapImageRect(s.canvas, {c.x, y, c.x + 1, y + 1}, c.table);
        }
    }
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(LT_NO_SIMD)
// Four pixels a shuffle. Reads 16 bytes for 12, so stops while two more pixels remain in the row.
__attribute__((target("ssse3"))) int RowToRgb32Ssse3(const std::uint8_t* src, std::uint32_t* dst, int w)
{
    const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int x = 0;
    for (; x + 6 <= w; x += 4) {
        const __m128i v =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + static_cast<std::size_t>(x) * 3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x),
                         _mm_or_si128(_mm_shuffle_epi8(v, order), opaque));
    }
    return x;
}
#endif

// Converts what it can of a row at once; returns the first pixel left to the caller.
int RowToRgb32Fast(const std::uint8_t* src, std::uint32_t* dst, int w)
{
#if defined(__x86_64__) && defined(__GNUC__) && !defined(LT_NO_SIMD)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3)
        return RowToRgb32Ssse3(src, dst, w);
#else
    (void)src;
    (void)dst;
    (void)w;
#endif
    return 0;
}

} // namespace

void LoadBookPictures()
{
    LoadBuiltinPictures();
}

QRect PageAreaRect(const QRect& bookRect)
{
    const int cm = Margin(PARA_COVER_MARGIN);
    const long long w = static_cast<long long>(bookRect.width()) - 2LL * cm;
    const long long h = static_cast<long long>(bookRect.height()) - 2LL * cm;
    if (w <= 0 || h <= 0)
        return QRect(bookRect.center(), QSize(0, 0));
    return QRect(bookRect.left() + cm, bookRect.top() + cm, static_cast<int>(w), static_cast<int>(h));
}

QRect SeamBarRect(const QRect& pageArea)
{
    const int w = pageArea.width();
    if (w % 2 == 0)
        return QRect(pageArea.left() + w / 2 - 1, pageArea.top(), 4, pageArea.height());
    return QRect(pageArea.left() + (w + 1) / 2 - 1, pageArea.top(), 3, pageArea.height());
}

bool DrawBookBackground(CxImage& canvas, QSize clientSize, const QRect& bookRect, bool spread)
{
    if (clientSize.isEmpty())
        return false;
    // Every client pixel is painted, so a canvas at least this large is reused as it stands; a new one
    // grows to the largest size asked so far.
    const bool kept = canvas.IsValid() && canvas.Bits() == 24;
    if (!kept || canvas.Width() < clientSize.width() || canvas.Height() < clientSize.height()) {
        const int w = kept ? std::max(canvas.Width(), clientSize.width()) : clientSize.width();
        const int h = kept ? std::max(canvas.Height(), clientSize.height()) : clientSize.height();
        if (canvas.Create(w, h, 24) == nullptr &&
            canvas.Create(clientSize.width(), clientSize.height(), 24) == nullptr)
            return false;
    }
    Surface s{canvas, clientSize.width(), clientSize.height()};
    const QRect client(QPoint(0, 0), clientSize);
    if (ParaGetInt(PARA_SHOW_BOOK) == 0) {
        FillSurface(s, client, PARA_TEXT_BG_IMAGE, PagePicture(), SettingColour(PARA_TEXT_BG_COLOR));
        return true;
    }
    const int cm = Margin(PARA_COVER_MARGIN);
    const int ml = Margin(PARA_MARGIN_LEFT);
    // The canvas starts uninitialised: any client pixel the book leaves free shows the desk.
    const QRect area = PageAreaRect(bookRect);
    if (!bookRect.contains(client))
        FillSurface(s, client, PARA_BACK_IMG, DeskPicture(), SettingColour(PARA_BACK_COLOR), bookRect);
    FillSurface(s, bookRect, PARA_COVER_IMAGE, CoverPicture(), SettingColour(PARA_COVER_COLOR), area);
    if (spread)
        DrawSpine(s, bookRect, cm, ml);
    DrawBevel(s, bookRect);
    if (area.width() > 0 && area.height() > 0)
        DrawPaper(s, area, bookRect, spread, cm, ml);
    return true;
}

void DrawPlainBackground(QImage& image, const QRect& bookRect, bool spread)
{
    if (image.isNull())
        return;
    QPainter painter(&image);
    if (ParaGetInt(PARA_SHOW_BOOK) == 0) {
        painter.fillRect(image.rect(), ToQColor(kWhite));
        return;
    }
    painter.fillRect(image.rect(), ToQColor(kBlack));
    painter.fillRect(bookRect, ToQColor(kNavy));
    const QRect area = PageAreaRect(bookRect);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    painter.fillRect(area, ToQColor(kWhite));
    if (spread)
        painter.fillRect(SeamBarRect(area), ToQColor(kBlack));
}

bool CanvasToScreen(const CxImage& canvas, QSize size, QImage& image)
{
    const int w = size.width();
    const int h = size.height();
    if (!canvas.IsValid() || canvas.Bits() != 24 || w <= 0 || h <= 0 || w > canvas.Width() ||
        h > canvas.Height() || image.size() != size || image.format() != QImage::Format_RGB32)
        return false;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = canvas.Row(h - 1 - y);
        auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        int x = RowToRgb32Fast(src, dst, w);
        src += static_cast<std::size_t>(x) * 3;
        // Blue, green, red in memory are a little-endian 0x??RRGGBB word: one load a pixel. The last
        // pixel of a row goes bytewise, as its word may reach past the block's end.
        for (; x < w - 1; ++x, src += 3) {
            std::uint32_t word;
            std::memcpy(&word, src, 4);
            dst[x] = 0xFF000000u | (qFromLittleEndian(word) & 0x00FFFFFFu);
        }
        dst[x] = 0xFF000000u | (std::uint32_t{src[2]} << 16) | (std::uint32_t{src[1]} << 8) | src[0];
    }
    return true;
}

QImage CanvasToScreenImage(const CxImage& canvas)
{
    if (!canvas.IsValid() || canvas.Bits() != 24)
        return {};
    QImage image(canvas.Width(), canvas.Height(), QImage::Format_RGB32);
    if (image.isNull() || !CanvasToScreen(canvas, image.size(), image))
        return {};
    return image;
}
