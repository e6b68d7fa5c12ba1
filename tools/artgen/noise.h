// Noise that repeats over the unit square, so every texture made from it tiles without seams.
#pragma once

#include <cstdint>

// Lattice noise on a px x py grid wrapped around the unit torus: u, v in [0, 1) map to the same
// value as u + 1, v + 1, whatever the picture size.
class PeriodicNoise
{
public:
    explicit PeriodicNoise(std::uint32_t seed) : m_seed(seed) {}

    // Gradient noise, roughly -0.7..0.7.
    double Gradient(double u, double v, int px, int py) const;
    // Octaves of gradient noise, the lattice doubling each time; normalised to about -1..1.
    double Fbm(double u, double v, int px, int py, int octaves, double gain = 0.5) const;
    // |noise| summed over octaves: sharp creases, 0..1.
    double Turbulence(double u, double v, int px, int py, int octaves) const;
    // Distances (in cells) to the nearest and second nearest of one random point per cell.
    void Cells(double u, double v, int px, int py, double& f1, double& f2, std::uint32_t* id = nullptr) const;
    // A hash of a lattice point as 0..1.
    double Random(int x, int y, int salt = 0) const;
    std::uint32_t Hash(int x, int y, int salt) const;

private:
    std::uint32_t m_seed;
};

double Fract(double x);
double SmoothStep(double e0, double e1, double x);
double Clamp01(double x);
