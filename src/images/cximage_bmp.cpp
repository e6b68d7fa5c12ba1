// CxImage::DecodeBmp: BMP files and bare DIBs, every header size and depth the reader meets.
#include "images/cximage.h"

#include "images/cximage_p.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

using namespace cximage_detail;

namespace {

enum : std::uint32_t
{
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3
};

// One colour channel of a bit-field pixel.
struct Channel
{
    std::uint32_t mask = 0;
    int shift = 0;
    int width = 0;

    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            width = std::bit_width(m >> shift);
        }
    }

    // Narrow colour channels are shifted up (5 bits: 31 -> 248), the convention of other BMP readers.
    std::uint8_t Extract(std::uint32_t pixel) const
    {
        if (!mask)
            return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>(width >= 8 ? v >> (width - 8) : v << (8 - width));
    }

    // Alpha spreads over the full range so that a set 1-bit alpha is opaque.
    std::uint8_t ExtractAlpha(std::uint32_t pixel) const
    {
        if (!mask)
            return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        if (width >= 8)
            return static_cast<std::uint8_t>(v >> (width - 8));
        const std::uint32_t top = (1u << width) - 1;
        return static_cast<std::uint8_t>((v * 255 + top / 2) / top);
    }
};

struct Info
{
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint16_t planes = 1;
    std::uint16_t bits = 0;
    std::uint32_t compression = kRgb;
    std::uint64_t imageSize = 0;
    std::int32_t xPpm = 0;
    std::int32_t yPpm = 0;
    std::uint64_t coloursUsed = 0;
};

int DpiFromPpm(std::int32_t ppm)
{
    return static_cast<int>(std::lround(ppm * 254.0 / 10000.0));
}

// Runs the RLE8 / RLE4 stream; `put(x, y, index)` only sees pixels inside width x height.
template <typename Put>
void DecodeRle(std::span<const std::uint8_t> s, bool rle4, std::int64_t width, std::int64_t height, Put put)
{
    std::size_t p = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    while (y < height && s.size() - p >= 2) {
        const std::uint8_t n = s[p];
        const std::uint8_t v = s[p + 1];
        p += 2;
        if (n > 0) {
            for (int i = 0; i < n; ++i, ++x) {
                if (x < width)
                    put(x, y, rle4 ? ((i & 1) ? v & 0x0F : v >> 4) : v);
            }
        } else if (v == 0) {
            x = 0;
            ++y;
        } else if (v == 1) {
            break;
        } else if (v == 2) {
            if (s.size() - p < 2)
                break;
            x += s[p];
            y += s[p + 1];
            p += 2;
        } else {
            const std::size_t bytes = rle4 ? (v + 1u) / 2 : v;
            if (s.size() - p < bytes)
                break;
            for (int i = 0; i < v; ++i, ++x) {
                if (x >= width)
                    continue;
                const std::uint8_t b = s[p + (rle4 ? i / 2 : i)];
                put(x, y, rle4 ? ((i & 1) ? b & 0x0F : b >> 4) : b);
            }
            p += std::min<std::size_t>((bytes + 1) & ~std::size_t{1}, s.size() - p);
        }
    }
}

} // namespace

bool CxImage::DecodeBmp(std::span<const std::uint8_t> bytes)
{
    Destroy();
    auto fail = [this](const char* message) {
        Destroy();
        SetError(message);
        return false;
    };
    const std::size_t size = bytes.size();
    auto has = [size](std::uint64_t at, std::uint64_t count) { return at <= size && size - at >= count; };

    if (size < 14)
        return fail("Not a BMP");
    std::uint64_t pixelOffset = 0;
    std::uint64_t pos = 0;
    if (bytes[0] == 'B' && bytes[1] == 'M') {
        pixelOffset = Le32(&bytes[10]);
        pos = 14;
    }

    // Information header.
    const std::uint64_t infoStart = pos;
    if (!has(pos, 4))
        return fail("Error reading BMP info");
    Info info;
    info.headerSize = Le32(&bytes[pos]);
    std::uint64_t entrySize = 4;
    if (info.headerSize == 12) {
        if (!has(pos, 12))
            return fail("Error reading BMP info");
        const std::uint8_t* h = &bytes[pos];
        info.width = Le16(h + 4);
        info.height = Le16(h + 6);
        info.planes = Le16(h + 8);
        info.bits = Le16(h + 10);
        entrySize = 3;
    } else if (info.headerSize >= 40) {
        if (!has(pos, 40))
            return fail("Error reading BMP info");
        const std::uint8_t* h = &bytes[pos];
        info.width = static_cast<std::int32_t>(Le32(h + 4));
        info.height = static_cast<std::int32_t>(Le32(h + 8));
        info.planes = Le16(h + 12);
        info.bits = Le16(h + 14);
        info.compression = Le32(h + 16);
        info.imageSize = Le32(h + 20);
        info.xPpm = static_cast<std::int32_t>(Le32(h + 24));
        info.yPpm = static_cast<std::int32_t>(Le32(h + 28));
        info.coloursUsed = Le32(h + 32);
    } else {
        return fail("Error reading BMP info");
    }
    const int bits = info.bits;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return fail("Error reading BMP info");
    const bool topDown = info.height < 0;
    const std::int64_t height = topDown ? -info.height : info.height;
    const std::int64_t width = info.width;
    const std::uint64_t fileStride =
        RowBytes(static_cast<std::uint64_t>(std::max<std::int64_t>(width, 0)), bits);
    const std::uint64_t computedSize =
        fileStride * static_cast<std::uint64_t>(std::max<std::int64_t>(height, 0));
    if (info.imageSize == 0)
        info.imageSize = computedSize;
    const bool coloursUsedGiven = info.coloursUsed != 0;
    if (bits <= 8 && info.coloursUsed == 0)
        info.coloursUsed = 1ull << bits;

    const bool bitFields = info.compression == kBitFields && (bits == 16 || bits == 32);
    // Masks sit inside every header from 52 bytes on, except the 64-byte OS/2 one.
    const bool masksInHeader = bitFields && info.headerSize >= 52 && info.headerSize != 64;
    if (info.headerSize == 12 || info.headerSize == 40 || info.headerSize == 64 || info.headerSize == 124) {
        pos = infoStart + info.headerSize;
    } else if (info.headerSize > 40) {
        if (info.planes != 1 || coloursUsedGiven || info.imageSize < computedSize)
            return fail("Error reading BMP info");
        pos = infoStart + (bitFields && !masksInHeader ? 40 : info.headerSize);
    }

    std::uint32_t masks[4] = {0, 0, 0, 0};
    if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    if (bitFields) {
        const std::uint64_t at = masksInHeader ? infoStart + 40 : pos;
        if (!has(at, 12))
            return fail("Error reading BMP info");
        for (int i = 0; i < 3; ++i)
            masks[i] = Le32(&bytes[at + 4 * i]);
        if (masksInHeader && info.headerSize >= 56 && has(at, 16))
            masks[3] = Le32(&bytes[at + 12]);
        if (!masksInHeader)
            pos += 12;
    }

    // Palette: at most the picture's own entry count, the rest skipped.
    const int paletteCount = bits <= 8 ? 1 << bits : 0;
    std::uint8_t palette[256 * 4] = {};
    const std::uint64_t readCount = std::min<std::uint64_t>(info.coloursUsed, paletteCount);
    if (!has(pos, readCount * entrySize))
        return fail("Error reading BMP info");
    for (std::uint64_t i = 0; i < readCount; ++i)
        std::memcpy(palette + 4 * i, &bytes[pos + i * entrySize], 3);
    pos += info.coloursUsed * entrySize;
    if (pixelOffset != 0)
        pos = pixelOffset;

    // Compression and the amount of pixel data, before anything is allocated.
    if (bits <= 8) {
        const bool ok = info.compression == kRgb || (info.compression == kRle8 && bits == 8) ||
                        (info.compression == kRle4 && bits == 4);
        if (!ok)
            return fail("compression type not supported");
    } else if (info.compression != kRgb && !bitFields) {
        return fail("unknown compression");
    }
    if (const char* error = CheckSize(width, height, bits))
        return fail(error);
    const bool rle = info.compression == kRle8 || info.compression == kRle4;
    // Uncompressed data must be all there; only the padding of the last row may be missing.
    const std::uint64_t lastRow = (static_cast<std::uint64_t>(width) * bits + 7) / 8;
    const std::uint64_t needed = fileStride * static_cast<std::uint64_t>(height - 1) + lastRow;
    if (!rle && !has(pos, needed))
        return fail("BMP pixel data truncated");

    if (!Create(static_cast<int>(width), static_cast<int>(height), bits, static_cast<int>(ImageFormat::Bmp)))
        return false;
    SetXDpi(DpiFromPpm(info.xPpm));
    SetYDpi(DpiFromPpm(info.yPpm));
    if (paletteCount)
        std::memcpy(Palette(), palette, static_cast<std::size_t>(paletteCount) * 4);

    const int h = m_height;
    const int w = m_width;
    auto storedRow = [&](std::int64_t fileRow) {
        return static_cast<int>(topDown ? h - 1 - fileRow : fileRow);
    };
    auto fileRowBytes = [&](int fileRow) {
        return std::span<const std::uint8_t>(&bytes[pos + fileStride * static_cast<std::uint64_t>(fileRow)],
                                             fileRow == h - 1 ? lastRow : fileStride);
    };

    if (rle) {
        std::memset(Row(0), 0, ImageSize());
        const auto stream = has(pos, 0) ? bytes.subspan(pos) : std::span<const std::uint8_t>();
        if (info.compression == kRle8) {
            DecodeRle(stream, false, w, h, [&](std::int64_t x, std::int64_t y, int index) {
                Row(storedRow(y))[x] = static_cast<std::uint8_t>(index);
            });
        } else {
            DecodeRle(stream, true, w, h, [&](std::int64_t x, std::int64_t y, int index) {
                std::uint8_t& b = Row(storedRow(y))[x >> 1];
                b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | index)
                            : static_cast<std::uint8_t>((b & 0x0F) | (index << 4));
            });
        }
    } else if (bits <= 8 || bits == 24) {
        for (int y = 0; y < h; ++y) {
            const auto src = fileRowBytes(y);
            std::uint8_t* dst = Row(storedRow(y));
            std::memcpy(dst, src.data(), src.size());
            std::memset(dst + src.size(), 0, m_stride - src.size());
        }
    } else {
        const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
        const bool plainAlpha = bits == 32 && info.compression == kRgb;
        const bool wantAlpha = plainAlpha || masks[3] != 0;
        if (wantAlpha && !AlphaCreate())
            return fail("can't allocate memory");
        bool anyAlpha = false;
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* src = fileRowBytes(y).data();
            const int sy = storedRow(y);
            std::uint8_t* dst = Row(sy);
            std::uint8_t* a = AlphaRow(sy);
            for (int x = 0; x < w; ++x) {
                const std::uint32_t px = bits == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
                dst[3 * x] = blue.Extract(px);
                dst[3 * x + 1] = green.Extract(px);
                dst[3 * x + 2] = red.Extract(px);
                if (a) {
                    a[x] = plainAlpha ? static_cast<std::uint8_t>(px >> 24) : alpha.ExtractAlpha(px);
                    anyAlpha |= a[x] != 0;
                }
            }
        }
        if (!anyAlpha)
            AlphaDelete();
    }
    return true;
}
