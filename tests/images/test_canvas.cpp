// Canvas primitives: clipping, tiling phase, shading, the frame's corner rule and screen helpers.
#include "images/canvas.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

RgbQuad Rgb(COLORREF c)
{
    return {static_cast<std::uint8_t>(BlueOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
            static_cast<std::uint8_t>(RedOf(c)), 255};
}

CxImage Canvas(int w, int h, COLORREF fill = 0)
{
    CxImage c;
    c.Create(w, h, 24);
    FillImageRect(c, {0, 0, w, h}, fill);
    return c;
}

// Each pixel encodes its own column (red) and stored row (green).
CxImage CoordinatePicture(int w, int h)
{
    CxImage pic;
    pic.Create(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            FillImageRect(pic, {x, y, x + 1, y + 1}, RGBRef(x, y, 7));
    return pic;
}

// Pixels of `canvas` equal to `colour`, as a count.
int Count(const CxImage& canvas, COLORREF colour)
{
    int n = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            n += canvas.PixelAt(x, y) == Rgb(colour);
    return n;
}

TEST(Canvas, FillClipsToTheCanvas)
{
    CxImage c = Canvas(20, 10);
    FillImageRect(c, {-5, -5, 3, 2}, 0x0000FF);
    EXPECT_EQ(Count(c, 0x0000FF), 3 * 2);
    EXPECT_EQ(c.PixelAt(2, 1), Rgb(0x0000FF));
    EXPECT_EQ(c.PixelAt(3, 1), Rgb(0));
    FillImageRect(c, {18, 8, 100, 100}, 0x00FF00);
    EXPECT_EQ(Count(c, 0x00FF00), 2 * 2);
    // Entirely outside, inverted or empty: nothing.
    for (const ImageRect r : {ImageRect{0, -10, 5, -1}, ImageRect{21, 0, 30, 5}, ImageRect{5, 5, 5, 9},
                              ImageRect{8, 5, 4, 9}, ImageRect{-9, 0, -1, 5}})
        FillImageRect(c, r, 0xFFFFFF);
    EXPECT_EQ(Count(c, 0xFFFFFF), 0);
    // Colour bytes: blue from bits 16-23, red from bits 0-7.
    FillImageRect(c, {0, 9, 1, 10}, RGBRef(1, 2, 3));
    EXPECT_EQ(c.Row(9)[0], 3);
    EXPECT_EQ(c.Row(9)[2], 1);
    // Empty and palette canvases are left alone.
    CxImage empty;
    FillImageRect(empty, {0, 0, 5, 5}, 0);
    ShadeImageRect(empty, {0, 0, 5, 5}, 50);
    FrameImageRect(empty, {0, 0, 5, 5}, 0);
    DrawImageVLine(empty, 0, 0, 5, 0);
    CxImage indexed;
    indexed.Create(4, 4, 8);
    std::memset(indexed.Row(0), 9, indexed.ImageSize());
    FillImageRect(indexed, {0, 0, 4, 4}, 0xFFFFFF);
    EXPECT_EQ(indexed.Row(3)[3], 9);
}

TEST(Canvas, ShadeScalesEveryChannel)
{
    CxImage c = Canvas(4, 4, RGBRef(255, 128, 1));
    ShadeImageRect(c, {0, 0, 4, 4}, 100);
    EXPECT_EQ(c.PixelAt(1, 1), Rgb(RGBRef(255, 128, 1)));
    ShadeImageRect(c, {0, 0, 2, 4}, 50);
    EXPECT_EQ(c.PixelAt(0, 0), Rgb(RGBRef(127, 64, 0)));
    EXPECT_EQ(c.PixelAt(2, 0), Rgb(RGBRef(255, 128, 1)));
    // Brightening saturates instead of wrapping round.
    ShadeImageRect(c, {2, 0, 4, 4}, 150);
    EXPECT_EQ(c.PixelAt(3, 3), Rgb(RGBRef(255, 192, 1)));
    ShadeImageRect(c, {2, 0, 4, 4}, -20);
    EXPECT_EQ(c.PixelAt(3, 3), Rgb(0));
}

TEST(Canvas, TilingRepeatsFromTheRectanglesFirstRowAndColumn)
{
    const CxImage pic = CoordinatePicture(128, 5);
    CxImage c = Canvas(320, 12);
    TileImage(c, pic, {10, 1, 310, 12});
    for (int i : {0, 1, 127, 128, 255, 256, 299}) {
        const RgbQuad p = c.PixelAt(10 + i, 1);
        EXPECT_EQ(p.red, i % 128) << "column " << i;
        EXPECT_EQ(p.green, 0);
    }
    // The copy at 256 is cut after 44 columns; nothing right of the rectangle.
    EXPECT_EQ(c.PixelAt(10 + 299, 1).red, 43);
    EXPECT_EQ(c.PixelAt(310, 1), Rgb(0));
    // Rows repeat upward in stored order.
    EXPECT_EQ(c.PixelAt(10, 1 + 4).green, 4);
    EXPECT_EQ(c.PixelAt(10, 1 + 5).green, 0);
    EXPECT_EQ(c.PixelAt(10, 0), Rgb(0));
    // The phase restarts at the clipped rectangle.
    TileImage(c, pic, {-50, -3, 20, 12});
    EXPECT_EQ(c.PixelAt(0, 0).red, 0);
    EXPECT_EQ(c.PixelAt(5, 0).red, 5);
    // A palette picture or an empty one is not drawn.
    CxImage indexed;
    indexed.Create(4, 4, 8);
    CxImage before(c);
    TileImage(c, indexed, {0, 0, 320, 12});
    TileImage(c, CxImage(), {0, 0, 320, 12});
    EXPECT_EQ(0, std::memcmp(before.Block(), c.Block(), c.BlockSize()));
}

TEST(Canvas, PiecesTiledFromOneOriginJoinUpAsOneTiling)
{
    const CxImage pic = CoordinatePicture(7, 5);
    CxImage whole = Canvas(40, 30);
    TileImage(whole, pic, {3, 2, 37, 29});
    // A ring of four bands and the hole, tiled apart, with the origin of the whole.
    const ImageRect pieces[] = {{3, 2, 37, 8}, {3, 20, 37, 29}, {3, 8, 11, 20}, {30, 8, 37, 20}, {11, 8, 30, 20}};
    CxImage apart = Canvas(40, 30);
    for (const ImageRect& r : pieces)
        TileImage(apart, pic, r, 3, 2);
    EXPECT_EQ(0, std::memcmp(whole.Block(), apart.Block(), whole.BlockSize()));
    // An origin right of and above the rectangle wraps back into the picture.
    CxImage c = Canvas(20, 20);
    TileImage(c, pic, {0, 0, 20, 20}, 9, 13);
    EXPECT_EQ(c.PixelAt(0, 0).red, 5);   // (0 - 9) mod 7
    EXPECT_EQ(c.PixelAt(0, 0).green, 2); // (0 - 13) mod 5
    EXPECT_EQ(c.PixelAt(19, 19).red, 3);
    EXPECT_EQ(c.PixelAt(19, 19).green, 1);
}

TEST(Canvas, MappedChannelsGoThroughTheTableInsideTheRectangleOnly)
{
    CxImage c = Canvas(6, 4, RGBRef(10, 20, 30));
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v)
        table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(255 - v);
    MapImageRect(c, {4, -2, 9, 2}, table);
    EXPECT_EQ(c.PixelAt(4, 0), Rgb(RGBRef(245, 235, 225)));
    EXPECT_EQ(c.PixelAt(5, 1), Rgb(RGBRef(245, 235, 225)));
    EXPECT_EQ(c.PixelAt(3, 0), Rgb(RGBRef(10, 20, 30)));
    EXPECT_EQ(c.PixelAt(4, 2), Rgb(RGBRef(10, 20, 30)));
}

TEST(Canvas, FrameIncludesTheRightColumnAndBottomRowButNotTheirCorner)
{
    CxImage c = Canvas(30, 30);
    FrameImageRect(c, {10, 10, 20, 20}, 0xFFFFFF);
    const RgbQuad on = Rgb(0xFFFFFF);
    EXPECT_EQ(c.PixelAt(10, 10), on);
    EXPECT_EQ(c.PixelAt(19, 10), on);
    EXPECT_EQ(c.PixelAt(20, 10), on); // right column
    EXPECT_EQ(c.PixelAt(20, 19), on);
    EXPECT_EQ(c.PixelAt(10, 20), on); // bottom row
    EXPECT_EQ(c.PixelAt(19, 20), on);
    EXPECT_NE(c.PixelAt(20, 20), on); // not the far corner
    EXPECT_NE(c.PixelAt(15, 15), on);
    EXPECT_EQ(Count(c, 0xFFFFFF), 39); // 10 per edge, (10, 10) shared

    // Edges outside the canvas are skipped one by one.
    CxImage d = Canvas(10, 10);
    FrameImageRect(d, {-1, 2, 10, 5}, 0xFFFFFF);
    EXPECT_EQ(Count(d, 0xFFFFFF), 10 + 10 + 0 + 0); // two rows; both columns outside
    DrawImageVLine(d, 10, 0, 10, 0x00FF00);
    DrawImageVLine(d, -1, 0, 10, 0x00FF00);
    EXPECT_EQ(Count(d, 0x00FF00), 0);
    DrawImageVLine(d, 4, -5, 3, 0x00FF00);
    EXPECT_EQ(Count(d, 0x00FF00), 3);
    EXPECT_EQ(d.PixelAt(4, 2), Rgb(0x00FF00));
}

TEST(Canvas, ScreenCoordinatesMapOntoStoredRows)
{
    CxImage c = Canvas(8, 6);
    // The top two screen rows are stored rows 4 and 5.
    EXPECT_EQ(ScreenToStored(c, {1, 0, 3, 2}), (ImageRect{1, 4, 3, 6}));
    EXPECT_EQ(ScreenRowToStored(c, 0), 5);
    FillImageRect(c, ScreenToStored(c, {0, 0, 8, 1}), 0x0000FF);
    EXPECT_EQ(c.ToPlatformBitmap().pixel(3, 0), qRgb(255, 0, 0));

    // Painting in screen coordinates through the shared image.
    QImage target = CanvasRowsImage(c);
    ASSERT_FALSE(target.isNull());
    {
        QPainter p(&target);
        p.setTransform(CanvasScreenTransform(c));
        p.fillRect(QRect(0, 5, 8, 1), QColor(0, 255, 0));
    }
    const QImage shown = c.ToPlatformBitmap();
    EXPECT_EQ(shown.pixel(2, 5), qRgb(0, 255, 0));
    EXPECT_EQ(shown.pixel(2, 4), qRgb(0, 0, 0));
    EXPECT_EQ(c.PixelAt(2, 0), Rgb(RGBRef(0, 255, 0)));
    EXPECT_EQ(ImageRect::FromQRect(QRect(2, 3, 4, 5)), (ImageRect{2, 3, 6, 8}));
}

} // namespace
