// Fibres and specks scattered over a tile.
#include "paint.h"

#include <QPainterPath>
#include <numbers>

void ScatterFibres(QImage& img, std::uint32_t seed, int count, QColor colour, double minLen, double maxLen,
                   double width)
{
    const PeriodicNoise rnd(seed);
    struct Fibre
    {
        QPainterPath path;
        QColor colour;
        double width;
    };
    std::vector<Fibre> fibres;
    for (int i = 0; i < count; ++i) {
        const double x = rnd.Random(i, 0) * img.width();
        const double y = rnd.Random(i, 1) * img.height();
        const double a = rnd.Random(i, 2) * 2 * std::numbers::pi;
        const double len = minLen + (maxLen - minLen) * rnd.Random(i, 3);
        const double bend = (rnd.Random(i, 4) - 0.5) * len * 0.6;
        const QPointF d(std::cos(a) * len / 2, std::sin(a) * len / 2);
        const QPointF n(-d.y() / (len / 2) * bend, d.x() / (len / 2) * bend);
        QPainterPath path(QPointF(x, y) - d);
        path.quadTo(QPointF(x, y) + n, QPointF(x, y) + d);
        QColor c = colour;
        c.setAlphaF(colour.alphaF() * (0.4 + 0.6 * rnd.Random(i, 5)));
        fibres.push_back({path, c, width * (0.6 + 0.8 * rnd.Random(i, 6))});
    }
    PaintWrapped(img, [&](QPainter& p) {
        for (const Fibre& f : fibres) {
            p.setPen(QPen(f.colour, f.width, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(f.path);
        }
    });
}

void ScatterSpecks(QImage& img, std::uint32_t seed, int count, QColor colour, double minR, double maxR)
{
    const PeriodicNoise rnd(seed);
    PaintWrapped(img, [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        for (int i = 0; i < count; ++i) {
            QColor c = colour;
            c.setAlphaF(colour.alphaF() * (0.4 + 0.6 * rnd.Random(i, 3)));
            p.setBrush(c);
            const double r = minR + (maxR - minR) * rnd.Random(i, 2);
            p.drawEllipse(QPointF(rnd.Random(i, 0) * img.width(), rnd.Random(i, 1) * img.height()), r,
                          r * (0.7 + 0.3 * rnd.Random(i, 4)));
        }
    });
}
