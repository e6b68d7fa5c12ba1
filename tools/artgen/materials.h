// The desk and cover materials and the page papers, painted procedurally and tileable.
#pragma once

#include <QImage>

// Entry `index` of the desk and cover list (0..16) at the given size.
QImage PaintDeskCover(int index, int width, int height);
// Entry `index` of the page list (0..29) at the given size; light enough for black text.
QImage PaintPage(int index, int width, int height);
