// Periodic gradient and cell noise.
#include "noise.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

int Wrap(int i, int n)
{
    const int r = i % n;
    return r < 0 ? r + n : r;
}

struct Directions
{
    double c[256];
    double s[256];
    Directions()
    {
        for (int i = 0; i < 256; ++i) {
            c[i] = std::cos(i * 2 * std::numbers::pi / 256);
            s[i] = std::sin(i * 2 * std::numbers::pi / 256);
        }
    }
};
const Directions kDirections;

double Fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

} // namespace

double Fract(double x)
{
    return x - std::floor(x);
}

double Clamp01(double x)
{
    return std::clamp(x, 0.0, 1.0);
}

double SmoothStep(double e0, double e1, double x)
{
    const double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

std::uint32_t PeriodicNoise::Hash(int x, int y, int salt) const
{
    std::uint32_t h = m_seed * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h ^= static_cast<std::uint32_t>(salt) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double PeriodicNoise::Random(int x, int y, int salt) const
{
    return (Hash(x, y, salt) & 0xFFFFFF) / double(0x1000000);
}

double PeriodicNoise::Gradient(double u, double v, int px, int py) const
{
    const double x = u * px;
    const double y = v * py;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    auto dot = [&](int ix, int iy, double dx, double dy) {
        const std::uint32_t k = Hash(Wrap(ix, px), Wrap(iy, py), 7) >> 24;
        return kDirections.c[k] * dx + kDirections.s[k] * dy;
    };
    const double n00 = dot(x0, y0, fx, fy);
    const double n10 = dot(x0 + 1, y0, fx - 1, fy);
    const double n01 = dot(x0, y0 + 1, fx, fy - 1);
    const double n11 = dot(x0 + 1, y0 + 1, fx - 1, fy - 1);
    const double sx = Fade(fx);
    const double sy = Fade(fy);
    const double a = n00 + (n10 - n00) * sx;
    const double b = n01 + (n11 - n01) * sx;
    return a + (b - a) * sy;
}

double PeriodicNoise::Fbm(double u, double v, int px, int py, int octaves, double gain) const
{
    double sum = 0;
    double amp = 1;
    double norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * Gradient(u, v, px << o, py << o);
        norm += amp;
        amp *= gain;
    }
    return sum / norm * 1.6;
}

double PeriodicNoise::Turbulence(double u, double v, int px, int py, int octaves) const
{
    double sum = 0;
    double amp = 1;
    double norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * std::abs(Gradient(u, v, px << o, py << o));
        norm += amp;
        amp *= 0.5;
    }
    return std::min(1.0, sum / norm * 2.0);
}

void PeriodicNoise::Cells(double u, double v, int px, int py, double& f1, double& f2, std::uint32_t* id) const
{
    const double x = u * px;
    const double y = v * py;
    const int cx = static_cast<int>(std::floor(x));
    const int cy = static_cast<int>(std::floor(y));
    f1 = f2 = 1e9;
    for (int j = -2; j <= 2; ++j) {
        for (int i = -2; i <= 2; ++i) {
            const int gx = Wrap(cx + i, px);
            const int gy = Wrap(cy + j, py);
            const double fx = cx + i + Random(gx, gy, 11);
            const double fy = cy + j + Random(gx, gy, 13);
            const double d = std::hypot(fx - x, fy - y);
            if (d < f1) {
                f2 = f1;
                f1 = d;
                if (id)
                    *id = Hash(gx, gy, 17);
            } else if (d < f2) {
                f2 = d;
            }
        }
    }
}
