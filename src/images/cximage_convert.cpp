// CxImage tone and depth conversions: true colour, gray, tables, gamma and alpha flattening.
#include "images/cximage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

void WriteGrayRamp(std::uint8_t* palette)
{
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<std::uint8_t>(i);
        palette[4 * i + 3] = 0;
    }
}

bool IsGrayRamp(const std::uint8_t* palette, int count)
{
    if (count != 256)
        return false;
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t* e = palette + 4 * i;
        if (e[0] != i || e[1] != i || e[2] != i)
            return false;
    }
    return true;
}

// The palette indices of one stored row, one byte each.
void ExpandRow(const std::uint8_t* src, int bits, int width, std::vector<std::uint8_t>& out)
{
    out.resize(static_cast<std::size_t>(width));
    std::uint8_t* dst = out.data();
    if (bits == 8) {
        std::copy(src, src + width, dst);
    } else if (bits == 4) {
        for (int x = 0; x < width; ++x)
            dst[x] = (x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4;
    } else {
        for (int x = 0; x < width; ++x)
            dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
    }
}

std::uint8_t GrayOf(const std::uint8_t* bgr)
{
    return static_cast<std::uint8_t>((bgr[0] + bgr[1] + bgr[2]) / 3);
}

} // namespace

bool CxImage::ToTrueColour()
{
    if (!m_block)
        return false;
    if (m_bits == 24 || m_paletteCount == 0)
        return true;
    CxImage out;
    out.m_dpiX = m_dpiX;
    out.m_dpiY = m_dpiY;
    if (!out.Create(m_width, m_height, 24, m_type)) {
        SetError(out.LastError());
        return false;
    }
    const std::uint8_t* pal = Palette();
    const bool gray = m_bits == 8 && IsGrayRamp(pal, m_paletteCount);
    std::vector<std::uint8_t> indices;
    for (int y = 0; y < m_height; ++y) {
        std::uint8_t* dst = out.Row(y);
        if (gray) {
            const std::uint8_t* src = Row(y);
            for (int x = 0; x < m_width; ++x)
                dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = src[x];
            continue;
        }
        ExpandRow(Row(y), m_bits, m_width, indices);
        for (int x = 0; x < m_width; ++x) {
            const std::uint8_t* e = pal + 4 * indices[static_cast<std::size_t>(x)];
            dst[3 * x] = e[0];
            dst[3 * x + 1] = e[1];
            dst[3 * x + 2] = e[2];
        }
    }
    AdoptPixels(out);
    return true;
}

bool CxImage::ToGrayScale()
{
    if (!m_block)
        return false;
    if (m_bits == 8) {
        std::uint8_t* pal = Palette();
        std::uint8_t gray[256];
        for (int i = 0; i < 256; ++i)
            gray[i] = GrayOf(pal + 4 * i);
        for (int y = 0; y < m_height; ++y) {
            std::uint8_t* row = Row(y);
            for (int x = 0; x < m_width; ++x)
                row[x] = gray[row[x]];
        }
        if (m_transIndex >= 0 && m_transIndex < 256)
            m_transIndex = gray[m_transIndex];
        WriteGrayRamp(pal);
        return true;
    }
    CxImage out;
    out.m_dpiX = m_dpiX;
    out.m_dpiY = m_dpiY;
    if (!out.Create(m_width, m_height, 8, m_type)) {
        SetError(out.LastError());
        return false;
    }
    WriteGrayRamp(out.Palette());
    if (m_bits == 24) {
        for (int y = 0; y < m_height; ++y) {
            const std::uint8_t* src = Row(y);
            std::uint8_t* dst = out.Row(y);
            for (int x = 0; x < m_width; ++x)
                dst[x] = GrayOf(src + 3 * x);
        }
    } else {
        const std::uint8_t* pal = Palette();
        std::vector<std::uint8_t> indices;
        for (int y = 0; y < m_height; ++y) {
            std::uint8_t* dst = out.Row(y);
            ExpandRow(Row(y), m_bits, m_width, indices);
            for (int x = 0; x < m_width; ++x)
                dst[x] = GrayOf(pal + 4 * indices[static_cast<std::size_t>(x)]);
        }
        if (m_transIndex >= 0 && m_transIndex < m_paletteCount)
            m_transIndex = GrayOf(pal + 4 * m_transIndex);
    }
    AdoptPixels(out);
    return true;
}

bool CxImage::GrayInPlace()
{
    if (!m_block || m_bits != 24)
        return false;
    for (int y = 0; y < m_height; ++y) {
        std::uint8_t* p = Row(y);
        for (int x = 0; x < m_width; ++x, p += 3)
            p[0] = p[1] = p[2] = GrayOf(p);
    }
    return true;
}

bool CxImage::ApplyLut(std::span<const std::uint8_t, 256> table)
{
    if (!m_block)
        return false;
    if (std::uint8_t* pal = Palette()) {
        for (int i = 0; i < m_paletteCount; ++i) {
            for (int c = 0; c < 3; ++c)
                pal[4 * i + c] = table[pal[4 * i + c]];
        }
        return true;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(m_width) * 3;
    for (int y = 0; y < m_height; ++y) {
        std::uint8_t* p = Row(y);
        for (std::size_t i = 0; i < rowBytes; ++i)
            p[i] = table[p[i]];
    }
    return true;
}

void CxImage::MakeGammaLut(int exponent, std::span<std::uint8_t, 256> table)
{
    if (exponent == 100)
        return;
    const double g = exponent / 100.0;
    const double s = std::pow(255.0, g) / 255.0;
    std::uint8_t curve[256];
    for (int i = 0; i < 256; ++i) {
        const double v = std::trunc(std::pow(static_cast<double>(i), g) / s + 0.5);
        // Extreme exponents overflow to inf or NaN; keep the entry inside a byte.
        curve[i] = std::isnan(v) ? 0 : static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
    }
    for (auto& entry : table)
        entry = curve[entry];
}

void CxImage::MakeDisabledLut(std::span<std::uint8_t, 256> table)
{
    for (int v = 0; v < 256; ++v)
        table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>((v * 45 + 10450) / 100);
}

bool CxImage::BlendAlpha()
{
    if (!m_block)
        return false;
    if (m_bits < 24 && !ToTrueColour())
        return false;
    const int bgBlue = BlueOf(m_background);
    const int bgGreen = GreenOf(m_background);
    const int bgRed = RedOf(m_background);
    for (int y = 0; y < m_height; ++y) {
        std::uint8_t* p = Row(y);
        const std::uint8_t* alpha = AlphaRow(y);
        for (int x = 0; x < m_width; ++x, p += 3) {
            const int a = alpha ? alpha[x] * m_alphaMax / 255 : m_alphaMax;
            p[0] = static_cast<std::uint8_t>((a * p[0] + (255 - a) * bgBlue) / 255);
            p[1] = static_cast<std::uint8_t>((a * p[1] + (255 - a) * bgGreen) / 255);
            p[2] = static_cast<std::uint8_t>((a * p[2] + (255 - a) * bgRed) / 255);
        }
    }
    AlphaDelete();
    return true;
}
