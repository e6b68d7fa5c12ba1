// Book rectangle, page size, page clamping and percent, from the window and the settings.
#include "layout/pagegeometry.h"

#include "layout/textmetrics.h"
#include "settings/parablock.h"

#include <algorithm>

QRect BookRect(const QRect& clientRect, bool forEditView)
{
    QRect book = clientRect;
    if (ParaGetInt(PARA_SHOW_MODE) == 0)
        return book;
    const int clientWidth = clientRect.width();
    // A width set below the minimum while running (the file's is corrected on loading).
    const int single = std::max(kMinSingleWidth, ParaGetInt(PARA_SINGLE_WIDTH));
    if (!forEditView) {
        if (single < clientWidth) {
            book.setLeft(clientRect.left() + (clientWidth - single) / 2);
            book.setWidth(std::max(0, single));
        }
        return book;
    }
    const int width = std::min(single, clientWidth);
    if (width < clientWidth - 100) {
        book.setLeft(clientRect.left() + (clientWidth - width) / 2);
        book.setWidth(std::max(0, width));
    } else {
        book.setLeft(clientRect.left() + 50);
        book.setWidth(std::max(0, clientWidth - 100));
    }
    return book;
}

void ComputePageSizeFor(const QRect& bookRect, int cell, int pitch, QSize* pageSize, bool* spread)
{
    const int bookWidth = bookRect.width();
    const int bookHeight = bookRect.height();
    if (bookWidth <= 0 || bookHeight <= 0 || pageSize == nullptr || spread == nullptr)
        return;
    if (bookWidth <= cell || bookHeight <= pitch) {
        *pageSize = QSize(cell, pitch);
        return;
    }
    const int marginLeft = ParaGetInt(PARA_MARGIN_LEFT);
    const int marginTop = ParaGetInt(PARA_SHOW_BOOK) != 0 ? ParaGetInt(PARA_MARGIN_TOP) : 0;
    const int coverMargin = ParaGetInt(PARA_COVER_MARGIN);
    // 64-bit: margins come from a hand-editable file.
    long long usableWidth = 0;
    *spread = false;
    if (bookWidth > bookHeight && ParaGetInt(PARA_SHOW_MODE) == 0) {
        *spread = true;
        usableWidth = bookWidth / 2 + static_cast<long long>(coverMargin) - 2LL * marginLeft;
    } else {
        usableWidth = bookWidth - 2LL * marginLeft;
    }
    const long long usableHeight = bookHeight - 2LL * marginTop;
    // A page never outgrows the book, whatever the margins say.
    const long long perLine =
        cell > 0 ? std::clamp(usableWidth / cell, 1LL, std::max<long long>(1, bookWidth / cell)) : 1;
    const long long lines =
        pitch > 0 ? std::clamp(usableHeight / pitch, 1LL, std::max<long long>(1, bookHeight / pitch)) : 1;
    *pageSize = QSize(static_cast<int>(cell * perLine), static_cast<int>(pitch * lines));
}

void ComputePageSize(const QRect& bookRect, QSize* pageSize, bool* spread)
{
    const TextMetrics& metrics = TheTextMetrics();
    ComputePageSizeFor(bookRect, metrics.CellSize(), metrics.LinePitch(), pageSize, spread);
}

int ClampPage(int page, int count, bool spread)
{
    if (count <= 0)
        return 0;
    page = std::clamp(page, 0, count - 1);
    if (spread)
        page &= ~1;
    return page;
}

double PagePercent(int page, int count)
{
    if (count <= 0)
        return 0.0;
    return (page + 1) * 100.0 / count;
}
