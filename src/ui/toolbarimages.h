// Toolbar and menu images: the icon strip scaled, toned and flattened onto a background colour.
#pragma once

#include "settings/parablock.h"

#include <QList>
#include <QPixmap>
#include <QRgb>

class CxImage;

// Which image list a strip is made for.
enum class ToolbarImageKind
{
    Normal,
    Hot,      // darker: gamma 1.6
    Disabled, // gray, washed out: v * 0.45 + 104.5
};

// A strip ready to be cut into icons: opaque pixels, and the colour that stands for transparency.
struct ToolbarStrip
{
    QImage image; // top-down, Format_RGB32
    QRgb maskColour = 0;
};

// Runs the image-list steps on a copy of `source`: scale to (size * count) x size unless either
// side already fits, tone for `kind`, and blend the alpha plane (if any) against `background`.
// The mask colour is the top-left pixel of the result. A null image when `source` is empty.
ToolbarStrip MakeToolbarStrip(const CxImage& source, int size, int count, ToolbarImageKind kind,
                              COLORREF background);

// Cuts a strip into size x size cells; pixels of the mask colour become transparent.
QList<QPixmap> SplitToolbarStrip(const ToolbarStrip& strip, int size);

// A QColor-free COLORREF of a palette colour.
COLORREF ColourRefOf(const QColor& colour);
