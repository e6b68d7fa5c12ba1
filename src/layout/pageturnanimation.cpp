// The ten page-turn effects: preparation from the settings and the geometry of every frame.
#include "layout/pageturnanimation.h"

#include "document/textbuffer.h"
#include "layout/pagegeometry.h"
#include "layout/pageturncanvas.h"
#include "settings/parablock.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

int DefaultStep(int areaWidth, bool spread)
{
    // At least a pixel: a narrow area must still end.
    return std::max(1, spread ? areaWidth / 18 : areaWidth / 9);
}

int Truncate(double value)
{
    return static_cast<int>(
        std::clamp(value, static_cast<double>(INT_MIN / 2), static_cast<double>(INT_MAX / 2)));
}

// One run of an animation: the pictures, the frame, and the geometry in picture pixels.
struct Turn
{
    const QImage& oldPicture;
    const QImage& newPicture;
    PageTurnCanvas& canvas;
    const PageTurnFrameSink& sink;
    PageTurnMode mode;
    bool spread;
    bool leftward;
    int clientWidth;
    int L, T, R, B, W, H;
    int step;     // the default step
    double scale; // picture pixels per client pixel, for the fixed pixel steps
    int coverMargin;
    int frames = 0;
    bool stopped = false;

    int Pixels(int clientPixels) const
    {
        return std::max(1, static_cast<int>(std::lround(clientPixels * scale)));
    }

    bool Show(int delayMs)
    {
        ++frames;
        if (sink && !sink(canvas.Frame(), delayMs))
            stopped = true;
        return !stopped;
    }
};

void Flip(Turn& t)
{
    const int p = t.spread ? t.W / 2 : t.W;
    const int x0 = t.spread && t.leftward ? t.L + p : t.L;
    for (int a = 5; a <= 90; a += 5) {
        const int d = Truncate(std::cos(a * kPi / 180.0) * p);
        if (t.leftward) {
            t.canvas.SqueezeColumns(t.oldPicture, x0, p, x0, d, t.T, t.H);
            t.canvas.Copy(t.newPicture, QRect(x0 + d, t.T, p - d, t.H));
        } else {
            t.canvas.SqueezeColumns(t.oldPicture, t.L, p, t.L + p - d, d, t.T, t.H);
            t.canvas.Copy(t.newPicture, QRect(t.L, t.T, p - d, t.H));
        }
        if (!t.Show(2))
            return;
    }
    if (!t.spread)
        return;
    // The other page of the new spread unfolds from the spine.
    for (int a = 85; a >= 0; a -= 5) {
        const int d = Truncate(std::cos(a * kPi / 180.0) * p);
        if (t.leftward)
            t.canvas.SqueezeColumns(t.newPicture, t.L, p, t.L + p - d, d, t.T, t.H);
        else
            t.canvas.SqueezeColumns(t.newPicture, t.L + p, p, t.L + p, d, t.T, t.H);
        if (!t.Show(2))
            return;
    }
}

void Slide(Turn& t)
{
    const int step = t.Pixels(10);
    for (int v = t.W - step; v >= 0; v -= step) {
        if (t.leftward) {
            t.canvas.Copy(t.oldPicture, QRect(t.R - v, t.T, v, t.H), QPoint(t.L, t.T));
            t.canvas.Copy(t.newPicture, QRect(t.L + v, t.T, t.W - v, t.H));
        } else {
            t.canvas.Copy(t.oldPicture, QRect(t.L, t.T, v, t.H), QPoint(t.R - v, t.T));
            t.canvas.Copy(t.newPicture, QRect(t.L, t.T, t.W - v, t.H));
        }
        if (!t.Show(2))
            return;
    }
}

void Wipe(Turn& t)
{
    const int step = t.Pixels(20);
    if (t.W <= step)
        return;
    for (int s = step; s < t.W; s += step) {
        // Moving right the strip is [L + s, L + 2s): it runs ahead of the edge and leaves the first
        // step of the area to the final repaint. Kept as the effect has always looked.
        if (t.leftward)
            t.canvas.Copy(t.newPicture, QRect(t.R - s, t.T, s, t.H));
        else
            t.canvas.Copy(t.newPicture, QRect(t.L + s, t.T, s, t.H));
        if (!t.Show(5))
            return;
    }
}

void DiagonalWipe(Turn& t)
{
    const int step = t.Pixels(20);
    const int dir = t.leftward ? -1 : 1;
    const int nearX = t.leftward ? t.R : t.L;
    const int farX = t.leftward ? t.L : t.R;
    const auto beyondFar = [&](int x) { return t.leftward ? x < farX : x > farX; };
    const QPoint corner(nearX, t.T);
    QPoint p1 = corner;
    QPoint p2 = corner;
    QPoint p3 = corner;
    const QRect clip(t.L, t.T, t.W, t.H);
    for (;;) {
        // Point 1 runs along the top edge, then down the far edge.
        if (p1.x() != farX) {
            p1.rx() += dir * step;
            if (beyondFar(p1.x())) {
                p1.setX(farX);
                p1.ry() += step;
            }
        } else {
            p1.ry() += step;
        }
        // Point 2 runs down the near edge, then along the bottom; point 3 then holds the corner.
        if (p2.y() < t.B) {
            p2.ry() += step;
            if (p2.y() > t.B) {
                p2.setY(t.B);
                p2.rx() += dir * step;
            }
        } else {
            p2.rx() += dir * step;
        }
        p3 = p2.y() >= t.B ? QPoint(nearX, t.B) : p2;
        p1.setY(std::min(p1.y(), t.B));
        if (beyondFar(p2.x()))
            p2.setX(farX);
        if (p1.y() == t.B && p2.x() == farX)
            return;
        const QPoint polygon[5] = {corner, p1, p2, p3, corner};
        t.canvas.FillPolygon(t.newPicture, polygon, clip);
        if (!t.Show(2))
            return;
    }
}

void CrossFade(Turn& t)
{
    const QRect area(t.L, t.T, t.W, t.H);
    for (int u = 10; u <= 90; u += 10) {
        t.canvas.CrossFade(t.oldPicture, t.newPicture, area, u);
        if (!t.Show(8))
            return;
    }
}

// The block of the frame that `columns` write whole: their common rows over adjacent columns. Empty
// when they leave gaps, which must show what lies under them.
QRect CoveredByColumns(const std::vector<TurnColumn>& columns, const QRect& frame)
{
    if (columns.empty())
        return {};
    long long top = LLONG_MIN;
    long long bottom = LLONG_MAX;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const TurnColumn& c = columns[k];
        if ((k > 0 && c.dstX != columns[k - 1].dstX + 1) || c.dstHeight <= 0 || c.srcX < 0 ||
            c.srcX >= frame.width())
            return {};
        top = std::max<long long>(top, c.dstTop);
        bottom = std::min<long long>(bottom, static_cast<long long>(c.dstTop) + c.dstHeight);
    }
    if (top >= bottom)
        return {};
    const long long t = std::max<long long>(top, frame.top());
    const long long b = std::min<long long>(bottom, static_cast<long long>(frame.top()) + frame.height());
    if (t >= b)
        return {};
    return QRect(columns.front().dstX, static_cast<int>(t), columns.back().dstX - columns.front().dstX + 1,
                 static_cast<int>(b - t))
        .intersected(frame);
}

// The last frame's turning page put back from the pictures under it, except where the next columns
// write anyway: on a 200 % screen that copy would be most of the frame's memory traffic.
void Restore(Turn& t, const QImage& left, const QImage& right, int split, const QRect& dirty,
             const std::vector<TurnColumn>& next)
{
    const QRect keep = CoveredByColumns(next, t.canvas.Frame().rect()).intersected(dirty);
    if (keep.isEmpty()) {
        t.canvas.CopySplit(left, right, split, dirty);
        return;
    }
    t.canvas.CopySplit(left, right, split, QRect(dirty.left(), dirty.top(), dirty.width(), keep.top() - dirty.top()));
    t.canvas.CopySplit(left, right, split,
                       QRect(dirty.left(), keep.bottom() + 1, dirty.width(), dirty.bottom() - keep.bottom()));
    t.canvas.CopySplit(left, right, split,
                       QRect(dirty.left(), keep.top(), keep.left() - dirty.left(), keep.height()));
    t.canvas.CopySplit(left, right, split,
                       QRect(keep.right() + 1, keep.top(), dirty.right() - keep.right(), keep.height()));
}

// Modes 4 and 6: the turning page is squeezed between the page edge and the moving position o and
// sheared up towards o; the wave adds a ripple.
void WaveOrSideways(Turn& t)
{
    const QImage& a = t.leftward ? t.oldPicture : t.newPicture;
    const QImage& b = t.leftward ? t.newPicture : t.oldPicture;
    const QImage& left = t.spread ? a : b;
    const int split = t.spread ? t.clientWidth / 2 : INT_MAX;
    const QRect everything = t.canvas.Frame().rect();
    t.canvas.CopySplit(left, b, split, everything);
    const bool wave = t.mode == PageTurnMode::Wave;
    const int half = t.spread ? t.W / 2 : t.W;
    std::vector<TurnColumn> columns;
    QRect dirty;
    for (int i = 0;; ++i) {
        const int o = t.leftward ? t.W - i * t.step : i * t.step;
        if (o < 0 || o > t.W)
            break;
        const bool turned = t.leftward ? (!t.spread || o >= t.W / 2) : (t.spread && o > t.W / 2);
        const int amp = Truncate(t.H * 0.25 * std::sin(kPi * o / t.W));
        const QRect last = dirty;
        dirty = QRect();
        columns.clear();
        const int n = t.spread ? t.W / 2 - o : -o;
        if (n != 0) {
            int previous = INT_MIN;
            for (int c = std::min(0, n); c <= std::max(0, n); ++c) {
                const double u = static_cast<double>(c) / n;
                const int w = wave ? Truncate(std::sin(kPi * u) * t.H / 50.0) : 0;
                // u = c / n exactly: integer parts of rational values are taken without rounding
                // error, which would repeat columns at full width and let the other page show through.
                const long long num = turned ? (t.spread ? 2LL * n - c : n - c) : (t.spread ? c : n - c);
                const int k = static_cast<int>(static_cast<long long>(half) * num / n);
                if (k == previous)
                    continue;
                previous = k;
                const int lift = static_cast<int>(static_cast<long long>(amp) * c / n);
                columns.push_back({t.L + o + c, t.T - amp + lift - w, t.H, t.L + k});
            }
        }
        Restore(t, left, b, split, last, columns);
        if (n != 0)
            dirty = t.canvas.DrawColumns(turned || !t.spread ? a : b, t.T, t.H, columns);
        if (!t.Show(2))
            return;
    }
}

// One pass of the curl: the turning page is squeezed towards `end` and bulges by up to b pixels.
bool CurlPass(Turn& t, bool direction, int pass, int shape)
{
    const int bmax = Truncate(std::clamp(t.coverMargin, -t.H, t.H) * 1.5 * t.scale);
    const int end = t.spread ? t.W / 2 : (direction ? 0 : t.W);
    const int extent = t.spread ? t.W : 2 * t.W;
    const bool newLeft = !t.spread || direction == (pass != 0);
    const QImage& left = newLeft ? t.newPicture : t.oldPicture;
    const QImage& right = t.spread && newLeft ? t.oldPicture : t.newPicture;
    const QImage& turning = pass == 0 ? t.oldPicture : t.newPicture;
    const int split = t.spread ? t.clientWidth / 2 : INT_MAX;
    t.canvas.CopySplit(left, right, split, t.canvas.Frame().rect());
    std::vector<TurnColumn> columns;
    QRect dirty;
    int pos = direction ? t.W : 0;
    for (;;) {
        pos += direction ? -t.step : t.step;
        if (direction ? pos <= end : pos >= end)
            return true;
        int b = Truncate(std::sin(kPi * pos / t.W) * bmax);
        if (pass == 1)
            b = bmax - b;
        const QRect last = dirty;
        dirty = QRect();
        columns.clear();
        const int p1 = pass == 0 ? pos : (direction ? t.W + end - pos : end - pos);
        const int lo = std::min(p1, end);
        const int hi = std::max(p1, end);
        const int d = hi - lo;
        if (d > 0) {
            int previous = INT_MIN;
            for (int i = lo; i <= hi; ++i) {
                const double u = (i - lo) / (2.0 * d);
                int c = 0;
                if (!direction)
                    c = shape == 1 ? Truncate(b * std::cos(kPi * u)) : b - Truncate(b * std::sin(kPi * u));
                else
                    c = shape == 1 ? Truncate(b * std::sin(kPi * u)) : b - Truncate(b * std::cos(kPi * u));
                // The integer part of u * extent, taken exactly as above.
                const int x = (direction ? end + t.L : t.L) +
                              static_cast<int>(static_cast<long long>(i - lo) * extent / (2LL * d));
                if (x == previous)
                    continue;
                previous = x;
                columns.push_back({t.L + i, t.T - c, t.H + 2 * c, x});
            }
        }
        Restore(t, left, right, split, last, columns);
        if (d > 0)
            dirty = t.canvas.DrawColumns(turning, t.T, t.H, columns);
        if (!t.Show(3))
            return false;
    }
}

void Curl(Turn& t)
{
    const int mode = static_cast<int>(t.mode);
    if (!CurlPass(t, t.leftward, 0, mode == 3 ? 1 : 0) || !t.spread)
        return;
    CurlPass(t, !t.leftward, 1, mode >= 2 ? 1 : 0);
}

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
    Turn t{.oldPicture = before,
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

    switch (m_mode) {
    case PageTurnMode::Curl1:
    case PageTurnMode::Curl2:
    case PageTurnMode::Curl3:
        Curl(t);
        break;
    case PageTurnMode::Wave:
    case PageTurnMode::Sideways:
        WaveOrSideways(t);
        break;
    case PageTurnMode::Flip:
        Flip(t);
        break;
    case PageTurnMode::Slide:
        Slide(t);
        break;
    case PageTurnMode::Wipe:
        Wipe(t);
        break;
    case PageTurnMode::DiagonalWipe:
        DiagonalWipe(t);
        break;
    case PageTurnMode::CrossFade:
        CrossFade(t);
        break;
    case PageTurnMode::None:
        break;
    }
    if (lastFrame != nullptr && t.frames > 0)
        *lastFrame = canvas.TakeFrame();
    return t.frames;
}
