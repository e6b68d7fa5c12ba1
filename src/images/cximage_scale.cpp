// CxImage::ScaleDown: area-averaging resampler with 4096ths fixed-point weights.
#include "images/cximage.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::int64_t kOne = 4096;

// How much of destination cell `dst` source pixel `src` covers.
struct Share
{
    int src;
    int dst;
    std::uint32_t fixed; // in 4096ths of a destination pixel
    float real;          // the same as a fraction, for sources too long for 4096ths
};

// Source pixel i spans [i*D, (i+1)*D) in units where one destination cell is S long. Fixed weights are
// differences of rounded boundaries, so every cell's weights add up to exactly 4096.
std::vector<Share> AxisShares(int source, int dest)
{
    std::vector<Share> shares;
    shares.reserve(static_cast<std::size_t>(source) + static_cast<std::size_t>(dest));
    const std::int64_t s = source;
    for (std::int64_t i = 0; i < s; ++i) {
        std::int64_t lo = i * dest;
        const std::int64_t hi = lo + dest;
        std::int64_t cell = lo / s;
        while (lo < hi) {
            const std::int64_t segHi = std::min(hi, (cell + 1) * s);
            const std::int64_t fixed = segHi * kOne / s - lo * kOne / s;
            shares.push_back({static_cast<int>(i), static_cast<int>(cell), static_cast<std::uint32_t>(fixed),
                              static_cast<float>(segHi - lo) / static_cast<float>(s)});
            lo = segHi;
            ++cell;
        }
    }
    return shares;
}

template <typename Acc> std::uint8_t Finish(Acc sum)
{
    if constexpr (std::is_floating_point_v<Acc>)
        return static_cast<std::uint8_t>(std::clamp(sum + 0.5, 0.0, 255.0));
    else
        return static_cast<std::uint8_t>(std::min<std::uint64_t>((sum + (1u << 23)) >> 24, 255));
}

// Resamples rows of `channels` interleaved bytes per pixel; `srcRow(y)` / `dstRow(y)` give the rows.
template <typename Acc>
void Resample(const std::vector<Share>& hs, const std::vector<Share>& vs, int channels, int dstWidth,
              auto srcRow, auto dstRow)
{
    std::vector<Acc> acc(static_cast<std::size_t>(dstWidth) * channels);
    std::size_t v = 0;
    while (v < vs.size()) {
        const int dy = vs[v].dst;
        std::fill(acc.begin(), acc.end(), Acc{});
        for (; v < vs.size() && vs[v].dst == dy; ++v) {
            const std::uint8_t* src = srcRow(vs[v].src);
            for (const Share& h : hs) {
                Acc w;
                if constexpr (std::is_floating_point_v<Acc>)
                    w = static_cast<Acc>(vs[v].real) * h.real;
                else
                    w = static_cast<Acc>(vs[v].fixed) * h.fixed;
                const std::uint8_t* p = src + static_cast<std::size_t>(h.src) * channels;
                Acc* a = acc.data() + static_cast<std::size_t>(h.dst) * channels;
                for (int c = 0; c < channels; ++c)
                    a[c] += w * p[c];
            }
        }
        std::uint8_t* dst = dstRow(dy);
        for (std::size_t i = 0; i < acc.size(); ++i)
            dst[i] = Finish(acc[i]);
    }
}

} // namespace

bool CxImage::ScaleDown(int width, int height)
{
    if (!m_block)
        return false;
    if (width == m_width && height == m_height)
        return true;
    if (width <= 0 || height <= 0) {
        SetError("CxImage::Create : width and height must be greater than zero");
        return false;
    }
    return ScaleRgb(width, height);
}

bool CxImage::ScaleRgb(int width, int height)
{
    CxImage out;
    out.m_dpiX = m_dpiX;
    out.m_dpiY = m_dpiY;
    if (!out.Create(width, height, 24, m_type) || (m_alpha && !out.AlphaCreate())) {
        SetError(out.LastError());
        return false;
    }
    // Palette pictures are averaged as colours; nothing can fail after this point.
    if (m_bits != 24 && !ToTrueColour())
        return false;
    const auto hs = AxisShares(m_width, width);
    const auto vs = AxisShares(m_height, height);
    const bool real = m_width > kOne || m_height > kOne;
    auto colourIn = [this](int y) -> const std::uint8_t* { return Row(y); };
    auto colourOut = [&out](int y) { return out.Row(y); };
    if (real)
        Resample<double>(hs, vs, 3, width, colourIn, colourOut);
    else
        Resample<std::uint64_t>(hs, vs, 3, width, colourIn, colourOut);
    if (m_alpha) {
        auto alphaIn = [this](int y) -> const std::uint8_t* { return AlphaRow(y); };
        auto alphaOut = [&out](int y) { return out.AlphaRow(y); };
        if (real)
            Resample<double>(hs, vs, 1, width, alphaIn, alphaOut);
        else
            Resample<std::uint64_t>(hs, vs, 1, width, alphaIn, alphaOut);
        m_alpha = std::move(out.m_alpha);
    }
    AdoptPixels(out);
    return true;
}
