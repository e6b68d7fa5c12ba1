// Page composition for the reading view: the shared composer in the layout library does the work.
#include "views/readingrender.h"

#include "layout/readingcomposer.h"

QImage ComposeReadingView(QSize clientSize, const TextBuffer* buffer, QSize pageSize, bool spread, int page,
                          qreal devicePixelRatio)
{
    // Laid out in logical pixels, drawn at the screen's: a 200 % screen gets twice the pixels.
    QImage image = ComposeReadingPicture(clientSize, buffer, pageSize, spread, page, devicePixelRatio);
    if (image.isNull()) {
        image = QImage(clientSize.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        image.fill(Qt::black);
    }
    return image;
}
