// The pixel rows of the 32-bit pictures that page-turn frames are made of, shared by the canvas's
// files.
#pragma once

#include <QImage>
#include <cstdint>

namespace PageTurnPixels {

using Pixel = std::uint32_t;

inline const Pixel* ConstRow(const QImage& image, int y)
{
    return reinterpret_cast<const Pixel*>(image.constBits() +
                                          static_cast<qsizetype>(y) * image.bytesPerLine());
}

inline Pixel* Row(uchar* bits, qsizetype bytesPerLine, int y)
{
    return reinterpret_cast<Pixel*>(bits + y * bytesPerLine);
}

// A source the canvas can read: a Format_RGB32 picture of the frame's size.
inline bool Usable(const QImage& source, const QImage& frame)
{
    return !frame.isNull() && source.format() == QImage::Format_RGB32 && source.size() == frame.size();
}

} // namespace PageTurnPixels
