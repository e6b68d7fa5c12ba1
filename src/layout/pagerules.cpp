// Rules in the middle of the gaps between lines of ink, and the page number under the page.
#include "layout/pagerules.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

void DrawRuledLines(QPainter& painter, const QRect& rect, int lines, bool vertical,
                    const RuleMetrics& metrics, const QColor& colour)
{
    const int pitch = metrics.pitch;
    // Each rule goes in the middle of the gap between one line's ink and the next line's, which
    // the font's full height (far more than an em for CJK fonts) would overshoot at low line heights.
    if (vertical) {
        // Glyphs are centred on their column, one cell wide: halfway to the next column's centre.
        const int first = rect.x() + rect.width() - metrics.cell - (pitch + 1) / 2;
        for (int i = 0; i < lines; ++i)
            painter.fillRect(QRect(first - i * pitch, rect.top(), 1, rect.height()), colour);
    } else {
        const int inkEnd = metrics.ascent + metrics.inkBottom;       // last ink row of the first line
        const int nextInk = metrics.ascent + metrics.inkTop + pitch; // first ink row of the second
        const int gap = nextInk - inkEnd - 1;
        const int first = rect.top() + inkEnd + 1 + std::max(0, gap - 1) / 2;
        for (int i = 0; i < lines; ++i)
            painter.fillRect(QRect(rect.left(), first + i * pitch, rect.width(), 1), colour);
    }
}

void DrawPageNumber(QPainter& painter, const QRect& rect, int page, int numberPlace, const QFont& font,
                    int lineHeight)
{
    const QFontMetrics fm(font);
    const QString number = QString::number(static_cast<long long>(page) + 1);
    const int width = fm.horizontalAdvance(number);
    const int right = rect.x() + rect.width();
    int x = rect.left() + (rect.width() - width) / 2;
    if (numberPlace == 1)
        x = rect.left() + 2 * lineHeight;
    else if (numberPlace == 2)
        x = right - width - 2 * lineHeight;
    painter.setFont(font);
    painter.drawText(QPoint(x, rect.top() + rect.height() + 10 + fm.ascent()), number);
}
