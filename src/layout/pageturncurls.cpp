// The page-turn effects that bend the turning page in columns: the wave, the sideways turn and the
// three curls.
#include "layout/pageturneffects.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

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
void Restore(PageTurnRun& t, const QImage& left, const QImage& right, int split, const QRect& dirty,
             const std::vector<TurnColumn>& next)
{
    const QRect keep = CoveredByColumns(next, t.canvas.Frame().rect()).intersected(dirty);
    if (keep.isEmpty()) {
        t.canvas.CopySplit(left, right, split, dirty);
        return;
    }
    t.canvas.CopySplit(left, right, split,
                       QRect(dirty.left(), dirty.top(), dirty.width(), keep.top() - dirty.top()));
    t.canvas.CopySplit(left, right, split,
                       QRect(dirty.left(), keep.bottom() + 1, dirty.width(), dirty.bottom() - keep.bottom()));
    t.canvas.CopySplit(left, right, split,
                       QRect(dirty.left(), keep.top(), keep.left() - dirty.left(), keep.height()));
    t.canvas.CopySplit(left, right, split,
                       QRect(keep.right() + 1, keep.top(), dirty.right() - keep.right(), keep.height()));
}

// Modes 4 and 6: the turning page is squeezed between the page edge and the moving position o and
// sheared up towards o; the wave adds a ripple.
} // namespace

void PlayWaveOrSideways(PageTurnRun& t)
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
        const int amp = TruncateToInt(t.H * 0.25 * std::sin(kPi * o / t.W));
        const QRect last = dirty;
        dirty = QRect();
        columns.clear();
        const int n = t.spread ? t.W / 2 - o : -o;
        if (n != 0) {
            int previous = INT_MIN;
            for (int c = std::min(0, n); c <= std::max(0, n); ++c) {
                const double u = static_cast<double>(c) / n;
                const int w = wave ? TruncateToInt(std::sin(kPi * u) * t.H / 50.0) : 0;
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

namespace {

// One pass of the curl: the turning page is squeezed towards `end` and bulges by up to b pixels.
bool CurlPass(PageTurnRun& t, bool direction, int pass, int shape)
{
    const int bmax = TruncateToInt(std::clamp(t.coverMargin, -t.H, t.H) * 1.5 * t.scale);
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
        int b = TruncateToInt(std::sin(kPi * pos / t.W) * bmax);
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
                    c = shape == 1 ? TruncateToInt(b * std::cos(kPi * u))
                                   : b - TruncateToInt(b * std::sin(kPi * u));
                else
                    c = shape == 1 ? TruncateToInt(b * std::sin(kPi * u))
                                   : b - TruncateToInt(b * std::cos(kPi * u));
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

} // namespace

void PlayCurl(PageTurnRun& t)
{
    const int mode = static_cast<int>(t.mode);
    if (!CurlPass(t, t.leftward, 0, mode == 3 ? 1 : 0) || !t.spread)
        return;
    CurlPass(t, !t.leftward, 1, mode >= 2 ? 1 : 0);
}
