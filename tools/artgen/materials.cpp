// Desk and cover materials: woods, leathers, cloths, stones. Every one tiles without a seam.
#include "materials.h"

#include "paint.h"

#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

struct WoodStyle
{
    Col dark, mid, light;
    double rings;      // growth rings across the tile height
    double warp;       // how far the rings wander
    double ribbon = 0; // strength of a ribbon figure across the grain
    int planks = 0;    // > 0: boards of equal height with end joints
    int knots = 0;
    std::uint32_t seed = 1;
};

// Grain runs along x; rings cross the tile vertically, so integer ring counts repeat exactly.
QImage PaintWood(int w, int h, const WoodStyle& s)
{
    const PeriodicNoise n(s.seed);
    const int fibreX = CellsFor(w, 40);
    const int fibreY = CellsFor(h, 1.5);
    auto tone = [&](double u, double v) {
        double vv = v;
        double phase = 0;
        double joint = 1;
        if (s.planks > 0) {
            const int plank = static_cast<int>(v * s.planks);
            vv = Fract(v * s.planks);
            const double cut = n.Random(plank, 5);
            const bool second = Fract(u - cut) > 0.5 + 0.3 * (n.Random(plank, 6) - 0.5);
            phase = n.Random(plank, second ? 7 : 8) * 10;
            const double jx = std::min(Fract(u - cut), 1 - Fract(u - cut)) * w;
            const double jx2 = std::abs(Fract(u - cut) - (0.5 + 0.3 * (n.Random(plank, 6) - 0.5))) * w;
            joint = SmoothStep(0.0, 1.2, std::min(jx, jx2));
            const double seam = std::min(vv, 1 - vv) * h / s.planks;
            joint = std::min(joint, SmoothStep(0.0, 1.3, seam));
        }
        // Uneven ring spacing, a slow wander and a little local wobble.
        double t = vv * s.rings / std::max(1, s.planks) + phase + s.warp * n.Fbm(u, v, 2, 2, 4) +
                   0.25 * n.Fbm(u, v, 5, 3, 3) + 0.06 * s.rings * n.Fbm(u, v, 1, 5, 3);
        for (int k = 0; k < s.knots; ++k) {
            double dx = Fract(u - n.Random(k, 20) + 0.5) - 0.5;
            double dy = Fract(v - n.Random(k, 21) + 0.5) - 0.5;
            dx *= w;
            dy *= h;
            const double d = std::hypot(dx * 0.5, dy);
            t += 2.5 * std::exp(-d * d / 60.0) * (1 + 0.3 * n.Gradient(u, v, 8, 8));
            t -= 0.6 * std::exp(-d * d / 400.0) * (dy > 0 ? 1 : -1);
        }
        const double ring = Fract(t);
        // Thin dark latewood lines, a softer shoulder before them.
        const double late = SmoothStep(0.72, 0.9, ring) * (1 - SmoothStep(0.9, 1.0, ring));
        const double shoulder = SmoothStep(0.3, 0.85, ring);
        const double fibres =
            n.Fbm(u, v, fibreX, fibreY, 2) + 0.5 * n.Fbm(u, v, CellsFor(w, 90), CellsFor(h, 4), 2);
        const double pores = std::max(0.0, n.Gradient(u, v, CellsFor(w, 7), CellsFor(h, 0.9)) - 0.3) * 1.8;
        Col c = Mix(s.light, s.mid, 0.35 + 0.5 * shoulder);
        c = Mix(c, s.dark, 0.8 * late);
        c = Mix(c, s.dark, std::max(0.0, 0.3 * n.Fbm(u + 0.5, v, 2, 3, 3)));
        double k = 1 + 0.07 * fibres - 0.12 * pores;
        if (s.ribbon > 0)
            k *= 1 + s.ribbon * std::sin(2 * kPi * (u * 5 + 0.3 * n.Fbm(u, v, 2, 2, 2)));
        return c * (k * (0.55 + 0.45 * joint));
    };
    return Render(w, h, tone, 2);
}

struct LeatherStyle
{
    Col base, dark;
    double pebble; // pixels
    std::uint32_t seed;
};

QImage PaintLeather(int w, int h, const LeatherStyle& s)
{
    const PeriodicNoise n(s.seed);
    const int cx = CellsFor(w, s.pebble);
    const int cy = CellsFor(h, s.pebble);
    return Render(
        w, h,
        [&](double u, double v) {
            double f1, f2;
            n.Cells(u, v, cx, cy, f1, f2);
            // Soft creases between pebbles, a few long wrinkles, and a gentle sheen.
            const double crease = SmoothStep(0.0, 0.4, f2 - f1);
            const double dome = 1 - 0.5 * f1 * f1;
            const double wrinkle = 1 - SmoothStep(0.0, 0.06, std::abs(n.Fbm(u, v, 3, 3, 4)));
            const double mottle = n.Fbm(u + 0.3, v, 3, 3, 4);
            const double grain = n.Gradient(u, v, CellsFor(w, 1.2), CellsFor(h, 1.2));
            Col c = Mix(s.dark, s.base, 0.72 + 0.28 * crease);
            c = Mix(c, s.dark, 0.35 * wrinkle);
            return c * (0.9 + 0.1 * dome + 0.12 * mottle + 0.035 * grain);
        },
        2);
}

struct WeaveStyle
{
    Col warp, weft, gap;
    int threadsX, threadsY;
    int twill = 0;      // 0 = plain weave; n = n/1 twill (thread counts a multiple of n + 1)
    double slub = 0.15; // unevenness along a thread
    double gapSize = 0.12;
    bool herringbone = false;
    int columns = 8;
    std::uint32_t seed;
};

QImage PaintWeave(int w, int h, const WeaveStyle& s)
{
    const PeriodicNoise n(s.seed);
    return Render(
        w, h,
        [&](double u, double v) {
            // Off-grid phase: the tile edge falls inside a thread, not on a gap.
            const double xu = u * s.threadsX + 0.37;
            const double yv = v * s.threadsY + 0.61;
            const double fx = xu - std::floor(xu);
            const double fy = yv - std::floor(yv);
            const int i = static_cast<int>(xu) % s.threadsX;
            const int j = static_cast<int>(yv) % s.threadsY;
            bool warpOnTop;
            if (s.twill == 0) {
                warpOnTop = ((i + j) & 1) == 0;
            } else {
                int jj = j;
                if (s.herringbone) {
                    const int column = i * s.columns / s.threadsX;
                    if (column & 1)
                        jj = -j;
                }
                const int period = s.twill + 1;
                warpOnTop = ((i + jj) % period + period) % period != 0;
            }
            const double warpTone =
                0.9 + 0.2 * n.Random(i, 1) + s.slub * n.Gradient(u, v, s.threadsX, CellsFor(h, 9));
            const double weftTone =
                0.9 + 0.2 * n.Random(j, 2) + s.slub * n.Gradient(u, v, CellsFor(w, 9), s.threadsY);
            const double warpProfile = std::sin(kPi * fx);
            const double weftProfile = std::sin(kPi * fy);
            const double edgeX = SmoothStep(0.0, s.gapSize, std::min(fx, 1 - fx));
            const double edgeY = SmoothStep(0.0, s.gapSize, std::min(fy, 1 - fy));
            Col top = warpOnTop ? s.warp * (warpTone * (0.72 + 0.28 * warpProfile))
                                : s.weft * (weftTone * (0.72 + 0.28 * weftProfile));
            const double cover = warpOnTop ? edgeX : edgeY;
            Col c = Mix(s.gap, top, cover);
            return c * (1 + 0.05 * n.Fbm(u, v, 3, 3, 3));
        },
        3);
}

struct MarbleStyle
{
    Col base, vein, tint;
    int kx, ky;
    double turbulence;
    double sharp;
    double fineVeins;
    std::uint32_t seed;
};

QImage PaintMarble(int w, int h, const MarbleStyle& s)
{
    const PeriodicNoise n(s.seed);
    return Render(
        w, h,
        [&](double u, double v) {
            const double turb = n.Turbulence(u, v, 2, 2, 6);
            const double t = u * s.kx + v * s.ky + s.turbulence * turb;
            const double band = std::pow(1 - std::abs(std::sin(t * kPi)), s.sharp);
            const double fine = 1 - SmoothStep(0.0, 0.035, std::abs(n.Fbm(u, v, 3, 3, 5)));
            const double cloud = n.Fbm(u, v, 2, 2, 4);
            Col c = Mix(s.base, s.tint, Clamp01(0.5 + 0.6 * cloud));
            c = Mix(c, s.vein, 0.85 * band);
            c = Mix(c, s.vein, s.fineVeins * fine);
            return c * (1 + 0.025 * n.Gradient(u, v, CellsFor(w, 2), CellsFor(h, 2)));
        },
        2);
}

QImage PaintVelvet(int w, int h)
{
    const PeriodicNoise n(41);
    const Col deep = Hex(0x5a0a16), sheen = Hex(0xb0283a);
    return Render(w, h, [&](double u, double v) {
        const double crush = n.Fbm(u, v, 2, 2, 5);
        const double light = Clamp01(0.45 + 0.7 * crush + 0.25 * n.Turbulence(u, v, 3, 3, 3));
        const double pile = n.Gradient(u, v, CellsFor(w, 1), CellsFor(h, 1));
        return Mix(deep, sheen, light) * (1 + 0.06 * pile);
    });
}

QImage PaintCork(int w, int h)
{
    const PeriodicNoise n(53);
    const Col a = Hex(0xc08a55), b = Hex(0x9a6535), c2 = Hex(0xd8a872);
    return Render(
        w, h,
        [&](double u, double v) {
            double f1, f2;
            std::uint32_t id = 0;
            n.Cells(u, v, CellsFor(w, 3.2), CellsFor(h, 3.2), f1, f2, &id);
            const double pick = (id & 0xFFFF) / 65535.0;
            Col c = pick < 0.45 ? Mix(a, c2, pick / 0.45) : Mix(a, b, (pick - 0.45) / 0.55);
            double g1, g2;
            n.Cells(u, v, CellsFor(w, 11), CellsFor(h, 11), g1, g2);
            const double pore = 1 - SmoothStep(0.05, 0.16, g1);
            c = Mix(c, Hex(0x5a3518), 0.8 * pore);
            const double edge = SmoothStep(0.0, 0.1, f2 - f1);
            return c * (0.86 + 0.14 * edge + 0.06 * n.Fbm(u, v, 4, 4, 3));
        },
        2);
}

QImage PaintGranite(int w, int h)
{
    const PeriodicNoise n(67);
    const Col palette[] = {Hex(0x3b3d42), Hex(0x6d6f74), Hex(0x9b9a98),
                           Hex(0xc9c4bd), Hex(0x8a6e66), Hex(0x232427)};
    const double weights[] = {0.24, 0.26, 0.2, 0.12, 0.1, 0.08};
    return Render(
        w, h,
        [&](double u, double v) {
            double f1, f2;
            std::uint32_t id = 0;
            n.Cells(u + 0.012 * n.Gradient(u, v, 8, 8), v, CellsFor(w, 2.6), CellsFor(h, 2.6), f1, f2, &id);
            double pick = (id & 0xFFFF) / 65535.0;
            int k = 0;
            while (k < 5 && pick > weights[k]) {
                pick -= weights[k];
                ++k;
            }
            const Col c = palette[k];
            return Mix(c, Hex(0x55575c), 0.3 + 0.2 * n.Fbm(u, v, 2, 2, 3)) *
                   (0.95 + 0.1 * SmoothStep(0.0, 0.2, f2 - f1));
        },
        2);
}

QImage PaintBrocade(int w, int h)
{
    const PeriodicNoise n(79);
    const Col navy = Hex(0x14234a), navyLight = Hex(0x22386b), gold = Hex(0xd6ae4f), goldDark = Hex(0x8e6d26);
    return Render(
        w, h,
        [&](double u, double v) {
            // Satin ground: fine diagonal twill.
            const double twill = 0.5 + 0.5 * std::sin(2 * kPi * (u * 64 + v * 64));
            Col c = Mix(navy, navyLight, 0.3 * twill + 0.2 * (0.5 + n.Fbm(u, v, 3, 3, 3)));
            // Diamond lattice of thin gold lines.
            const double d1 = std::abs(Fract(u * 2 + v * 2) - 0.5);
            const double d2 = std::abs(Fract(u * 2 - v * 2) - 0.5);
            const double line = std::min(d1, d2) * w / 2.8;
            const double lattice = 1 - SmoothStep(0.6, 1.4, line);
            // A six-petal flower in every diamond.
            const double lu = Fract(u * 2) - 0.5;
            const double lv = Fract(v * 2) - 0.5;
            const double r = std::hypot(lu, lv);
            const double a = std::atan2(lv, lu);
            const double petal = 0.15 + 0.06 * std::cos(6 * a);
            const double flower = 1 - SmoothStep(petal - 0.012, petal + 0.004, r);
            const double heart = 1 - SmoothStep(0.035, 0.05, r);
            const double gilt = std::max(lattice, flower);
            const Col g = Mix(goldDark, gold,
                              0.55 + 0.45 * std::sin(2 * kPi * (u * 48 - v * 48)) * 0.5 + 0.2 * (1 - r * 4));
            c = Mix(c, g, gilt);
            return Mix(c, navyLight * 1.2, heart);
        },
        3);
}

QImage PaintBamboo(int w, int h)
{
    const PeriodicNoise n(97);
    const int slats = 8;
    const Col straw = Hex(0xd9c07a), green = Hex(0xb9b46a), dark = Hex(0x8a6a32), string = Hex(0x4a3322);
    return Render(
        w, h,
        [&](double u, double v) {
            const int k = static_cast<int>(v * slats);
            const double fy = Fract(v * slats);
            const double profile = std::sin(kPi * fy);
            Col c = Mix(straw, green, 0.5 * n.Random(k, 1)) * (0.62 + 0.38 * std::pow(profile, 0.6));
            c = c * (1 + 0.06 * n.Fbm(u, v, CellsFor(w, 30), CellsFor(h, 1.5), 2));
            // Nodes: one per slat at its own place.
            const double nodeU = n.Random(k, 2);
            const double dn = std::abs(Fract(u - nodeU + 0.5) - 0.5) * w;
            c = Mix(c, dark, 0.6 * (1 - SmoothStep(0.8, 2.2, dn)) * (0.6 + 0.4 * profile));
            // Binding strings.
            for (double su : {0.25, 0.75}) {
                const double ds = std::abs(Fract(u - su + 0.5) - 0.5) * w;
                const double wobble = 0.7 * std::sin(2 * kPi * v * slats * 2);
                c = Mix(c, string * (0.8 + 0.2 * std::cos(kPi * fy)),
                        1 - SmoothStep(1.0, 1.8, std::abs(ds - wobble)));
            }
            const double gap = SmoothStep(0.0, 0.07, std::min(fy, 1 - fy));
            return Mix(Hex(0x3a2a18), c, gap);
        },
        3);
}

} // namespace

QImage PaintDeskCover(int index, int w, int h)
{
    switch (index) {
    case 0: // walnut
        return PaintWood(w, h, {Hex(0x2e1a0e), Hex(0x5e3a22), Hex(0x7e5434), 17, 1.5, 0, 0, 0, 3});
    case 1: // green leather
        return PaintLeather(w, h, {Hex(0x2f5a3a), Hex(0x16301d), 4.5, 5});
    case 2: // oxblood leather
        return PaintLeather(w, h, {Hex(0x7a2323), Hex(0x3d0f10), 4.0, 7});
    case 3: // blue linen
        return PaintWeave(w, h,
                          {Hex(0x4f6f9a), Hex(0x5c7ba6), Hex(0x2e4260), 40, 40, 0, 0.18, 0.14, false, 8, 9});
    case 4: // oak boards
        return PaintWood(w, h, {Hex(0x7a5128), Hex(0xa87a44), Hex(0xc99d66), 24, 1.2, 0, 4, 0, 11});
    case 5: // white marble
        return PaintMarble(w, h, {Hex(0xf2f0ec), Hex(0x7d7c82), Hex(0xdedad4), 1, 2, 3.2, 9, 0.3, 13});
    case 6: // mahogany
        return PaintWood(w, h, {Hex(0x40160c), Hex(0x6e2816), Hex(0x954024), 26, 1.3, 0.12, 0, 0, 15});
    case 7: // green marble
        return PaintMarble(w, h, {Hex(0x173326), Hex(0xd8e4dc), Hex(0x2c5a45), 2, 1, 3.6, 10, 0.45, 17});
    case 8: // burlap
        return PaintWeave(w, h,
                          {Hex(0xb08d5c), Hex(0xa68353), Hex(0x3d2c1a), 10, 10, 0, 0.3, 0.26, false, 8, 19});
    case 9: // denim
        return PaintWeave(w, h,
                          {Hex(0x2a4878), Hex(0x9aa4b8), Hex(0x1a2c4c), 64, 64, 3, 0.35, 0.1, false, 8, 21});
    case 10:
        return PaintVelvet(w, h);
    case 11:
        return PaintCork(w, h);
    case 12:
        return PaintGranite(w, h);
    case 13:
        return PaintBrocade(w, h);
    case 14: // herringbone tweed
        return PaintWeave(w, h,
                          {Hex(0x6b5a47), Hex(0xc9b99e), Hex(0x3a3026), 64, 64, 3, 0.25, 0.1, true, 8, 23});
    case 15:
        return PaintBamboo(w, h);
    default: // pale pine with knots
        return PaintWood(w, h, {Hex(0xa8783f), Hex(0xd4a66a), Hex(0xe8c690), 10, 1.1, 0, 0, 2, 25});
    }
}
