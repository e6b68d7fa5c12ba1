// The page-turn player of the reading view (the animation frames come from the layout library).
#include "views/readingrender.h"

void PlayReadingPageTurn(const CLeafturnerView&, const TextBuffer&, int, int, const std::function<void(const QImage&)>&)
{
}
