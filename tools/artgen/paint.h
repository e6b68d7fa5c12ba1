// Small painting helpers shared by the material and paper painters.
#pragma once

#include "noise.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>

struct Col
{
    double r = 0, g = 0, b = 0;
};

inline Col operator*(Col c, double k)
{
    return {c.r * k, c.g * k, c.b * k};
}

inline Col operator+(Col a, Col b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

inline Col Mix(Col a, Col b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline Col Hex(unsigned rgb)
{
    return {double((rgb >> 16) & 0xFF), double((rgb >> 8) & 0xFF), double(rgb & 0xFF)};
}

inline QRgb ToQRgb(Col c)
{
    auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0))); };
    return qRgb(byte(c.r), byte(c.g), byte(c.b));
}

// Evaluates `f(u, v)` at pixel centres (u, v in 0..1 over the tile), `ss` x `ss` samples per pixel.
inline QImage Render(int w, int h, const std::function<Col(double, double)>& f, int ss = 1)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            Col sum;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i)
                    sum = sum + f((x + (i + 0.5) / ss) / w, (y + (j + 0.5) / ss) / h);
            line[x] = ToQRgb(sum * (1.0 / (ss * ss)));
        }
    }
    return img;
}

// Lattice cells along one side so that features are about `size` pixels.
inline int CellsFor(int pixels, double size)
{
    return std::max(1, static_cast<int>(std::lround(pixels / size)));
}

// Runs `draw` nine times, shifted by the tile size, so shapes crossing an edge wrap around.
inline void PaintWrapped(QImage& img, const std::function<void(QPainter&)>& draw)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            p.save();
            p.translate(dx * img.width(), dy * img.height());
            draw(p);
            p.restore();
        }
    }
}

// Short curved fibres scattered over the tile (wrapping at the edges).
void ScatterFibres(QImage& img, std::uint32_t seed, int count, QColor colour, double minLen, double maxLen,
                   double width);
// Round specks (wrapping).
void ScatterSpecks(QImage& img, std::uint32_t seed, int count, QColor colour, double minR, double maxR);
