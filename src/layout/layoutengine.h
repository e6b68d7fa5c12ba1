// The page engine that TextBuffer forwards pagination and page drawing to.
#pragma once

#include "document/textbuffer.h"

// Paginates with TheTextMetrics() and the writing direction of the settings; draws pages with
// ThePageRenderer(), which cuts lines with the same CutLine (linecutter.h).
class LayoutEngine : public PageEngine
{
public:
    int Paginate(TextBuffer& buffer, QSize pageSize) override;
    int DrawPage(const TextBuffer& buffer, int page, QPainter& painter, const QRect& rect,
                 int numberPlace) override;
};

// Installs the process-wide LayoutEngine in TextBuffer; the reader and leafturner-cli call it at
// start-up. Safe to call more than once.
void InstallLayoutEngine();

// Lines per page and line length for a page size: in vertical writing lines are columns that run
// along the page height.
struct PageGrid
{
    int lines = 0;
    int lineLength = 0;
};
PageGrid PageGridFor(QSize pageSize, int pitch, bool vertical);
