// Random bytes through DecodeBmp, then every conversion on what it decodes.
#include "images/canvas.h"
#include "images/cximage.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Huge RLE pictures are legal but only cost time here; the limit check itself is still exercised.
    static const bool limited = (SetImageByteLimit(1u << 20), true);
    (void)limited;
    CxImage img;
    if (!img.DecodeBmp({data, size})) {
        if (img.IsValid() || img.LastError()[0] == '\0')
            __builtin_trap();
        return 0;
    }
    if (!img.IsValid() || img.Width() <= 0 || img.Height() <= 0 || img.Width() > kMaxImageSide ||
        img.Height() > kMaxImageSide)
        __builtin_trap();
    // Every byte of the block and the plane must be readable and defined.
    unsigned sum = 0;
    for (std::size_t i = 0; i < img.BlockSize(); ++i)
        sum += img.Block()[i];
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); x += 7)
            sum += img.PixelAt(x, y).alpha;
    (void)sum;

    // Keep the heavy conversions to sizes that run in milliseconds.
    if (static_cast<std::uint64_t>(img.Width()) * static_cast<std::uint64_t>(img.Height()) > (1u << 16))
        return 0;
    const std::uint8_t knob = data[size / 2];
    CxImage gray(img);
    gray.ToGrayScale();
    std::array<std::uint8_t, 256> table{};
    CxImage::MakeDisabledLut(table);
    CxImage::MakeGammaLut(50 + knob, table);
    gray.ApplyLut(table);
    gray.ToTrueColour();
    gray.GrayInPlace();

    CxImage blended(img);
    blended.SetAlphaMax(knob);
    blended.SetBackground(RGBRef(knob, 255 - knob, 7));
    blended.BlendAlpha();

    if (!img.ToTrueColour() || img.Bits() != 24)
        __builtin_trap();
    const int w = img.Width(), h = img.Height();
    CxImage scaled(img);
    scaled.ScaleDown(std::max(1, w * (1 + knob % 3) / 4), std::max(1, h * (1 + knob % 5) / 6));
    (void)scaled.ToPlatformBitmap();

    CxImage canvas;
    if (canvas.Create(64, 48, 24)) {
        TileImage(canvas, img, {-(knob % 17), knob % 13 - 6, 60, 50});
        ShadeImageRect(canvas, {knob % 9, -3, 70, 20}, knob);
        FrameImageRect(canvas, {-1, knob % 50, 64, 48}, RGBRef(1, 2, 3));
    }
    return 0;
}
