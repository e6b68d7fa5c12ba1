// What the display settings dialog offers and accepts, apart from its widgets: the colour schemes,
// the fonts to choose from, the single-page width's limits and which changes need a new layout.
#pragma once

#include "layout/bookface.h"
#include "settings/parablock.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// The built-in pictures the lists offer, and the font sizes in points.
constexpr int kDeskCoverPictures = 17;
constexpr int kPagePictures = 30;
constexpr int kFirstFontSize = 12;
constexpr int kLastFontSize = 100;

// A preset of text, page and ruled-line colours.
struct ColourScheme
{
    const char16_t* name;
    COLORREF text;
    COLORREF page;
    COLORREF line;
};
extern const std::array<ColourScheme, 11> kColourSchemes;

// Scalable families, each once: the faces for Chinese first, each group in case-blind order.
QList<FaceName> DisplayFontFaces();
// The face asked for by the settings; the default font's family when none is named.
QString CurrentFontFace();
// The first of `families` that starts with `face`, case-blind; -1 when none does or `face` is empty.
int FontFaceIndex(const QStringList& families, const QString& face);

// The warning for a single-page width below kMinSingleWidth or past the screen's; empty when it fits.
QString SingleWidthProblem(int width, int screenWidth);

// Whether going from `before` to `now` needs the pages laid out again.
bool NeedsNewLayout(const CParaBlock& before, const CParaBlock& now);
