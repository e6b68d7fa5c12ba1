// The picture of the reading view's client area, shared by the view, leafturner-cli and the page turns.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

class TextBuffer;

// How the reading view lays out a client area: the book rectangle, the page size and spread flag,
// and the page count after paginating `buffer` (0 without one).
struct ReadingLayout
{
    QRect bookRect;
    QSize pageSize{0, 0};
    bool spread = false;
    int pageCount = 0;
};
ReadingLayout LayOutReadingView(QSize clientSize, TextBuffer* buffer);

// Whether a client area of this size can be composed; larger areas are refused rather than risk
// exhausting memory.
bool IsComposableSize(QSize clientSize);

// The pixels a client area takes at `devicePixelRatio` (2 on a 200 % screen): whole pixels, enough
// to cover it.
QSize DevicePixelSize(QSize clientSize, qreal devicePixelRatio);

// The whole client area at `page` (already clamped): desk, book and text, or the welcome picture when
// there is no buffer. Format_RGB32, top-down. The background is kept between calls and reused while
// the size, the book settings and the pictures stay the same, so a page turn only draws text. Null
// when the size is refused or memory runs out. GUI thread (or one thread at a time).
// At a `devicePixelRatio` above 1 the picture has DevicePixelSize pixels and that ratio: the layout
// stays in client pixels, text and rules are drawn at the device's resolution.
QImage ComposeReadingPicture(QSize clientSize, const TextBuffer* buffer, QSize pageSize, bool spread,
                             int page, qreal devicePixelRatio = 1);

// The welcome picture centred on black (one row higher), or black when it is not loaded.
QImage ComposeWelcomePicture(QSize clientSize, qreal devicePixelRatio = 1);

// Drops the kept background (tests, and when memory is wanted back).
void ForgetComposedBackground();
