// BMP writer: headers of every size, palettes, RLE4/RLE8, bit fields, 24 and 32 bits, both row orders.
#include "images/bmpwriter.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Set32(Bytes& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// An 8-bit channel value placed into a mask, rounded to the mask's width.
std::uint32_t Pack(int value, std::uint32_t mask)
{
    if (!mask)
        return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t top = mask >> shift;
    return ((static_cast<std::uint32_t>(value) * top + 127) / 255) << shift;
}

void PadRow(Bytes& row, std::size_t stride)
{
    row.resize(stride, 0);
}

// RLE8 of one row; runs of 0 may be skipped with escapes.
void EncodeRle8Row(Bytes& out, const std::vector<int>& idx, bool deltas)
{
    const int w = static_cast<int>(idx.size());
    int i = 0;
    while (i < w) {
        if (deltas && idx[i] == 0) {
            int j = i;
            while (j < w && idx[j] == 0)
                ++j;
            if (j == w)
                break; // end of line skips the rest
            if (j - i >= 4) {
                for (int left = j - i; left > 0; left -= 255) {
                    out.insert(out.end(), {0, 2, static_cast<std::uint8_t>(std::min(left, 255)), 0});
                }
                i = j;
                continue;
            }
        }
        int run = 1;
        while (i + run < w && run < 255 && idx[i + run] == idx[i])
            ++run;
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(static_cast<std::uint8_t>(idx[i]));
            i += run;
            continue;
        }
        int j = i;
        while (j < w && j - i < 255 && !(j + 1 < w && idx[j + 1] == idx[j]))
            ++j;
        const int len = j - i;
        if (len >= 3) {
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(len));
            for (int k = i; k < j; ++k)
                out.push_back(static_cast<std::uint8_t>(idx[k]));
            if (len & 1)
                out.push_back(0);
            i = j;
        } else {
            out.push_back(1);
            out.push_back(static_cast<std::uint8_t>(idx[i]));
            ++i;
        }
    }
    out.insert(out.end(), {0, 0});
}

// Length of the run of two alternating colours starting at `s` (a single pixel at the row's end is 1).
int AlternatingRun(const std::vector<int>& idx, int s)
{
    const int w = static_cast<int>(idx.size());
    int r = std::min(2, w - s);
    while (s + r < w && r < 255 && idx[s + r] == idx[s + (r & 1)])
        ++r;
    return r;
}

// RLE4 of one row: runs of two alternating colours, absolute runs for the rest.
void EncodeRle4Row(Bytes& out, const std::vector<int>& idx, bool deltas)
{
    const int w = static_cast<int>(idx.size());
    int i = 0;
    while (i < w) {
        if (deltas && idx[i] == 0) {
            int j = i;
            while (j < w && idx[j] == 0)
                ++j;
            if (j == w)
                break;
            if (j - i >= 6) {
                out.insert(out.end(), {0, 2, static_cast<std::uint8_t>(std::min(j - i, 255)), 0});
                i += std::min(j - i, 255);
                continue;
            }
        }
        int run = AlternatingRun(idx, i);
        if (run >= 4) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(static_cast<std::uint8_t>((idx[i] << 4) | idx[i + 1]));
            i += run;
            continue;
        }
        int j = i;
        while (j < w && j - i < 255 && AlternatingRun(idx, j) < 4)
            ++j;
        const int len = j - i;
        if (len < 3) {
            const int n = std::min(len, 2);
            out.push_back(static_cast<std::uint8_t>(n));
            out.push_back(static_cast<std::uint8_t>((idx[i] << 4) | (n > 1 ? idx[i + 1] : 0)));
            i += n;
            continue;
        }
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(len));
        const std::size_t start = out.size();
        for (int k = 0; k < len; k += 2) {
            const int hi = idx[i + k];
            const int lo = k + 1 < len ? idx[i + k + 1] : 0;
            out.push_back(static_cast<std::uint8_t>((hi << 4) | lo));
        }
        if ((out.size() - start) & 1)
            out.push_back(0);
        i = j;
    }
    out.insert(out.end(), {0, 0});
}

} // namespace

QByteArray WriteBmp(const QImage& source, const BmpWriteOptions& o)
{
    const int bits = o.bits;
    const bool palette = bits == 1 || bits == 4 || bits == 8;
    if (source.isNull() || !(palette || bits == 16 || bits == 24 || bits == 32))
        return {};
    const int hs = o.headerSize;
    if (hs != 12 && hs != 40 && hs != 52 && hs != 56 && hs != 64 && hs != 108 && hs != 124)
        return {};
    const bool core = hs == 12;
    const auto comp = o.compression;
    if ((comp == BmpCompression::Rle8 && bits != 8) || (comp == BmpCompression::Rle4 && bits != 4) ||
        (comp == BmpCompression::BitFields && bits != 16 && bits != 32))
        return {};
    if (core && (comp != BmpCompression::None || o.topDown || bits == 16 || bits == 32 ||
                 source.width() > 0xFFFF || source.height() > 0xFFFF))
        return {};

    QImage image;
    if (palette) {
        image = source.format() == QImage::Format_Indexed8 ? source
                                                           : source.convertToFormat(QImage::Format_Indexed8);
        if (image.format() != QImage::Format_Indexed8 || image.colorCount() > (1 << bits))
            return {};
    } else {
        image = source.convertToFormat(QImage::Format_ARGB32);
    }
    const int w = image.width();
    const int h = image.height();

    std::array<std::uint32_t, 4> masks = o.masks;
    if (bits == 16 && masks == std::array<std::uint32_t, 4>{})
        masks = comp == BmpCompression::BitFields ? std::array<std::uint32_t, 4>{0xF800, 0x07E0, 0x001F, 0}
                                                  : std::array<std::uint32_t, 4>{0x7C00, 0x03E0, 0x001F, 0};
    if (bits == 32 && masks == std::array<std::uint32_t, 4>{})
        masks = {0x00FF0000, 0x0000FF00, 0x000000FF,
                 comp == BmpCompression::BitFields && hs >= 56 ? 0xFF000000 : 0};

    // Pixel data, in file row order.
    const std::size_t stride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
    Bytes pixels;
    std::vector<int> idx(static_cast<std::size_t>(w));
    for (int n = 0; n < h; ++n) {
        const int line = o.topDown ? n : h - 1 - n;
        Bytes row;
        if (palette) {
            const uchar* src = image.constScanLine(line);
            for (int x = 0; x < w; ++x)
                idx[static_cast<std::size_t>(x)] = src[x];
            if (comp == BmpCompression::Rle8) {
                EncodeRle8Row(pixels, idx, o.rleDeltas);
                continue;
            }
            if (comp == BmpCompression::Rle4) {
                EncodeRle4Row(pixels, idx, o.rleDeltas);
                continue;
            }
            row.assign(stride, 0);
            for (int x = 0; x < w; ++x) {
                const int v = idx[static_cast<std::size_t>(x)];
                if (bits == 8)
                    row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(v);
                else if (bits == 4)
                    row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(v << ((x & 1) ? 0 : 4));
                else
                    row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(v << (7 - (x & 7)));
            }
        } else {
            const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(line));
            for (int x = 0; x < w; ++x) {
                const QRgb c = src[x];
                if (bits == 24) {
                    row.insert(row.end(),
                               {static_cast<std::uint8_t>(qBlue(c)), static_cast<std::uint8_t>(qGreen(c)),
                                static_cast<std::uint8_t>(qRed(c))});
                } else if (bits == 32 && comp == BmpCompression::None) {
                    row.insert(row.end(),
                               {static_cast<std::uint8_t>(qBlue(c)), static_cast<std::uint8_t>(qGreen(c)),
                                static_cast<std::uint8_t>(qRed(c)),
                                static_cast<std::uint8_t>(o.writeAlpha ? qAlpha(c) : 0)});
                } else {
                    const std::uint32_t v = Pack(qRed(c), masks[0]) | Pack(qGreen(c), masks[1]) |
                                            Pack(qBlue(c), masks[2]) | Pack(qAlpha(c), masks[3]);
                    if (bits == 16)
                        Put16(row, v);
                    else
                        Put32(row, v);
                }
            }
            PadRow(row, stride);
        }
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    if (comp == BmpCompression::Rle8 || comp == BmpCompression::Rle4) {
        if (pixels.size() >= 2)
            pixels.resize(pixels.size() - 2); // the last end of line becomes end of bitmap
        pixels.insert(pixels.end(), {0, 1});
    }

    // Headers and palette.
    const int colours = palette ? image.colorCount() : 0;
    const bool masksAfter = comp == BmpCompression::BitFields && (hs == 40 || hs == 64);
    const bool masksInside = comp == BmpCompression::BitFields && !masksAfter;
    Bytes out;
    if (o.fileHeader)
        out.resize(14, 0);
    const std::size_t info = out.size();
    if (core) {
        Put32(out, 12);
        Put16(out, static_cast<std::uint32_t>(w));
        Put16(out, static_cast<std::uint32_t>(h));
        Put16(out, 1);
        Put16(out, static_cast<std::uint32_t>(bits));
    } else {
        Put32(out, static_cast<std::uint32_t>(hs));
        Put32(out, static_cast<std::uint32_t>(w));
        Put32(out, static_cast<std::uint32_t>(o.topDown ? -h : h));
        Put16(out, 1);
        Put16(out, static_cast<std::uint32_t>(bits));
        Put32(out, static_cast<std::uint32_t>(comp));
        Put32(out, static_cast<std::uint32_t>(pixels.size()));
        Put32(out, static_cast<std::uint32_t>(o.pixelsPerMetre));
        Put32(out, static_cast<std::uint32_t>(o.pixelsPerMetre));
        Put32(out, static_cast<std::uint32_t>(palette && colours == (1 << bits) ? 0 : colours));
        Put32(out, 0);
        out.resize(info + static_cast<std::size_t>(hs), 0);
        if (masksInside) {
            for (int i = 0; i < (hs >= 56 ? 4 : 3); ++i)
                Set32(out, info + 40 + 4 * static_cast<std::size_t>(i), masks[static_cast<std::size_t>(i)]);
        }
        if (hs >= 108)
            Set32(out, info + 56, 0x73524742); // 'sRGB'
        if (hs >= 124)
            Set32(out, info + 108, 4);
    }
    if (masksAfter) {
        for (int i = 0; i < 3; ++i)
            Put32(out, masks[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < colours; ++i) {
        const QRgb c = image.color(i);
        out.insert(out.end(), {static_cast<std::uint8_t>(qBlue(c)), static_cast<std::uint8_t>(qGreen(c)),
                               static_cast<std::uint8_t>(qRed(c))});
        if (!core)
            out.push_back(0);
    }
    if (core && palette && colours < (1 << bits)) {
        // The core header has no colour count: the palette always holds 2^bits entries.
        out.resize(out.size() + 3 * static_cast<std::size_t>((1 << bits) - colours), 0);
    }
    const std::size_t offset = out.size();
    out.insert(out.end(), pixels.begin(), pixels.end());
    if (o.fileHeader) {
        out[0] = 'B';
        out[1] = 'M';
        Set32(out, 2, static_cast<std::uint32_t>(out.size()));
        Set32(out, 10, static_cast<std::uint32_t>(offset));
    }
    return QByteArray(reinterpret_cast<const char*>(out.data()), static_cast<qsizetype>(out.size()));
}
