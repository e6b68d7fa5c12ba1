// CxImage creation, depth and tone conversions, alpha flattening and the area-averaging ScaleDown.
#include "images/cximage.h"

#include <QRandomGenerator>
#include <array>
#include <gtest/gtest.h>

namespace {

std::uint32_t HeaderField(const CxImage& img, int at)
{
    const std::uint8_t* h = img.Block() + at;
    return h[0] | (h[1] << 8) | (h[2] << 16) | (static_cast<std::uint32_t>(h[3]) << 24);
}

void SetRgb(CxImage& img, int x, int y, int r, int g, int b)
{
    std::uint8_t* p = img.Row(y) + 3 * x;
    p[0] = static_cast<std::uint8_t>(b);
    p[1] = static_cast<std::uint8_t>(g);
    p[2] = static_cast<std::uint8_t>(r);
}

CxImage Noise(int w, int h, bool alpha, quint32 seed)
{
    CxImage img;
    img.Create(w, h, 24);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 3 * w; ++x)
            img.Row(y)[x] = static_cast<std::uint8_t>(rng.bounded(256));
    if (alpha) {
        img.AlphaCreate();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.AlphaRow(y)[x] = static_cast<std::uint8_t>(rng.bounded(256));
    }
    return img;
}

TEST(CxImage, CreateRoundsTheDepthAndFillsTheHeader)
{
    CxImage img;
    const std::pair<int, int> depths[] = {{0, 1}, {1, 1}, {2, 4}, {4, 4}, {5, 8}, {8, 8}, {9, 24}, {32, 24}};
    for (auto [asked, got] : depths) {
        ASSERT_NE(img.Create(13, 3, asked), nullptr);
        EXPECT_EQ(img.Bits(), got);
    }
    ASSERT_NE(img.Create(13, 3, 4), nullptr);
    EXPECT_EQ(HeaderField(img, 0), 40u);
    EXPECT_EQ(HeaderField(img, 4), 13u);
    EXPECT_EQ(HeaderField(img, 8), 3u);
    EXPECT_EQ(HeaderField(img, 12) & 0xFFFF, 1u);
    EXPECT_EQ(HeaderField(img, 20), 8u * 3); // stride 8
    EXPECT_EQ(HeaderField(img, 24), 3780u);  // 96 dpi in pixels per metre
    EXPECT_EQ(HeaderField(img, 32), 16u);
    EXPECT_EQ(img.Stride(), 8u);
    EXPECT_EQ(img.BlockSize(), 40u + 64 + 24);

    EXPECT_EQ(img.Create(0, 3, 24), nullptr);
    EXPECT_FALSE(img.IsValid());
    EXPECT_STREQ(img.LastError(), "CxImage::Create : width and height must be greater than zero");
    EXPECT_EQ(img.Create(40000, 1, 24), nullptr);
    EXPECT_EQ(img.Create(20000, 20000, 24), nullptr);
    EXPECT_STREQ(img.LastError(), "CxImage::Create : picture too large");

    // A lowered limit applies to Create and therefore to every decoder and conversion.
    SetImageByteLimit(1000);
    EXPECT_EQ(img.Create(100, 100, 8), nullptr);
    EXPECT_NE(img.Create(30, 30, 8), nullptr);
    EXPECT_FALSE(img.ToTrueColour());
    EXPECT_EQ(img.Bits(), 8);
    SetImageByteLimit(~0ull);
    EXPECT_EQ(ImageByteLimit(), kMaxImageBytes);
    EXPECT_TRUE(img.ToTrueColour());
}

TEST(CxImage, CopyTakeOverAndPlatformBitmap)
{
    CxImage a = Noise(4, 3, true, 1);
    const CxImage copy(a);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.PixelAt(2, 1), a.PixelAt(2, 1));
    CxImage b;
    b.TakeOver(a);
    EXPECT_FALSE(a.IsValid());
    EXPECT_FALSE(a.HasAlpha());
    EXPECT_EQ(b.PixelAt(2, 1), copy.PixelAt(2, 1));

    // The Qt image is top-down: its first line is the last stored row.
    const QImage q = b.ToPlatformBitmap();
    ASSERT_EQ(q.format(), QImage::Format_ARGB32);
    const RgbQuad top = b.PixelAt(1, 2);
    EXPECT_EQ(q.pixel(1, 0), qRgba(top.red, top.green, top.blue, top.alpha));
    b.AlphaDelete();
    const QImage q2 = b.ToPlatformBitmap();
    EXPECT_EQ(q2.format(), QImage::Format_BGR888);
    EXPECT_EQ(q2.pixel(1, 0), qRgb(top.red, top.green, top.blue));
    EXPECT_EQ(b.PixelAt(-1, 0), RgbQuad{});
    EXPECT_EQ(b.PixelAt(0, 3), RgbQuad{});
}

TEST(CxImage, PaletteDepthsToTrueColourAndGray)
{
    // 4-bit, 3 x 1: indices 1, 2, 3, high nibble first.
    CxImage img;
    img.Create(3, 1, 4);
    std::uint8_t* pal = img.Palette();
    for (int i = 0; i < 16; ++i) {
        pal[4 * i] = static_cast<std::uint8_t>(i * 10);     // blue
        pal[4 * i + 1] = static_cast<std::uint8_t>(i * 20); // green
        pal[4 * i + 2] = static_cast<std::uint8_t>(i * 3);  // red
    }
    img.Row(0)[0] = 0x12;
    img.Row(0)[1] = 0x30;
    img.SetTransparentIndex(3);
    CxImage gray(img);
    ASSERT_TRUE(img.ToTrueColour());
    EXPECT_EQ(img.Bits(), 24);
    EXPECT_EQ(img.PixelAt(0, 0), (RgbQuad{10, 20, 3, 255}));
    EXPECT_EQ(img.PixelAt(2, 0), (RgbQuad{30, 60, 9, 255}));
    ASSERT_TRUE(img.ToTrueColour()); // already 24 bits: unchanged
    EXPECT_EQ(img.Bits(), 24);

    ASSERT_TRUE(gray.ToGrayScale());
    EXPECT_EQ(gray.Bits(), 8);
    EXPECT_EQ(gray.Row(0)[1], (20 + 40 + 6) / 3);
    EXPECT_EQ(gray.TransparentIndex(), (30 + 60 + 9) / 3);
    EXPECT_EQ(gray.Palette()[4 * 200], 200);

    CxImage wide = Noise(5, 2, false, 9);
    const RgbQuad p = wide.PixelAt(4, 1);
    ASSERT_TRUE(wide.ToGrayScale());
    EXPECT_EQ(wide.Row(1)[4], (p.blue + p.green + p.red) / 3);
}

TEST(CxImage, TablesGammaAndTheDisabledTone)
{
    std::array<std::uint8_t, 256> table;
    for (int i = 0; i < 256; ++i)
        table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    auto identity = table;
    CxImage::MakeGammaLut(100, table);
    EXPECT_EQ(table, identity);
    CxImage::MakeGammaLut(160, table);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[128], 85); // 255 * (128/255)^1.6 = 84.7
    EXPECT_EQ(table[255], 255);
    for (int extreme : {0, -50, 100000}) {
        auto t = identity;
        CxImage::MakeGammaLut(extreme, t); // must stay inside a byte, no undefined conversion
        SUCCEED();
    }

    std::array<std::uint8_t, 256> disabled;
    CxImage::MakeDisabledLut(disabled);
    EXPECT_EQ(disabled[0], 104);
    EXPECT_EQ(disabled[255], 219);
    EXPECT_EQ(disabled[100], 149); // 100 * 0.45 + 104.5 = 149.5

    // A black and a white icon pixel through GrayInPlace + the table.
    CxImage icon;
    icon.Create(2, 1, 24);
    SetRgb(icon, 0, 0, 0, 0, 0);
    SetRgb(icon, 1, 0, 255, 255, 255);
    ASSERT_TRUE(icon.GrayInPlace());
    ASSERT_TRUE(icon.ApplyLut(disabled));
    EXPECT_EQ(icon.PixelAt(0, 0), (RgbQuad{104, 104, 104, 255}));
    EXPECT_EQ(icon.PixelAt(1, 0), (RgbQuad{219, 219, 219, 255}));

    // On a palette picture only the palette changes.
    CxImage indexed;
    indexed.Create(2, 1, 8);
    indexed.Row(0)[0] = 7;
    ASSERT_TRUE(indexed.ApplyLut(disabled));
    EXPECT_EQ(indexed.Row(0)[0], 7);
    EXPECT_EQ(indexed.Palette()[4 * 7], 104);
    EXPECT_FALSE(indexed.GrayInPlace());
}

TEST(CxImage, BlendAlphaAgainstTheBackground)
{
    CxImage img;
    img.Create(3, 1, 24);
    SetRgb(img, 0, 0, 200, 100, 0);
    SetRgb(img, 1, 0, 200, 100, 0);
    SetRgb(img, 2, 0, 200, 100, 0);
    img.AlphaCreate();
    img.AlphaRow(0)[0] = 255;
    img.AlphaRow(0)[1] = 0;
    img.AlphaRow(0)[2] = 128;
    img.SetBackground(RGBRef(0, 50, 250));
    ASSERT_TRUE(img.BlendAlpha());
    EXPECT_FALSE(img.HasAlpha());
    EXPECT_EQ(img.PixelAt(0, 0), (RgbQuad{0, 100, 200, 255}));
    EXPECT_EQ(img.PixelAt(1, 0), (RgbQuad{250, 50, 0, 255}));
    EXPECT_EQ(img.PixelAt(2, 0),
              (RgbQuad{(127 * 250) / 255, (128 * 100 + 127 * 50) / 255, (128 * 200) / 255, 255}));

    // Without a plane the alpha maximum alone decides; palette pictures are widened first.
    CxImage pal;
    pal.Create(1, 1, 1);
    pal.Palette()[0] = 255;
    pal.SetAlphaMax(0);
    pal.SetBackground(RGBRef(1, 2, 3));
    ASSERT_TRUE(pal.BlendAlpha());
    EXPECT_EQ(pal.Bits(), 24);
    EXPECT_EQ(pal.PixelAt(0, 0), (RgbQuad{3, 2, 1, 255}));
}

TEST(CxImage, ScaleDownHalvesTheIconStripAsTwoByTwoAverages)
{
    CxImage strip = Noise(1024, 32, true, 5);
    const CxImage source(strip);
    ASSERT_TRUE(strip.ScaleDown(512, 16));
    ASSERT_EQ(strip.Width(), 512);
    ASSERT_EQ(strip.Height(), 16);
    ASSERT_TRUE(strip.HasAlpha());
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 512; ++x) {
            RgbQuad q[4] = {source.PixelAt(2 * x, 2 * y), source.PixelAt(2 * x + 1, 2 * y),
                            source.PixelAt(2 * x, 2 * y + 1), source.PixelAt(2 * x + 1, 2 * y + 1)};
            // Each weighs 2048 x 2048 of 4096 x 4096; the top byte is rounded by the bit below it.
            auto avg = [&](auto field) {
                int sum = 0;
                for (const RgbQuad& s : q)
                    sum += s.*field;
                return (sum * 2048u * 2048u + (1u << 23)) >> 24;
            };
            const RgbQuad got = strip.PixelAt(x, y);
            ASSERT_EQ(got.blue, avg(&RgbQuad::blue)) << x << "," << y;
            ASSERT_EQ(got.green, avg(&RgbQuad::green));
            ASSERT_EQ(got.red, avg(&RgbQuad::red));
            ASSERT_EQ(got.alpha, avg(&RgbQuad::alpha));
        }
    }
}

TEST(CxImage, ScaleDownKeepsFlatColoursFlat)
{
    // Uneven ratios, white (where a 32-bit sum would wrap), sources above 4096 pixels, enlarging.
    struct Size
    {
        int w, h, tw, th;
    };
    const Size sizes[] = {{100, 37, 33, 10}, {1024, 32, 768, 24}, {1024, 32, 24, 24}, {5000, 3, 7, 2},
                          {3, 5000, 2, 9},   {10, 10, 25, 3},     {7, 7, 7, 2}};
    for (const Size& s : sizes) {
        for (int value : {0, 1, 128, 254, 255}) {
            CxImage img;
            img.Create(s.w, s.h, 24);
            for (int y = 0; y < s.h; ++y)
                std::memset(img.Row(y), value, 3 * static_cast<std::size_t>(s.w));
            ASSERT_TRUE(img.ScaleDown(s.tw, s.th));
            ASSERT_EQ(img.Width(), s.tw);
            for (int y = 0; y < s.th; ++y)
                for (int x = 0; x < s.tw; ++x)
                    ASSERT_EQ(img.PixelAt(x, y).green, value)
                        << s.w << "x" << s.h << " -> " << s.tw << "x" << s.th;
        }
    }
    CxImage same = Noise(4, 4, false, 2);
    const CxImage before(same);
    ASSERT_TRUE(same.ScaleDown(4, 4));
    EXPECT_EQ(0, std::memcmp(same.Block(), before.Block(), same.BlockSize()));
    CxImage empty;
    EXPECT_FALSE(empty.ScaleDown(2, 2));
}

} // namespace
