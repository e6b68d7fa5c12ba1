// The page-turn effects that move or blend whole pictures: the flip, the slide, the wipes and the
// cross-fade; and the choice between all ten.
#include "layout/pageturneffects.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

void Flip(PageTurnRun& t)
{
    const int p = t.spread ? t.W / 2 : t.W;
    const int x0 = t.spread && t.leftward ? t.L + p : t.L;
    for (int a = 5; a <= 90; a += 5) {
        const int d = TruncateToInt(std::cos(a * std::numbers::pi / 180.0) * p);
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
        const int d = TruncateToInt(std::cos(a * std::numbers::pi / 180.0) * p);
        if (t.leftward)
            t.canvas.SqueezeColumns(t.newPicture, t.L, p, t.L + p - d, d, t.T, t.H);
        else
            t.canvas.SqueezeColumns(t.newPicture, t.L + p, p, t.L + p, d, t.T, t.H);
        if (!t.Show(2))
            return;
    }
}

void Slide(PageTurnRun& t)
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

void Wipe(PageTurnRun& t)
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

void DiagonalWipe(PageTurnRun& t)
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

void CrossFade(PageTurnRun& t)
{
    const QRect area(t.L, t.T, t.W, t.H);
    for (int u = 10; u <= 90; u += 10) {
        t.canvas.CrossFade(t.oldPicture, t.newPicture, area, u);
        if (!t.Show(8))
            return;
    }
}

} // namespace

int DefaultStep(int areaWidth, bool spread)
{
    // At least a pixel: a narrow area must still end.
    return std::max(1, spread ? areaWidth / 18 : areaWidth / 9);
}

void PlayPageTurnEffect(PageTurnRun& t)
{
    switch (t.mode) {
    case PageTurnMode::Curl1:
    case PageTurnMode::Curl2:
    case PageTurnMode::Curl3:
        PlayCurl(t);
        break;
    case PageTurnMode::Wave:
    case PageTurnMode::Sideways:
        PlayWaveOrSideways(t);
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
}
