// The page-turn effects: each one paints its frames of a turn and hands them on.
#pragma once

#include "layout/pageturnanimation.h"
#include "layout/pageturncanvas.h"

#include <QImage>
#include <algorithm>
#include <climits>
#include <cmath>

// One run of an animation: the pictures, the frame, and the geometry in picture pixels.
struct PageTurnRun
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

// A geometry value from a double, kept far from int's limits.
inline int TruncateToInt(double value)
{
    return static_cast<int>(
        std::clamp(value, static_cast<double>(INT_MIN / 2), static_cast<double>(INT_MAX / 2)));
}

// The step of the curls, the wave and the sideways turn, in pixels.
int DefaultStep(int areaWidth, bool spread);

// The wave and the sideways turn (modes 4 and 6).
void PlayWaveOrSideways(PageTurnRun& t);
// The three curls (modes 1 to 3).
void PlayCurl(PageTurnRun& t);

// Paints every frame of the run's effect in its canvas, handing each to its sink until it refuses one.
void PlayPageTurnEffect(PageTurnRun& t);
