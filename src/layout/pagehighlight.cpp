// PageRenderer's highlight: a translucent box behind the units of one run of text.
#include "layout/pagerenderer.h"

#include "layout/linecutter.h"
#include "layout/textmetrics.h"
#include "settings/parablock.h"

#include <QPainter>
#include <algorithm>

namespace {

// Light enough that the characters on the box stay as readable as on the paper.
constexpr int kHighlightAlpha = 80;

} // namespace

void PageRenderer::SetHighlight(std::int32_t offset, std::int32_t length)
{
    m_highlightStart = std::max(0, offset);
    m_highlightEnd = length > 0 && offset >= 0 ? offset + length : m_highlightStart;
}

void PageRenderer::DrawHighlight(QPainter& painter, const char16_t* text, std::int32_t pos, std::int32_t end,
                                 const QRect& rect, int lines, int lineLength, bool vertical) const
{
    if (m_highlightEnd <= m_highlightStart || m_highlightEnd <= pos)
        return;
    const auto c = static_cast<COLORREF>(ParaGetInt(PARA_TEXT_COLOR));
    const QColor colour(RedOf(c), GreenOf(c), BlueOf(c), kHighlightAlpha);
    const std::uint8_t* advances = TheTextMetrics().Advances();
    const int right = rect.x() + rect.width();
    // The lines as the drawing cuts them; each line's part of the run becomes one box.
    LineCutState state;
    state.breakRules = ParaGetInt(PARA_LINE_BREAK_RULES) != 0;
    for (int line = 0; line < lines && pos < end && pos < m_highlightEnd; ++line) {
        const std::int32_t next = CutLine(text, pos, end, lineLength, advances, state);
        if (next == pos)
            break;
        if (next > m_highlightStart) {
            int along = 0;
            std::int32_t i = pos;
            for (; i < next && i < m_highlightStart; ++i)
                along += advances[text[i]];
            int extent = 0;
            for (; i < next && i < m_highlightEnd; ++i)
                if (text[i] != u'\r')
                    extent += advances[text[i]];
            if (extent > 0) {
                const QRect box =
                    vertical ? QRect(right - m_cell - line * m_pitch - m_cell / 2, rect.top() + along, m_cell,
                                     extent)
                             : QRect(rect.left() + along, rect.top() + line * m_pitch, extent,
                                     std::max(m_cell, m_ascent + m_inkBottom + 2)); // down to below the ink
                painter.fillRect(box, colour);
            }
        }
        pos = next;
    }
}
