// The reading view's page-turn player: frames from the layout library, shown one by one and paced.
#include "views/readingrender.h"

#include "layout/pageturnanimation.h"
#include "views/leafturnerview.h"

#include <QThread>

void PlayReadingPageTurn(const CLeafturnerView& view, const TextBuffer& buffer, int from, int to,
                         const std::function<void(const QImage&)>& show)
{
    const QRect client(QPoint(0, 0), view.viewport()->size());
    const PageTurnAnimation turn = PageTurnAnimation::Prepare(&buffer, from, to, view.IsSpread(), client);
    if (!turn.Plays() || !show)
        return;
    const QImage before = view.ComposePage(turn.FromPage());
    const QImage after = view.ComposePage(turn.ToPage());
    const qreal ratio = before.devicePixelRatio();

    // The user-interface thread stays busy for the whole turn, as designed: no events are handled
    // between frames, and `show` repaints so every frame reaches the screen before the sleep.
    // Frames go out as views of the generator's picture, since a copy kept by the view would make
    // the next frame duplicate the whole picture before drawing on it.
    QImage last;
    const int frames = turn.Run(
        before, after,
        [&](const QImage& frame, int delayMs) {
            QImage shown(frame.constBits(), frame.width(), frame.height(), frame.bytesPerLine(),
                         frame.format());
            shown.setDevicePixelRatio(ratio);
            show(shown);
            QThread::msleep(static_cast<unsigned long>(delayMs));
            return true;
        },
        &last);
    // The view ends up holding the picture itself rather than a view of it.
    if (frames > 0 && !last.isNull()) {
        last.setDevicePixelRatio(ratio);
        show(last);
    }
}
