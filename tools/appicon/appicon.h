// The application icon: an open book with a ribbon on a leather tile.
#pragma once

#include <QImage>

// The icon at `size` x `size` pixels, Format_ARGB32_Premultiplied.
QImage PaintAppIcon(int size);
