// Page composition for the reading view: the shared composer in the layout library does the work.
#include "views/readingrender.h"

#include "layout/readingcomposer.h"

QImage ComposeReadingView(QSize clientSize, const TextBuffer* buffer, QSize pageSize, bool spread, int page,
                          qreal)
{
    // Composed in logical pixels, as the book geometry is; a high-density screen scales the picture.
    QImage image = ComposeReadingPicture(clientSize, buffer, pageSize, spread, page);
    if (image.isNull()) {
        image = QImage(clientSize.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        image.fill(Qt::black);
    }
    return image;
}
