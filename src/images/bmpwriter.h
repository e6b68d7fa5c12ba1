// Writing BMP files and bare DIBs in every layout the decoder reads (artwork generator and tests).
#pragma once

#include <QByteArray>
#include <QImage>
#include <array>
#include <cstdint>

enum class BmpCompression : std::uint32_t
{
    None = 0,
    Rle8 = 1,
    Rle4 = 2,
    BitFields = 3
};

struct BmpWriteOptions
{
    int bits = 24; // 1, 4, 8 (from Format_Indexed8), 16, 24 or 32
    BmpCompression compression = BmpCompression::None;
    int headerSize = 40; // 12, 40, 52, 56, 64, 108 or 124
    bool topDown = false;
    bool fileHeader = true; // false: a bare DIB as stored in a resource
    bool writeAlpha = true; // 32 bits uncompressed: the fourth byte carries alpha, else 0
    // Bit fields: red, green, blue, alpha masks; all zero = 5-6-5 for 16 bits, 8-8-8(-8) for 32.
    std::array<std::uint32_t, 4> masks{};
    bool rleDeltas = false; // RLE: runs of index 0 become delta and end-of-line escapes
    std::int32_t pixelsPerMetre = 3780;
};

// The encoded bytes, or an empty array when the image or the options cannot be written (palette
// depths need a Format_Indexed8 or mono image with at most 2^bits colours).
QByteArray WriteBmp(const QImage& image, const BmpWriteOptions& options = {});
