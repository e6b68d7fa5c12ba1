// The book's background: desk, cover, spine, bevel, paper, page edges and seam on a 24-bit canvas.
#pragma once

#include "images/cximage.h"

#include <QImage>
#include <QRect>
#include <QSize>

// Reloads the desk, cover, page and welcome pictures from the current settings.
void LoadBookPictures();

// The page area: the book rectangle shrunk by PARA_COVER_MARGIN on every side.
QRect PageAreaRect(const QRect& bookRect);

// The black seam bar of a spread over the page area: 4 pixels wide for an even width, 3 for an odd one.
QRect SeamBarRect(const QRect& pageArea);

// Composes the background of a client area of `clientSize` in the bottom-left part of `canvas` (stored
// rows 0..height-1), book rectangle and spread flag in client pixels with y down. A 24-bit canvas at
// least that large is reused as it stands; otherwise it is created, growing to the largest size asked
// so far. False when no canvas could be had; the canvas is then empty and DrawPlainBackground stands in.
bool DrawBookBackground(CxImage& canvas, QSize clientSize, const QRect& bookRect, bool spread);

// The fallback when no canvas can be had: navy book, white pages and the seam bar, or white when the
// book is not shown. Paints the whole image.
void DrawPlainBackground(QImage& image, const QRect& bookRect, bool spread);

// The client area of `size` held in the canvas, top-down into `image` (Format_RGB32 of that size).
// False, with the image untouched, when the sizes or formats do not fit.
bool CanvasToScreen(const CxImage& canvas, QSize size, QImage& image);

// The whole canvas top-down as an opaque 32-bit image (Format_RGB32). Null when the canvas is empty or
// the image cannot be allocated.
QImage CanvasToScreenImage(const CxImage& canvas);
