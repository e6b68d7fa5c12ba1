// MaskBlender: glyph masks blended straight into a 32-bit image in one colour, row by row.
#pragma once

#include "layout/glyphmaskcache.h"

#include <QRgb>
#include <vector>

class QImage;

class MaskBlender
{
public:
    // Starts a blend into `image`, which must be Format_RGB32 or Format_ARGB32_Premultiplied and
    // outlive the blend.
    void Begin(QImage& image);
    // A mask with its top-left corner at device pixel (x, y); left out when it misses the image.
    void Place(int x, int y, const GlyphMask& mask);
    // Blends every placed mask in the opaque `colour` and ends the blend.
    void Blend(QRgb colour);

private:
    struct Placed
    {
        int x;
        int y;
        const GlyphMask* mask;
    };

    QImage* m_image = nullptr;
    std::vector<Placed> m_placed;
    std::vector<const Placed*> m_active;
};
