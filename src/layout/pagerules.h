// The ruled lines between a page's lines and its page number, drawn with the painter.
#pragma once

#include <QRect>

class QColor;
class QFont;
class QPainter;

// Where a page's lines and their ink lie, in page pixels, as the renderer measured them.
struct RuleMetrics
{
    int ascent = 0;
    // The rows the ink of a line of Chinese text covers, from the line's baseline.
    int inkTop = 0;
    int inkBottom = 0;
    int cell = 0;
    int pitch = 0;
};

// One rule per line: under each horizontal line, left of each column.
void DrawRuledLines(QPainter& painter, const QRect& rect, int lines, bool vertical,
                    const RuleMetrics& metrics, const QColor& colour);

// Page `page` counted from 0, shown from 1, 10 pixels under the page: numberPlace 1 = under its left,
// 2 = its right, anything else centred. `lineHeight` is the font's pixel size.
void DrawPageNumber(QPainter& painter, const QRect& rect, int page, int numberPlace, const QFont& font,
                    int lineHeight);
