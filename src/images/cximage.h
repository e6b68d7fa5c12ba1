// CxImage: an in-memory device-independent picture (packed DIB, bottom-up rows) and its conversions.
#pragma once

#include "settings/parablock.h"

#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// What LoadFromResource is asked to decode; only BMP is known.
enum class ImageFormat : int
{
    Unknown = 0,
    Bmp = 1
};

// One pixel as PixelAt reports it.
struct RgbQuad
{
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t alpha = 0;
    friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

// Largest picture accepted from a header or asked of Create: each side, and the pixel block in bytes.
// Well above any screen-sized canvas, low enough that a hostile header cannot exhaust memory.
constexpr int kMaxImageSide = 32768;
constexpr std::uint64_t kMaxImageBytes = 256ull << 20;
// The pixel-block limit in force: kMaxImageBytes unless lowered for this process (fuzzers do, to stay
// fast); values above kMaxImageBytes are capped.
void SetImageByteLimit(std::uint64_t bytes);
std::uint64_t ImageByteLimit();

// A picture held as a packed DIB block: 40-byte header, palette (B, G, R, 0 per entry), pixel rows
// bottom-up (stored row 0 is the bottom row as displayed), plus an optional alpha plane with the same
// row order and no padding. Being empty is the one failure state; failing operations leave a message
// in LastError().
class CxImage
{
public:
    CxImage();
    ~CxImage();
    CxImage(const CxImage& other);
    CxImage& operator=(const CxImage& other);
    CxImage(CxImage&& other) noexcept;
    CxImage& operator=(CxImage&& other) noexcept;

    // Frees the contents, allocates header + zeroed palette + rows (rows not cleared) and returns the
    // header, or nullptr. Depth rounds up to 1, 4, 8 or 24.
    std::uint8_t* Create(int width, int height, int bits, int type = 0);
    // Decodes the embedded bitmap ":/images/<resource>.bmp".
    bool LoadFromResource(int resource, ImageFormat format = ImageFormat::Bmp);
    // A BMP file or a bare DIB.
    bool DecodeBmp(std::span<const std::uint8_t> bytes);
    // Takes the other picture's block, alpha plane and attributes; the other is left empty.
    void TakeOver(CxImage& other);
    void Destroy();

    bool ToTrueColour();
    bool ToGrayScale();
    bool GrayInPlace();
    bool ApplyLut(std::span<const std::uint8_t, 256> table);
    // Composes `table` with 255 * (v / 255) ^ (exponent / 100); 100 leaves it unchanged.
    static void MakeGammaLut(int exponent, std::span<std::uint8_t, 256> table);
    // The washed-out tone of disabled icons: v -> trunc(v * 0.45 + 104.5), so 0 -> 104, 255 -> 219.
    static void MakeDisabledLut(std::span<std::uint8_t, 256> table);
    bool BlendAlpha();
    bool ScaleDown(int width, int height);
    // y counts stored rows (0 = bottom); outside the picture all four values are 0.
    RgbQuad PixelAt(int x, int y) const;
    // The pixels top-down: Format_BGR888, or Format_ARGB32 when there is an alpha plane. Null when empty.
    QImage ToPlatformBitmap() const;

    bool IsValid() const { return m_block != nullptr; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Bits() const { return m_bits; }
    int Type() const { return m_type; }
    std::size_t Stride() const { return m_stride; }
    std::size_t ImageSize() const { return m_stride * static_cast<std::size_t>(m_height); }
    int PaletteCount() const { return m_paletteCount; }
    // 4 bytes per entry: blue, green, red, 0. Null for 24 bits.
    std::uint8_t* Palette();
    const std::uint8_t* Palette() const;
    // The packed DIB block and its size.
    const std::uint8_t* Block() const { return m_block.get(); }
    std::size_t BlockSize() const { return m_blockSize; }
    // Stored row `y` (0 = bottom row as displayed); null when empty or out of range.
    std::uint8_t* Row(int y = 0);
    const std::uint8_t* Row(int y = 0) const;

    bool HasAlpha() const { return m_alpha != nullptr; }
    // Adds an opaque alpha plane (kept when one exists).
    bool AlphaCreate();
    void AlphaDelete();
    std::uint8_t* AlphaRow(int y = 0);
    const std::uint8_t* AlphaRow(int y = 0) const;
    int AlphaMax() const { return m_alphaMax; }
    void SetAlphaMax(int value);

    COLORREF Background() const { return m_background; }
    void SetBackground(COLORREF colour) { m_background = colour; }
    int TransparentIndex() const { return m_transIndex; }
    void SetTransparentIndex(int index) { m_transIndex = index; }

    int XDpi() const { return m_dpiX; }
    int YDpi() const { return m_dpiY; }
    // Values below 1 become 96.
    void SetXDpi(int dpi);
    void SetYDpi(int dpi);

    const char* LastError() const { return m_lastError.data(); }

private:
    void SetError(const char* text);
    void WriteHeader();
    // Moves the block and geometry of `other` in; the alpha plane and attributes stay.
    void AdoptPixels(CxImage& other);
    std::size_t PaletteBytes() const { return static_cast<std::size_t>(m_paletteCount) * 4; }
    int IndexAt(int x, int y) const;
    bool ScaleRgb(int width, int height);

    std::unique_ptr<std::uint8_t[]> m_block;
    std::size_t m_blockSize = 0;
    std::unique_ptr<std::uint8_t[]> m_alpha;
    int m_width = 0;
    int m_height = 0;
    int m_bits = 0;
    int m_type = 0;
    int m_paletteCount = 0;
    std::size_t m_stride = 0;
    int m_dpiX = 96;
    int m_dpiY = 96;
    int m_alphaMax = 255;
    COLORREF m_background = 0;
    int m_transIndex = -1;
    std::array<char, 256> m_lastError{};
};
