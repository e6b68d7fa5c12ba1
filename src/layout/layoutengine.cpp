// LayoutEngine: TextBuffer's pagination through the shared line cutter.
#include "layout/layoutengine.h"

#include "layout/linecutter.h"
#include "layout/pagerenderer.h"
#include "layout/textmetrics.h"
#include "settings/parablock.h"

PageGrid PageGridFor(QSize pageSize, int pitch, bool vertical)
{
    PageGrid grid;
    if (pitch <= 0)
        return grid;
    grid.lines = (vertical ? pageSize.width() : pageSize.height()) / pitch;
    grid.lineLength = vertical ? pageSize.height() : pageSize.width();
    return grid;
}

int LayoutEngine::Paginate(TextBuffer& buffer, QSize pageSize)
{
    const TextMetrics& metrics = TheTextMetrics();
    const PageGrid grid = PageGridFor(pageSize, metrics.LinePitch(), ParaGetInt(PARA_VERTICAL_LINE) != 0);
    return PaginateText(buffer.Text(), buffer.Length(), grid.lines, grid.lineLength, metrics.Advances(),
                        buffer.Pages(), ParaGetInt(PARA_LINE_BREAK_RULES) != 0);
}

int LayoutEngine::DrawPage(const TextBuffer& buffer, int page, QPainter& painter, const QRect& rect,
                           int numberPlace)
{
    return ThePageRenderer().DrawPage(buffer, page, painter, rect, numberPlace);
}

void InstallLayoutEngine()
{
    static LayoutEngine engine;
    SetPageEngine(&engine);
}
