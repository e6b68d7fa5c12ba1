// The toolbar icons: 32 images of 32x32 with alpha, in toolbar order.
#pragma once

#include <QImage>

inline constexpr int kIconCount = 32;

// Icon `index` (0 = open ... 31 = help) as Format_ARGB32.
QImage PaintIcon(int index);
// All of them side by side: 1024 x 32.
QImage PaintIconStrip();
