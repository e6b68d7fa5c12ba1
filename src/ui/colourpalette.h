// The picker's fixed 40-colour palette, the automatic colour and COLORREF/QColor conversions.
#pragma once

#include "settings/parablock.h"

#include <QColor>
#include <QString>
#include <array>

// Stands for "no explicit colour": the owner paints its default colour instead.
constexpr COLORREF kAutomaticColour = 0xFF000000;

struct ColourPaletteEntry
{
    COLORREF colour;
    const char* name; // the cell's tooltip
};

// Row by row, 8 per row. The values are deliberately not the web colours of the same names.
inline constexpr std::array<ColourPaletteEntry, 40> kColourPalette = {{
    {RGBRef(0, 0, 0), "Black"},
    {RGBRef(165, 42, 0), "Brown"},
    {RGBRef(0, 64, 64), "Dark Olive Green"},
    {RGBRef(0, 85, 0), "Dark Green"},
    {RGBRef(0, 0, 94), "Dark Teal"},
    {RGBRef(0, 0, 139), "Dark blue"},
    {RGBRef(75, 0, 130), "Indigo"},
    {RGBRef(40, 40, 40), "Dark grey"},
    {RGBRef(139, 0, 0), "Dark red"},
    {RGBRef(255, 104, 32), "Orange"},
    {RGBRef(139, 139, 0), "Dark yellow"},
    {RGBRef(0, 147, 0), "Green"},
    {RGBRef(56, 142, 142), "Teal"},
    {RGBRef(0, 0, 255), "Blue"},
    {RGBRef(123, 123, 192), "Blue-grey"},
    {RGBRef(102, 102, 102), "Grey - 40"},
    {RGBRef(255, 0, 0), "Red"},
    {RGBRef(255, 173, 91), "Light orange"},
    {RGBRef(50, 205, 50), "Lime"},
    {RGBRef(60, 179, 113), "Sea green"},
    {RGBRef(127, 255, 212), "Aqua"},
    {RGBRef(125, 158, 192), "Light blue"},
    {RGBRef(128, 0, 128), "Violet"},
    {RGBRef(127, 127, 127), "Grey - 50"},
    {RGBRef(255, 192, 203), "Pink"},
    {RGBRef(255, 215, 0), "Gold"},
    {RGBRef(255, 255, 0), "Yellow"},
    {RGBRef(0, 255, 0), "Bright green"},
    {RGBRef(64, 224, 208), "Turquoise"},
    {RGBRef(192, 255, 255), "Skyblue"},
    {RGBRef(72, 0, 72), "Plum"},
    {RGBRef(192, 192, 192), "Light grey"},
    {RGBRef(255, 228, 225), "Rose"},
    {RGBRef(210, 180, 140), "Tan"},
    {RGBRef(255, 255, 224), "Light yellow"},
    {RGBRef(152, 251, 152), "Pale green "},
    {RGBRef(175, 238, 238), "Pale turquoise"},
    {RGBRef(104, 131, 139), "Pale blue"},
    {RGBRef(230, 230, 250), "Lavender"},
    {RGBRef(255, 255, 255), "White"},
}};

constexpr int kColourPaletteSize = static_cast<int>(kColourPalette.size());

// The first palette index holding `colour`, or -1.
constexpr int PaletteIndexOf(COLORREF colour)
{
    for (int i = 0; i < kColourPaletteSize; ++i) {
        if (kColourPalette[static_cast<std::size_t>(i)].colour == colour)
            return i;
    }
    return -1;
}

inline QColor QColorFromRef(COLORREF c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

inline COLORREF RefFromQColor(const QColor& c)
{
    return RGBRef(c.red(), c.green(), c.blue());
}
