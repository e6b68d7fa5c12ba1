// Median cut + k-means palettes and error-diffusion mapping.
#include "quantise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

using Rgb = std::array<double, 3>;

Rgb ToRgb(QRgb c)
{
    return {double(qRed(c)), double(qGreen(c)), double(qBlue(c))};
}

double Distance(const Rgb& a, const Rgb& b)
{
    // Weighted towards green, as the eye is.
    const double dr = a[0] - b[0], dg = a[1] - b[1], db = a[2] - b[2];
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

int Nearest(const std::vector<Rgb>& pal, const Rgb& c, int skip)
{
    int best = 0;
    double bestD = 1e30;
    for (int i = 0; i < static_cast<int>(pal.size()); ++i) {
        if (i == skip)
            continue;
        const double d = Distance(pal[static_cast<std::size_t>(i)], c);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

std::vector<Rgb> MedianCut(std::vector<Rgb> pixels, int colours)
{
    struct Box
    {
        std::size_t begin, end;
    };
    std::vector<Box> boxes{{0, pixels.size()}};
    auto widest = [&](const Box& b, std::size_t& channel) {
        double best = -1;
        for (std::size_t c = 0; c < 3; ++c) {
            double lo = 1e9, hi = -1e9;
            for (std::size_t i = b.begin; i < b.end; ++i) {
                lo = std::min(lo, pixels[i][c]);
                hi = std::max(hi, pixels[i][c]);
            }
            if (hi - lo > best) {
                best = hi - lo;
                channel = c;
            }
        }
        return best * std::sqrt(double(b.end - b.begin));
    };
    while (static_cast<int>(boxes.size()) < colours) {
        int pick = -1;
        std::size_t channel = 0;
        double bestScore = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            std::size_t c = 0;
            if (boxes[i].end - boxes[i].begin < 2)
                continue;
            const double score = widest(boxes[i], c);
            if (score > bestScore) {
                bestScore = score;
                pick = static_cast<int>(i);
                channel = c;
            }
        }
        if (pick < 0)
            break;
        Box b = boxes[static_cast<std::size_t>(pick)];
        const std::size_t mid = (b.begin + b.end) / 2;
        std::nth_element(pixels.begin() + static_cast<std::ptrdiff_t>(b.begin),
                         pixels.begin() + static_cast<std::ptrdiff_t>(mid),
                         pixels.begin() + static_cast<std::ptrdiff_t>(b.end),
                         [channel](const Rgb& x, const Rgb& y) { return x[channel] < y[channel]; });
        boxes[static_cast<std::size_t>(pick)] = {b.begin, mid};
        boxes.push_back({mid, b.end});
    }
    std::vector<Rgb> pal;
    for (const Box& b : boxes) {
        Rgb sum{0, 0, 0};
        for (std::size_t i = b.begin; i < b.end; ++i)
            for (std::size_t c = 0; c < 3; ++c)
                sum[c] += pixels[i][c];
        const double n = double(std::max<std::size_t>(1, b.end - b.begin));
        pal.push_back({sum[0] / n, sum[1] / n, sum[2] / n});
    }
    return pal;
}

QList<QRgb> ToTable(const std::vector<Rgb>& pal)
{
    QList<QRgb> table;
    for (const Rgb& c : pal)
        table.push_back(qRgb(int(std::lround(c[0])), int(std::lround(c[1])), int(std::lround(c[2]))));
    return table;
}

} // namespace

QImage MapToPalette(const QImage& source, const QList<QRgb>& table, bool dither, int transparentIndex)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    std::vector<Rgb> pal;
    for (QRgb c : table)
        pal.push_back(ToRgb(c));
    QImage out(w, h, QImage::Format_Indexed8);
    out.setColorTable(table);
    std::vector<Rgb> err(static_cast<std::size_t>(w + 2) * 2, Rgb{0, 0, 0});
    for (int y = 0; y < h; ++y) {
        Rgb* cur = &err[static_cast<std::size_t>(y & 1) * static_cast<std::size_t>(w + 2) + 1];
        Rgb* next = &err[static_cast<std::size_t>((y + 1) & 1) * static_cast<std::size_t>(w + 2) + 1];
        std::fill(next - 1, next + w + 1, Rgb{0, 0, 0});
        const bool ltr = (y & 1) == 0;
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* dst = out.scanLine(y);
        for (int n = 0; n < w; ++n) {
            const int x = ltr ? n : w - 1 - n;
            const int dir = ltr ? 1 : -1;
            if (transparentIndex >= 0 && qAlpha(src[x]) < 128) {
                dst[x] = static_cast<uchar>(transparentIndex);
                continue;
            }
            Rgb c = ToRgb(src[x]);
            if (dither)
                for (std::size_t k = 0; k < 3; ++k)
                    c[k] = std::clamp(c[k] + cur[x][k], 0.0, 255.0);
            const int idx = Nearest(pal, c, transparentIndex);
            dst[x] = static_cast<uchar>(idx);
            if (!dither)
                continue;
            for (std::size_t k = 0; k < 3; ++k) {
                const double e = c[k] - pal[static_cast<std::size_t>(idx)][k];
                cur[x + dir][k] += e * 7 / 16;
                next[x - dir][k] += e * 3 / 16;
                next[x][k] += e * 5 / 16;
                next[x + dir][k] += e * 1 / 16;
            }
        }
    }
    return out;
}

QImage QuantiseImage(const QImage& source, int colours, bool dither)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    std::vector<Rgb> pixels;
    pixels.reserve(static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            pixels.push_back(ToRgb(src[x]));
    }
    std::vector<Rgb> pal = MedianCut(pixels, colours);
    for (int pass = 0; pass < 4; ++pass) {
        std::vector<Rgb> sum(pal.size(), Rgb{0, 0, 0});
        std::vector<double> count(pal.size(), 0);
        for (const Rgb& p : pixels) {
            const auto i = static_cast<std::size_t>(Nearest(pal, p, -1));
            for (std::size_t c = 0; c < 3; ++c)
                sum[i][c] += p[c];
            count[i] += 1;
        }
        for (std::size_t i = 0; i < pal.size(); ++i)
            if (count[i] > 0)
                pal[i] = {sum[i][0] / count[i], sum[i][1] / count[i], sum[i][2] / count[i]};
    }
    return MapToPalette(image, ToTable(pal), dither);
}
