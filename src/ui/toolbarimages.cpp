// Toolbar and menu images: the icon strip's steps from picture to masked pixmaps.
#include "ui/toolbarimages.h"

#include "images/cximage.h"

#include <QColor>
#include <array>

ToolbarStrip MakeToolbarStrip(const CxImage& source, int size, int count, ToolbarImageKind kind,
                              COLORREF background)
{
    ToolbarStrip result;
    if (!source.IsValid() || size <= 0 || count <= 0)
        return result;
    CxImage image(source);
    if (image.Height() != size && image.Width() != size * count) {
        if (!image.ScaleDown(size * count, size))
            return result;
    }
    if (kind == ToolbarImageKind::Hot) {
        std::array<std::uint8_t, 256> lut;
        for (int v = 0; v < 256; ++v)
            lut[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v);
        CxImage::MakeGammaLut(160, lut);
        image.ApplyLut(lut);
    } else if (kind == ToolbarImageKind::Disabled) {
        std::array<std::uint8_t, 256> lut;
        CxImage::MakeDisabledLut(lut);
        if (image.HasAlpha()) {
            if (image.Bits() < 24)
                image.ToTrueColour();
            image.GrayInPlace();
            image.ApplyLut(lut);
        } else {
            image.ToGrayScale();
            image.ApplyLut(lut);
            image.ToTrueColour();
        }
    }
    if (image.HasAlpha()) {
        image.SetBackground(background);
        if (!image.BlendAlpha())
            return result;
    }
    const QImage platform = image.ToPlatformBitmap();
    if (platform.isNull())
        return result;
    result.image = platform.convertToFormat(QImage::Format_RGB32);
    const RgbQuad topLeft = image.PixelAt(0, image.Height() - 1);
    result.maskColour = qRgb(topLeft.red, topLeft.green, topLeft.blue);
    return result;
}

QList<QPixmap> SplitToolbarStrip(const ToolbarStrip& strip, int size)
{
    QList<QPixmap> cells;
    if (strip.image.isNull() || size <= 0)
        return cells;
    const int count = strip.image.width() / size;
    const QRgb mask = strip.maskColour & 0xFFFFFF;
    for (int i = 0; i < count; ++i) {
        QImage cell = strip.image.copy(i * size, 0, size, size).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < cell.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(cell.scanLine(y));
            for (int x = 0; x < cell.width(); ++x) {
                if ((row[x] & 0xFFFFFF) == mask)
                    row[x] = 0;
            }
        }
        cells.append(QPixmap::fromImage(cell));
    }
    return cells;
}

COLORREF ColourRefOf(const QColor& colour)
{
    return RGBRef(colour.red(), colour.green(), colour.blue());
}
