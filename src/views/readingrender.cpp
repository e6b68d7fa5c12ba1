// Page composition and page turns for the reading view (filled in by the renderer and animation).
#include "views/readingrender.h"

#include <QPainter>

QImage ComposeReadingView(QSize clientSize, const TextBuffer*, QSize, bool, int, qreal)
{
    QImage image(clientSize.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

void PlayReadingPageTurn(const CLeafturnerView&, const TextBuffer&, int, int,
                         const std::function<void(const QImage&)>&)
{
}
