// The splash picture shown while the reader starts.
#pragma once

#include <QImage>

QImage PaintSplash(int width, int height);
