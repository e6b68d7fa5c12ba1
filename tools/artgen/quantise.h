// Colour reduction for the 4-bit and 8-bit built-in pictures.
#pragma once

#include <QImage>

// A Format_Indexed8 copy with at most `colours` colours: median cut, refined by a few k-means passes,
// mapped with serpentine error diffusion (or nearest colour when `dither` is false).
QImage QuantiseImage(const QImage& image, int colours, bool dither = true);

// Maps onto a given colour table; pixels with alpha below 128 take `transparentIndex` when it is >= 0.
QImage MapToPalette(const QImage& image, const QList<QRgb>& table, bool dither, int transparentIndex = -1);
