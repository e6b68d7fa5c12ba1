// Page papers: plain, laid, fibrous, textured and tinted, all light and tileable.
#include "materials.h"

#include "paint.h"

#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

struct PaperStyle
{
    Col base;
    double mottle = 0.025; // cloudiness
    double mottleSize = 45;
    double grain = 0.012; // pixel noise
    int fibres = 0;
    QColor fibreColour = QColor(120, 100, 70, 40);
    double fibreLength = 10;
    double laidPeriod = 0; // pixels between laid lines
    double laidStrength = 0.03;
    int chains = 0;
    double weave = 0;
    int weaveThreads = 32;
    int specks = 0;
    QColor speckColour = QColor(90, 80, 70, 90);
    double foxing = 0;
    double coldPress = 0;
    int gridCells = 0;
    double veins = 0;
    std::uint32_t seed = 1;
};

QImage PaintPaper(int w, int h, const PaperStyle& s)
{
    const PeriodicNoise n(s.seed);
    const int mx = CellsFor(w, s.mottleSize);
    const int my = CellsFor(h, s.mottleSize);
    const int laidLines = s.laidPeriod > 0 ? CellsFor(h, s.laidPeriod) : 0;
    QImage img = Render(
        w, h,
        [&](double u, double v) {
            double k = 1 + s.mottle * n.Fbm(u, v, mx, my, 4) +
                       s.grain * n.Fbm(u, v, CellsFor(w, 1.3), CellsFor(h, 1.3), 2);
            if (laidLines) {
                const double wobble = 0.08 * n.Gradient(u, v, CellsFor(w, 30), 2);
                k += s.laidStrength * (0.5 + 0.5 * std::sin(2 * kPi * (v * laidLines + wobble))) -
                     s.laidStrength;
            }
            if (s.chains) {
                const double d = std::abs(Fract(u * s.chains + 0.5) - 0.5) * w / s.chains;
                k -= 2.2 * s.laidStrength * std::exp(-d * d / 1.1);
            }
            if (s.weave > 0) {
                const double a =
                    std::sin(2 * kPi * u * s.weaveThreads) * std::sin(2 * kPi * v * s.weaveThreads);
                const double slub = n.Gradient(u, v, s.weaveThreads, CellsFor(h, 6)) +
                                    n.Gradient(u, v, CellsFor(w, 6), s.weaveThreads);
                k += s.weave * (0.6 * a + 0.4 * slub);
            }
            if (s.coldPress > 0) {
                double f1, f2;
                n.Cells(u, v, CellsFor(w, 5), CellsFor(h, 5), f1, f2);
                const double bump = 1 - f1;
                double g1, g2;
                n.Cells(u + 0.013, v + 0.017, CellsFor(w, 5), CellsFor(h, 5), g1, g2);
                k += s.coldPress * ((bump - (1 - g1)) * 3 + 0.3 * (bump - 0.5));
            }
            Col c = s.base * k;
            if (s.foxing > 0) {
                const double spot =
                    SmoothStep(0.35, 0.75, n.Fbm(u + 0.31, v + 0.17, CellsFor(w, 60), CellsFor(h, 60), 5));
                const double edge = SmoothStep(0.55, 0.95, n.Turbulence(u, v, 2, 2, 4));
                c = Mix(c, Hex(0xc9a56e), s.foxing * (0.7 * spot + 0.3 * edge));
            }
            if (s.veins > 0) {
                const double vein = 1 - SmoothStep(0.0, 0.04, std::abs(n.Fbm(u, v, 2, 2, 5)));
                c = Mix(c, s.base * 0.86, s.veins * vein);
            }
            if (s.gridCells) {
                const double gx = std::abs(Fract(u * s.gridCells + 0.5) - 0.5) * w / s.gridCells;
                const double gy = std::abs(Fract(v * s.gridCells + 0.5) - 0.5) * h / s.gridCells;
                const double line = 1 - SmoothStep(0.2, 0.9, std::min(gx, gy));
                c = Mix(c, Hex(0xb8cde0), 0.45 * line);
            }
            return c;
        },
        2);
    if (s.fibres)
        ScatterFibres(img, s.seed + 100, s.fibres, s.fibreColour, s.fibreLength * 0.4, s.fibreLength, 0.7);
    if (s.specks)
        ScatterSpecks(img, s.seed + 200, s.specks, s.speckColour, 0.3, 0.9);
    return img;
}

PaperStyle Style(int index)
{
    PaperStyle s;
    s.seed = 1000 + static_cast<std::uint32_t>(index) * 17;
    switch (index) {
    case 0: // plain cream
        s.base = Hex(0xf7f0dc);
        s.fibres = 6;
        break;
    case 1: // laid ivory
        s.base = Hex(0xf4edd8);
        s.laidPeriod = 3;
        s.chains = 5;
        break;
    case 2: // rice paper
        s.base = Hex(0xf5f2e9);
        s.fibres = 40;
        s.fibreLength = 22;
        s.fibreColour = QColor(150, 135, 110, 45);
        s.mottle = 0.035;
        break;
    case 3: // parchment
        s.base = Hex(0xf1e2bf);
        s.mottle = 0.06;
        s.mottleSize = 80;
        s.foxing = 0.25;
        s.veins = 0.35;
        break;
    case 4: // white
        s.base = Hex(0xfbfbf7);
        s.grain = 0.015;
        break;
    case 5: // recycled
        s.base = Hex(0xebe6da);
        s.specks = 45;
        s.fibres = 18;
        s.fibreColour = QColor(110, 100, 90, 50);
        break;
    case 6: // laid, warm
        s.base = Hex(0xf3e6c9);
        s.laidPeriod = 4;
        s.chains = 3;
        s.laidStrength = 0.035;
        break;
    case 7: // linen-finish
        s.base = Hex(0xf3efe5);
        s.weave = 0.025;
        s.weaveThreads = 32;
        break;
    case 8: // pale green
        s.base = Hex(0xd6ebd2);
        break;
    case 9: // pale blue
        s.base = Hex(0xe0ecf4);
        break;
    case 10: // bamboo fibre, laid
        s.base = Hex(0xf0e7cb);
        s.laidPeriod = 5;
        s.chains = 4;
        s.fibres = 22;
        s.fibreLength = 14;
        break;
    case 11: // canvas finish
        s.base = Hex(0xf4f0e6);
        s.weave = 0.035;
        s.weaveThreads = 12;
        break;
    case 12: // mulberry, tan
        s.base = Hex(0xeee3c6);
        s.fibres = 70;
        s.fibreLength = 30;
        s.fibreColour = QColor(140, 115, 75, 50);
        break;
    case 13: // pale pink
        s.base = Hex(0xf7e8e4);
        break;
    case 14: // faint graph
        s.base = Hex(0xf8f8f3);
        s.gridCells = 10;
        break;
    case 15: // felt
        s.base = Hex(0xf1ebe0);
        s.fibres = 40;
        s.fibreLength = 5;
        s.grain = 0.02;
        break;
    case 16: // watercolour, cold press
        s.base = Hex(0xf8f4eb);
        s.coldPress = 0.02;
        break;
    case 17: // old paper with foxing
        s.base = Hex(0xefe2c4);
        s.foxing = 0.35;
        s.mottle = 0.04;
        break;
    case 18: // parchment, large
        s.base = Hex(0xf2e5c6);
        s.mottle = 0.05;
        s.mottleSize = 90;
        s.foxing = 0.18;
        s.veins = 0.3;
        break;
    case 19: // mulberry, long fibres
        s.base = Hex(0xf5efe2);
        s.fibres = 140;
        s.fibreLength = 40;
        s.fibreColour = QColor(160, 140, 110, 40);
        break;
    case 20: // pale yellow
        s.base = Hex(0xfaf4d6);
        break;
    case 21: // light kraft
        s.base = Hex(0xe8d8b8);
        s.fibres = 35;
        s.fibreColour = QColor(120, 90, 50, 45);
        s.specks = 12;
        break;
    case 22: // marbled, faint
        s.base = Hex(0xf5f2eb);
        s.veins = 0.6;
        s.mottle = 0.03;
        break;
    case 23: // cotton
        s.base = Hex(0xf9f7f1);
        s.fibres = 25;
        s.fibreColour = QColor(170, 160, 145, 35);
        break;
    case 24: // light grey, textured
        s.base = Hex(0xebebe8);
        s.grain = 0.03;
        s.mottle = 0.03;
        break;
    case 25: // lavender
        s.base = Hex(0xf0eaf5);
        break;
    case 26: // mint
        s.base = Hex(0xe5f3e8);
        break;
    case 27: // newsprint
        s.base = Hex(0xefebe0);
        s.specks = 30;
        s.speckColour = QColor(70, 70, 70, 70);
        s.grain = 0.02;
        break;
    case 28: // washi with gold flecks
        s.base = Hex(0xf7f3e7);
        s.fibres = 30;
        s.fibreLength = 18;
        s.specks = 14;
        s.speckColour = QColor(200, 160, 60, 150);
        break;
    default: // embossed linen
        s.base = Hex(0xf6f2e8);
        s.weave = 0.02;
        s.weaveThreads = 42;
        break;
    }
    return s;
}

} // namespace

QImage PaintPage(int index, int w, int h)
{
    return PaintPaper(w, h, Style(index));
}
