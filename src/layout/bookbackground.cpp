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

int Modulo(int value, int divisor)
{
    const int m = value % divisor;
    return m < 0 ? m + divisor : m;
}

// Tiles over stored rectangle `r` in the phase a TileImage call starting at stored (ox, oy) would have.
void TilePhased(CxImage& canvas, const CxImage& picture, const ImageRect& r, int ox, int oy)
{
    const ImageRect c{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, canvas.Width()),
                      std::min(r.bottom, canvas.Height())};
    if (c.left >= c.right || c.top >= c.bottom)
        return;
    const int pw = picture.Width();
    const int ph = picture.Height();
    const std::size_t bytes = static_cast<std::size_t>(c.right - c.left) * 3;
    for (int y = c.top; y < c.bottom; ++y) {
        if (y - c.top >= ph) {
            // One picture height down the rows repeat: one long copy instead of a run per tile.
            std::memcpy(canvas.Row(y) + static_cast<std::size_t>(c.left) * 3,
                        canvas.Row(y - ph) + static_cast<std::size_t>(c.left) * 3, bytes);
            continue;
        }
        const std::uint8_t* src = picture.Row(Modulo(y - oy, ph));
        std::uint8_t* dst = canvas.Row(y) + static_cast<std::size_t>(c.left) * 3;
        int sx = Modulo(c.left - ox, pw);
        for (int x = c.left; x < c.right;) {
            const int run = std::min(pw - sx, c.right - x);
            std::memcpy(dst, src + static_cast<std::size_t>(sx) * 3, static_cast<std::size_t>(run) * 3);
            dst += static_cast<std::size_t>(run) * 3;
            x += run;
            sx = 0;
        }
    }
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
            TilePhased(s.canvas, *picture, whole, ox, oy);
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
            TilePhased(s.canvas, *picture, band, ox, oy);
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

void PutPixels(std::uint8_t* row, int from, int to, COLORREF colour)
{
    std::uint8_t* p = row + static_cast<std::size_t>(from) * 3;
    for (int x = from; x < to; ++x, p += 3) {
        p[0] = static_cast<std::uint8_t>(BlueOf(colour));
        p[1] = static_cast<std::uint8_t>(GreenOf(colour));
        p[2] = static_cast<std::uint8_t>(RedOf(colour));
    }
}

// Paper, page edges and seam, a row at a time: each row is finished while it is in the cache, where
// a pass per step would fetch the whole page area from memory again for a few columns.
void DrawPaper(Surface& s, const QRect& area, const QRect& book, bool spread, int coverMargin, int marginLeft)
{
    const ImageRect rows = Stored(s, area);
    if (rows.left >= rows.right)
        return;
    const CxImage* picture = PagePicture();
    const bool tiled = ParaGetInt(PARA_TEXT_BG_IMAGE) >= 0 && picture != nullptr && picture->IsValid() &&
                       picture->Bits() == 24;
    const COLORREF edge = SettingColour(PARA_COLOR_PAGE_EDGE);
    const std::size_t bytes = static_cast<std::size_t>(rows.right - rows.left) * 3;
    std::vector<std::uint8_t> plain;
    if (!tiled) {
        plain.resize(bytes);
        PutPixels(plain.data(), 0, rows.right - rows.left, SettingColour(PARA_TEXT_BG_COLOR));
    }
    // The outline and the lines 2 and 4 pixels inside it; left out when a negative cover margin puts
    // the page area past the client.
    const int pl = area.left();
    const int pr = area.left() + area.width() - 1;
    const bool edges = pl >= 0 && area.top() >= 0 && pr < s.width && area.top() + area.height() <= s.height;
    const int firstRow = StoredRow(s, area.top() + area.height() - 1);
    const int lastRow = StoredRow(s, area.top());
    const int middle = spread ? ParaGetInt(PARA_PAGE_MIDDLE) : 0;
    const std::vector<SeamColumn> shadow =
        middle == 1 ? ShadowColumns(s, book, coverMargin, marginLeft) : std::vector<SeamColumn>();
    const ImageRect bar = middle == 2 ? Stored(s, SeamBarRect(area)) : ImageRect{};

    // Away from the outline every row repeats the one a picture height above (the paper, the lines and
    // the seam are the same down the page), so only the first picture height of rows is worked out and
    // the rest are single long copies: the page area is most of the canvas.
    const int left = rows.left;
    const int period = tiled ? picture->Height() : 1;
    auto outline = [&](int y) { return edges && (y == firstRow || y == lastRow); };
    for (int y = rows.top; y < rows.bottom; ++y) {
        std::uint8_t* row = s.canvas.Row(y);
        if (y - period >= rows.top && !outline(y) && !outline(y - period)) {
            std::memcpy(row + static_cast<std::size_t>(left) * 3,
                        s.canvas.Row(y - period) + static_cast<std::size_t>(left) * 3, bytes);
            continue;
        }
        if (tiled) {
            // The phase of TileImage over the clipped page area.
            const int pw = picture->Width();
            const std::uint8_t* src = picture->Row(Modulo(y - rows.top, picture->Height()));
            std::uint8_t* dst = row + static_cast<std::size_t>(left) * 3;
            for (int x = left, sx = 0; x < rows.right; sx = 0) {
                const int run = std::min(pw - sx, rows.right - x);
                std::memcpy(dst, src + static_cast<std::size_t>(sx) * 3, static_cast<std::size_t>(run) * 3);
                dst += static_cast<std::size_t>(run) * 3;
                x += run;
            }
        } else {
            std::memcpy(row + static_cast<std::size_t>(left) * 3, plain.data(), bytes);
        }
        if (edges) {
            if (outline(y)) {
                PutPixels(row, pl, pr + 1, edge);
            } else {
                for (const int x : {pl, pl + 2, pl + 4, pr - 4, pr - 2, pr})
                    if (x >= pl && x <= pr)
                        PutPixels(row, x, x + 1, edge);
            }
        }
        for (const SeamColumn& c : shadow) {
            std::uint8_t* p = row + static_cast<std::size_t>(c.x) * 3;
            const std::uint8_t b = c.table[p[0]];
            const std::uint8_t g = c.table[p[1]];
            const std::uint8_t r = c.table[p[2]];
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
        if (y >= bar.top && y < bar.bottom)
            PutPixels(row, bar.left, bar.right, kBlack);
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
