// The seams between the reading view and the page renderer and page-turn player.
#pragma once

#include <QImage>
#include <QSize>
#include <functional>

class CLeafturnerView;
class TextBuffer;

// The client area of the reading view at `page`: the book on its desk with the text, or the welcome
// picture when there is no book.
QImage ComposeReadingView(QSize clientSize, const TextBuffer* buffer, QSize pageSize, bool spread, int page,
                          qreal devicePixelRatio);

// Plays the page turn from `from` to `to` (both already clamped and different), handing every frame
// to `show`, which must put it on the screen before returning.
void PlayReadingPageTurn(const CLeafturnerView& view, const TextBuffer& buffer, int from, int to,
                         const std::function<void(const QImage&)>& show);
