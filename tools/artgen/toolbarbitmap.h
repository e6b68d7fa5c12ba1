// The 16-colour toolbar bitmap: the icons again at 16x15 over a magenta mask colour.
#pragma once

#include <QImage>

// 512 x 15, Format_Indexed8 with 16 colours: 15 chosen for the icons, magenta (index 15) marks
// transparency.
QImage PaintToolbarBitmap(const QImage& iconStrip);
