// The page turn: preparation from the settings, its geometry, and a run of its frames.
#include "layout/pageturnanimation.h"

#include "document/textbuffer.h"
#include "layout/pagegeometry.h"
#include "layout/pageturneffects.h"
#include "settings/parablock.h"

#include <algorithm>
#include <cmath>

namespace {

QRect ScaleRect(const QRect& r, double fx, double fy)
{
    const auto x0 = static_cast<int>(std::lround(r.left() * fx));
    const auto y0 = static_cast<int>(std::lround(r.top() * fy));
    const auto x1 = static_cast<int>(std::lround((r.left() + r.width()) * fx));
    const auto y1 = static_cast<int>(std::lround((r.top() + r.height()) * fy));
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

} // namespace

PageTurnAnimation::PageTurnAnimation(PageTurnMode mode, bool leftward, bool spread, const QRect& clientRect,
                                     const QRect& area, int coverMargin)
    : m_mode(static_cast<int>(mode) >= 1 && static_cast<int>(mode) <= 10 ? mode : PageTurnMode::None),
      m_leftward(leftward), m_spread(spread), m_client(clientRect), m_area(area.intersected(clientRect)),
      m_coverMargin(coverMargin)
{
    if (area.isEmpty())
        m_area = QRect();
}

PageTurnAnimation PageTurnAnimation::Prepare(const TextBuffer* buffer, int fromPage, int toPage, bool spread,
                                             const QRect& clientRect)
{
    if (buffer == nullptr || !buffer->HasText())
        return {};
    return Prepare(buffer->PageCount(), fromPage, toPage, spread, clientRect);
}

PageTurnAnimation PageTurnAnimation::Prepare(int pageCount, int fromPage, int toPage, bool spread,
                                             const QRect& clientRect)
{
    const int mode = ParaGetInt(PARA_TURN_PAGE);
    if (pageCount <= 0 || mode < 1 || mode > 10)
        return {};
    const int from = ClampPage(fromPage, pageCount, spread);
    const int to = ClampPage(toPage, pageCount, spread);
    if (from == to)
        return {};
    // Vertical books are read right to left, so going forward turns the other way.
    const bool leftward = (from < to) != (ParaGetInt(PARA_VERTICAL_LINE) != 0);
    const int coverMargin = ParaGetInt(PARA_COVER_MARGIN);
    PageTurnAnimation turn(static_cast<PageTurnMode>(mode), leftward, spread, clientRect,
                           TurnArea(BookRect(clientRect, false), coverMargin, clientRect), coverMargin);
    turn.m_from = from;
    turn.m_to = to;
    return turn;
}

QRect PageTurnAnimation::TurnArea(const QRect& bookRect, int coverMargin, const QRect& clientRect)
{
    // 64-bit: the cover margin comes from a hand-editable file.
    const long long side = static_cast<long long>(coverMargin) + 6;
    const long long left = bookRect.left() + side;
    const long long right = static_cast<long long>(bookRect.left()) + bookRect.width() - side;
    const long long top = bookRect.top() + static_cast<long long>(coverMargin);
    const long long bottom = static_cast<long long>(bookRect.top()) + bookRect.height() - coverMargin;
    if (left >= right || top >= bottom)
        return {};
    const long long cl = clientRect.left();
    const long long ct = clientRect.top();
    const long long cr = cl + clientRect.width();
    const long long cb = ct + clientRect.height();
    const long long l = std::max(left, cl);
    const long long t = std::max(top, ct);
    const long long r = std::min(right, cr);
    const long long b = std::min(bottom, cb);
    if (l >= r || t >= b)
        return {};
    return QRect(static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l), static_cast<int>(b - t));
}

int PageTurnAnimation::Step() const
{
    switch (m_mode) {
    case PageTurnMode::Flip:
        return 5;
    case PageTurnMode::Slide:
    case PageTurnMode::CrossFade:
        return 10;
    case PageTurnMode::Wipe:
    case PageTurnMode::DiagonalWipe:
        return 20;
    default:
        return DefaultStep(m_area.width(), m_spread);
    }
}

int PageTurnAnimation::DelayMs() const
{
    switch (m_mode) {
    case PageTurnMode::Curl1:
    case PageTurnMode::Curl2:
    case PageTurnMode::Curl3:
        return 3;
    case PageTurnMode::Wipe:
        return 5;
    case PageTurnMode::CrossFade:
        return 8;
    case PageTurnMode::None:
        return 30;
    default:
        return 2;
    }
}

int PageTurnAnimation::Run(const QImage& oldPicture, const QImage& newPicture, const PageTurnFrameSink& sink,
                           QImage* lastFrame) const
{
    if (!Plays() || oldPicture.isNull() || oldPicture.size() != newPicture.size() || m_client.isEmpty())
        return 0;
    const QImage before = oldPicture.convertToFormat(QImage::Format_RGB32);
    const QImage after = newPicture.convertToFormat(QImage::Format_RGB32);
    if (before.isNull() || after.isNull())
        return 0;
    // The window shows the old page when the first frame is drawn. The curls, the wave and the
    // sideways turn start by painting the whole frame, so copying the old page first would be wasted
    // (on a 200 % screen, a 33 MB copy spread over a handful of frames).
    const bool paintsWhole = m_mode == PageTurnMode::Curl1 || m_mode == PageTurnMode::Curl2 ||
                             m_mode == PageTurnMode::Curl3 || m_mode == PageTurnMode::Wave ||
                             m_mode == PageTurnMode::Sideways;
    PageTurnCanvas canvas = paintsWhole ? PageTurnCanvas(before.size()) : PageTurnCanvas(before);
    if (canvas.IsNull())
        return 0;

    const double fx = static_cast<double>(before.width()) / m_client.width();
    const double fy = static_cast<double>(before.height()) / m_client.height();
    const QRect area = ScaleRect(m_area.translated(-m_client.topLeft()), fx, fy).intersected(before.rect());
    if (area.isEmpty())
        return 0;
    PageTurnRun t{.oldPicture = before,
                  .newPicture = after,
                  .canvas = canvas,
                  .sink = sink,
                  .mode = m_mode,
                  .spread = m_spread,
                  .leftward = m_leftward,
                  .clientWidth = before.width(),
                  .L = area.left(),
                  .T = area.top(),
                  .R = area.left() + area.width(),
                  .B = area.top() + area.height(),
                  .W = area.width(),
                  .H = area.height(),
                  .step = DefaultStep(area.width(), m_spread),
                  .scale = fx,
                  .coverMargin = m_coverMargin};

    PlayPageTurnEffect(t);
    if (lastFrame != nullptr && t.frames > 0)
        *lastFrame = canvas.TakeFrame();
    return t.frames;
}
