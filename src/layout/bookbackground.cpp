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

// Screen rectangle (y down, right and bottom exclusive) in the stored rows of the canvas.
ImageRect Stored(const CxImage& canvas, int left, int top, int right, int bottom)
{
    return ScreenToStored(canvas, ImageRect{left, top, right, bottom});
}

ImageRect Stored(const CxImage& canvas, const QRect& r)
{
    return ScreenToStored(canvas, ImageRect::FromQRect(r));
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
void FillSurface(CxImage& canvas, const QRect& outer, int imageSetting, const CxImage* picture,
                 COLORREF colour, const QRect& hole = QRect())
{
    const bool tiled =
        ParaGetInt(imageSetting) >= 0 && picture != nullptr && picture->IsValid() && picture->Bits() == 24;
    const bool ring = !hole.isEmpty() && outer.contains(hole);
    // TileImage's phase starts at the clipped rectangle's left column and first stored row.
    const ImageRect whole = Stored(canvas, outer);
    const int ox = std::max(whole.left, 0);
    const int oy = std::max(whole.top, 0);
    if (!ring) {
        if (tiled)
            TilePhased(canvas, *picture, whole, ox, oy);
        else
            FillImageRect(canvas, whole, colour);
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
    const ImageRect bands[] = {Stored(canvas, l, t, r, ht), Stored(canvas, l, hb, r, b),
                               Stored(canvas, l, ht, hl, hb), Stored(canvas, hr, ht, r, hb)};
    for (const ImageRect& band : bands) {
        if (band.left >= band.right || band.top >= band.bottom)
            continue;
        if (tiled)
            TilePhased(canvas, *picture, band, ox, oy);
        else
            FillImageRect(canvas, band, colour);
    }
}

void Shade(CxImage& canvas, int left, int top, int right, int bottom, int percent)
{
    if (left < right && top < bottom)
        ShadeImageRect(canvas, Stored(canvas, left, top, right, bottom), percent);
}

void DrawSpine(CxImage& canvas, const QRect& book, int coverMargin, int marginLeft)
{
    const int l = book.left();
    const int t = book.top();
    const int b = book.top() + book.height();
    const int half = book.width() / 2;
    const int s0 = l + half - marginLeft;
    const int s1 = l + half + marginLeft;
    Shade(canvas, s0, t, s1, t + coverMargin, 70);
    Shade(canvas, s0, b - coverMargin, s1, b, 70);
    // The outer ten columns of the strip go darker still, so the spine looks rounded.
    for (const auto& [top, bottom] : {std::pair{b - coverMargin, b}, std::pair{t, t + coverMargin}}) {
        Shade(canvas, s0, top, std::min(s0 + 10, s1), bottom, 60);
        Shade(canvas, std::max(s1 - 10, s0), top, s1, bottom, 60);
    }
}

void DrawBevel(CxImage& canvas, const QRect& book)
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
        Shade(canvas, l + d, t + d, l + d + 2, b - d, kPercent[i]);
        Shade(canvas, r - d - 2, t + d, r - d, b - d, kPercent[i]);
        // Top and bottom stop at the side strips so the corners are darkened once, like the edges.
        Shade(canvas, l + d + 2, t + d, r - d - 2, t + d + 2, kPercent[i]);
        Shade(canvas, l + d + 2, b - d - 2, r - d - 2, b - d, kPercent[i]);
    }
}

void DrawPageEdges(CxImage& canvas, const QRect& area)
{
    if (area.width() <= 0 || area.height() <= 0)
        return;
    const COLORREF edge = SettingColour(PARA_COLOR_PAGE_EDGE);
    const int pl = area.left();
    const int pr = area.left() + area.width() - 1; // the last column
    const int pt = area.top();
    const int pb = area.top() + area.height() - 1; // the last row
    // The outline takes both end rows, so stored top is the screen's last row.
    FrameImageRect(canvas, ImageRect{pl, ScreenRowToStored(canvas, pb), pr, ScreenRowToStored(canvas, pt)},
                   edge);
    const ImageRect rows = Stored(canvas, area);
    for (const int x : {pl + 2, pl + 4, pr - 2, pr - 4})
        if (x > pl && x < pr)
            DrawImageVLine(canvas, x, rows.top, rows.bottom, edge);
}

// Every channel of a column multiplied by a factor; whole rows are walked once for all columns.
void DrawShadowSeam(CxImage& canvas, const QRect& book, const QRect& area, int coverMargin, int marginLeft)
{
    if (marginLeft <= 0)
        return;
    const int d = marginLeft - coverMargin;
    const int n = d - 5;
    if (n <= 0)
        return;
    const int centre = book.left() + book.width() / 2;
    const int width = canvas.Width();
    struct Column
    {
        int x;
        std::array<std::uint8_t, 256> table;
    };
    std::vector<Column> columns;
    columns.reserve(static_cast<std::size_t>(2 * std::min(n, width)));
    for (int k = 0; k < n; ++k) {
        const long long left = static_cast<long long>(centre) - n + k;
        const long long right = static_cast<long long>(centre) + d - 6 - k;
        const bool leftOn = left >= 0 && left < width;
        const bool rightOn = right >= 0 && right < width;
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
    if (columns.empty())
        return;
    const ImageRect rows = Stored(canvas, area);
    const int y0 = std::max(rows.top, 0);
    const int y1 = std::min(rows.bottom, canvas.Height());
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* row = canvas.Row(y);
        for (const Column& c : columns) {
            // All three loads before the stores: the compiler cannot tell the table from the row.
            std::uint8_t* p = row + static_cast<std::size_t>(c.x) * 3;
            const std::uint8_t b = p[0];
            const std::uint8_t g = p[1];
            const std::uint8_t r = p[2];
            p[0] = c.table[b];
            p[1] = c.table[g];
            p[2] = c.table[r];
        }
    }
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
    // A canvas of the right size is painted over whole, so a kept one is reused without a new block.
    const bool reusable = canvas.IsValid() && canvas.Bits() == 24 && canvas.Width() == clientSize.width() &&
                          canvas.Height() == clientSize.height();
    if (!reusable && canvas.Create(clientSize.width(), clientSize.height(), 24) == nullptr)
        return false;
    const QRect client(QPoint(0, 0), clientSize);
    if (ParaGetInt(PARA_SHOW_BOOK) == 0) {
        FillSurface(canvas, client, PARA_TEXT_BG_IMAGE, PagePicture(), SettingColour(PARA_TEXT_BG_COLOR));
        return true;
    }
    const int cm = Margin(PARA_COVER_MARGIN);
    const int ml = Margin(PARA_MARGIN_LEFT);
    // The canvas starts uninitialised: any client pixel the book leaves free shows the desk.
    const QRect area = PageAreaRect(bookRect);
    if (!bookRect.contains(client))
        FillSurface(canvas, client, PARA_BACK_IMG, DeskPicture(), SettingColour(PARA_BACK_COLOR), bookRect);
    FillSurface(canvas, bookRect, PARA_COVER_IMAGE, CoverPicture(), SettingColour(PARA_COVER_COLOR), area);
    if (spread)
        DrawSpine(canvas, bookRect, cm, ml);
    DrawBevel(canvas, bookRect);
    if (area.width() > 0 && area.height() > 0) {
        FillSurface(canvas, area, PARA_TEXT_BG_IMAGE, PagePicture(), SettingColour(PARA_TEXT_BG_COLOR));
        DrawPageEdges(canvas, area);
        if (spread) {
            switch (ParaGetInt(PARA_PAGE_MIDDLE)) {
            case 1:
                DrawShadowSeam(canvas, bookRect, area, cm, ml);
                break;
            case 2:
                FillImageRect(canvas, Stored(canvas, SeamBarRect(area)), kBlack);
                break;
            default:
                break;
            }
        }
    }
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

QImage CanvasToScreenImage(const CxImage& canvas)
{
    if (!canvas.IsValid() || canvas.Bits() != 24)
        return {};
    const int w = canvas.Width();
    const int h = canvas.Height();
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = canvas.Row(h - 1 - y);
        auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        // Blue, green, red in memory are a little-endian 0x??RRGGBB word: one load a pixel. The last
        // pixel of a row is read bytewise, as its word would reach past the block's end.
        int x = 0;
        for (; x < w - 1; ++x, src += 3) {
            std::uint32_t word;
            std::memcpy(&word, src, 4);
            dst[x] = 0xFF000000u | (qFromLittleEndian(word) & 0x00FFFFFFu);
        }
        dst[x] = 0xFF000000u | (std::uint32_t{src[2]} << 16) | (std::uint32_t{src[1]} << 8) | src[0];
    }
    return image;
}
