// Canvas primitives: direct byte writes into the rows of a 24-bit CxImage.
#include "images/canvas.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsCanvas(const CxImage& canvas)
{
    return canvas.IsValid() && canvas.Bits() == 24;
}

// The shared clipping rule: false when nothing is left to draw.
bool Clip(const CxImage& canvas, const ImageRect& r, ImageRect& out)
{
    if (!IsCanvas(canvas))
        return false;
    const int w = canvas.Width();
    const int h = canvas.Height();
    if (r.bottom < 0 || r.top > h || r.right < 0 || r.left > w)
        return false;
    out = {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, w), std::min(r.bottom, h)};
    return out.left < out.right && out.top < out.bottom;
}

void FillRow(std::uint8_t* p, int count, COLORREF colour)
{
    const auto b = static_cast<std::uint8_t>(BlueOf(colour));
    const auto g = static_cast<std::uint8_t>(GreenOf(colour));
    const auto r = static_cast<std::uint8_t>(RedOf(colour));
    for (int i = 0; i < count; ++i, p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
}

int Modulo(int value, int divisor)
{
    const int m = value % divisor;
    return m < 0 ? m + divisor : m;
}

void FillClipped(CxImage& canvas, const ImageRect& c, COLORREF colour)
{
    const std::size_t bytes = static_cast<std::size_t>(c.Width()) * 3;
    std::uint8_t* first = canvas.Row(c.top) + static_cast<std::size_t>(c.left) * 3;
    FillRow(first, c.Width(), colour);
    for (int y = c.top + 1; y < c.bottom; ++y)
        std::memcpy(canvas.Row(y) + static_cast<std::size_t>(c.left) * 3, first, bytes);
}

} // namespace

void FillImageRect(CxImage& canvas, const ImageRect& rect, COLORREF colour)
{
    ImageRect c;
    if (Clip(canvas, rect, c))
        FillClipped(canvas, c, colour);
}

void ShadeImageRect(CxImage& canvas, const ImageRect& rect, int percent)
{
    std::array<std::uint8_t, 256> table;
    for (int v = 0; v < 256; ++v)
        table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(
            std::clamp<long long>(static_cast<long long>(v) * percent / 100, 0, 255));
    MapImageRect(canvas, rect, table);
}

void MapImageRect(CxImage& canvas, const ImageRect& rect, const std::array<std::uint8_t, 256>& table)
{
    ImageRect c;
    if (!Clip(canvas, rect, c))
        return;
    const std::size_t bytes = static_cast<std::size_t>(c.Width()) * 3;
    for (int y = c.top; y < c.bottom; ++y) {
        std::uint8_t* p = canvas.Row(y) + static_cast<std::size_t>(c.left) * 3;
        for (std::size_t i = 0; i < bytes; ++i)
            p[i] = table[p[i]];
    }
}

void TileImage(CxImage& canvas, const CxImage& picture, const ImageRect& rect)
{
    ImageRect c;
    if (Clip(canvas, rect, c))
        TileImage(canvas, picture, c, c.left, c.top);
}

void TileImage(CxImage& canvas, const CxImage& picture, const ImageRect& rect, int originX, int originY)
{
    ImageRect c;
    if (!IsCanvas(picture) || !Clip(canvas, rect, c))
        return;
    const int pw = picture.Width();
    const int ph = picture.Height();
    const int rows = std::min(c.Height(), ph);
    for (int y = c.top; y < c.top + rows; ++y) {
        const std::uint8_t* src = picture.Row(Modulo(y - originY, ph));
        std::uint8_t* dst = canvas.Row(y) + static_cast<std::size_t>(c.left) * 3;
        int sx = Modulo(c.left - originX, pw);
        for (int x = c.left; x < c.right;) {
            const int run = std::min(pw - sx, c.right - x);
            std::memcpy(dst, src + static_cast<std::size_t>(sx) * 3, static_cast<std::size_t>(run) * 3);
            dst += static_cast<std::size_t>(run) * 3;
            x += run;
            sx = 0;
        }
    }
    // One picture height on the rows repeat: one long copy a row instead of a run per tile.
    RepeatImageRows(canvas, c, ph);
}

void RepeatImageRows(CxImage& canvas, const ImageRect& rect, int period)
{
    ImageRect c;
    if (period <= 0 || !Clip(canvas, rect, c))
        return;
    const std::size_t offset = static_cast<std::size_t>(c.left) * 3;
    const std::size_t bytes = static_cast<std::size_t>(c.Width()) * 3;
    for (int y = c.top + period; y < c.bottom; ++y)
        std::memcpy(canvas.Row(y) + offset, canvas.Row(y - period) + offset, bytes);
}

void FrameImageRect(CxImage& canvas, const ImageRect& rect, COLORREF colour)
{
    if (!IsCanvas(canvas))
        return;
    const int w = canvas.Width();
    const int h = canvas.Height();
    const int x0 = std::max(rect.left, 0);
    const int x1 = std::min(rect.right, w);
    for (const int y : {rect.top, rect.bottom}) {
        if (y >= 0 && y < h && x0 < x1)
            FillRow(canvas.Row(y) + static_cast<std::size_t>(x0) * 3, x1 - x0, colour);
    }
    DrawImageVLine(canvas, rect.left, rect.top, rect.bottom, colour);
    DrawImageVLine(canvas, rect.right, rect.top, rect.bottom, colour);
}

void DrawImageVLine(CxImage& canvas, int x, int top, int bottom, COLORREF colour)
{
    if (!IsCanvas(canvas) || x < 0 || x >= canvas.Width())
        return;
    const int y1 = std::min(bottom, canvas.Height());
    for (int y = std::max(top, 0); y < y1; ++y)
        FillRow(canvas.Row(y) + static_cast<std::size_t>(x) * 3, 1, colour);
}

ImageRect ScreenToStored(const CxImage& canvas, const ImageRect& screen)
{
    const int h = canvas.Height();
    return {screen.left, h - screen.bottom, screen.right, h - screen.top};
}

QImage CanvasRowsImage(CxImage& canvas)
{
    if (!IsCanvas(canvas))
        return {};
    return QImage(canvas.Row(0), canvas.Width(), canvas.Height(), static_cast<qsizetype>(canvas.Stride()),
                  QImage::Format_BGR888);
}

QTransform CanvasScreenTransform(const CxImage& canvas)
{
    return QTransform(1, 0, 0, -1, 0, canvas.Height());
}
