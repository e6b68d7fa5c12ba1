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
    ImageRect c;
    if (!Clip(canvas, rect, c))
        return;
    std::uint8_t table[256];
    for (int v = 0; v < 256; ++v)
        table[v] = static_cast<std::uint8_t>(
            std::clamp<long long>(static_cast<long long>(v) * percent / 100, 0, 255));
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
    if (!IsCanvas(picture) || !Clip(canvas, rect, c))
        return;
    const int pw = picture.Width();
    const int ph = picture.Height();
    for (int j = 0; j < c.Height(); ++j) {
        const std::uint8_t* src = picture.Row(j % ph);
        std::uint8_t* dst = canvas.Row(c.top + j) + static_cast<std::size_t>(c.left) * 3;
        for (int i = 0; i < c.Width(); i += pw) {
            const int run = std::min(pw, c.Width() - i);
            std::memcpy(dst + static_cast<std::size_t>(i) * 3, src, static_cast<std::size_t>(run) * 3);
        }
    }
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
