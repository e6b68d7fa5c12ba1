// Drawing steps on a 24-bit CxImage canvas, and helpers between screen and stored coordinates.
#pragma once

#include "images/cximage.h"
#include "settings/parablock.h"

#include <QImage>
#include <QRect>
#include <QTransform>
#include <array>
#include <cstdint>

// Left, top, right, bottom; right and bottom are exclusive. For the canvas primitives y indexes
// STORED rows (row 0 = the bottom row on screen); use ScreenToStored for screen rectangles.
struct ImageRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    static ImageRect FromQRect(const QRect& r)
    {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    friend bool operator==(const ImageRect&, const ImageRect&) = default;
};

// Every primitive clips to the canvas, does nothing on an empty canvas and works on 24-bit canvases only.
// Colours are COLORREF (0x00BBGGRR).
void FillImageRect(CxImage& canvas, const ImageRect& rect, COLORREF colour);
// Every channel becomes channel * percent / 100 (capped at 255).
void ShadeImageRect(CxImage& canvas, const ImageRect& rect, int percent);
// Every channel value v becomes table[v].
void MapImageRect(CxImage& canvas, const ImageRect& rect, const std::array<std::uint8_t, 256>& table);
// Repeats a 24-bit picture from the rectangle's first stored row and left column: upright on screen,
// repeating rightward and upward from the bottom-left corner.
void TileImage(CxImage& canvas, const CxImage& picture, const ImageRect& rect);
// The same with the picture's first pixel at stored (originX, originY), so that pieces of one surface
// tiled apart join up.
void TileImage(CxImage& canvas, const CxImage& picture, const ImageRect& rect, int originX, int originY);
// Rows of the rectangle from its first row + period on become copies of the row `period` below them:
// a band worked out once repeated over the rest.
void RepeatImageRows(CxImage& canvas, const ImageRect& rect, int period);
// Rows top and bottom over columns left..right-1, columns left and right over rows top..bottom-1:
// the outline includes the right column and the bottom row but not pixel (right, bottom).
void FrameImageRect(CxImage& canvas, const ImageRect& rect, COLORREF colour);
// Column x, rows top..bottom-1.
void DrawImageVLine(CxImage& canvas, int x, int top, int bottom, COLORREF colour);

// The stored-row rectangle that covers the same pixels as `screen` (row 0 = top) on this canvas.
ImageRect ScreenToStored(const CxImage& canvas, const ImageRect& screen);
// The stored row of screen row y (and back: the mapping is its own inverse).
inline int ScreenRowToStored(const CxImage& canvas, int y)
{
    return canvas.Height() - 1 - y;
}

// A QImage sharing the 24-bit canvas's memory, rows in STORED order (upside down on screen). Paint on
// it with CanvasScreenTransform set on the painter to use screen coordinates. Null unless 24-bit.
QImage CanvasRowsImage(CxImage& canvas);
QTransform CanvasScreenTransform(const CxImage& canvas);
