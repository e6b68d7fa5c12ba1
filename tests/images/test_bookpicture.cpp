// The embedded artwork: sizes and depths, lightness of the papers, seamless tiling, and the slots.
#include "images/bookpicture.h"

#include <gtest/gtest.h>

namespace {

struct Listed
{
    const char* list;
    int number;
    BuiltinPicture entry;
};

std::vector<Listed> Everything()
{
    std::vector<Listed> all;
    for (std::size_t i = 0; i < kDeskCoverPictureList.size(); ++i)
        all.push_back({"desk/cover", static_cast<int>(i) + 1, kDeskCoverPictureList[i]});
    for (std::size_t i = 0; i < kPagePictureList.size(); ++i)
        all.push_back({"page", static_cast<int>(i) + 1, kPagePictureList[i]});
    all.push_back({"splash", 0, kSplashPicture});
    all.push_back({"icon strip", 0, kIconStrip});
    all.push_back({"toolbar bitmap", 0, kToolbarBitmap});
    return all;
}

double Luma(const RgbQuad& p)
{
    return 0.299 * p.red + 0.587 * p.green + 0.114 * p.blue;
}

// Mean colour difference between two columns (or rows) of a 24-bit picture.
double ColumnStep(const CxImage& img, int a, int b)
{
    double sum = 0;
    for (int y = 0; y < img.Height(); ++y) {
        const RgbQuad p = img.PixelAt(a, y), q = img.PixelAt(b, y);
        sum += std::abs(p.red - q.red) + std::abs(p.green - q.green) + std::abs(p.blue - q.blue);
    }
    return sum / img.Height();
}

double RowStep(const CxImage& img, int a, int b)
{
    double sum = 0;
    for (int x = 0; x < img.Width(); ++x) {
        const RgbQuad p = img.PixelAt(x, a), q = img.PixelAt(x, b);
        sum += std::abs(p.red - q.red) + std::abs(p.green - q.green) + std::abs(p.blue - q.blue);
    }
    return sum / img.Width();
}

TEST(BuiltinPictures, ListsHaveTheirLengths)
{
    EXPECT_EQ(kBuiltinPictureListLengths, (std::pair<int, int>{17, 30}));
    EXPECT_EQ(BuiltinPictureIndex(-1, 17), -1);
    EXPECT_EQ(BuiltinPictureIndex(16, 17), 16);
    EXPECT_EQ(BuiltinPictureIndex(17, 17), 0);
    EXPECT_EQ(BuiltinPictureIndex(30, 30), 0);
}

TEST(BuiltinPictures, EveryResourceDecodesAtItsListedSizeAndDepth)
{
    for (const Listed& l : Everything()) {
        SCOPED_TRACE(std::string(l.list) + " " + std::to_string(l.entry.resource));
        CxImage img;
        ASSERT_TRUE(img.LoadFromResource(l.entry.resource, ImageFormat::Bmp)) << img.LastError();
        EXPECT_EQ(img.Width(), l.entry.width);
        EXPECT_EQ(img.Height(), l.entry.height);
        // 32-bit files become 24 bits plus an alpha plane.
        EXPECT_EQ(img.Bits(), l.entry.bits == 32 ? 24 : l.entry.bits);
        EXPECT_EQ(img.HasAlpha(), l.entry.bits == 32);
    }
}

TEST(BuiltinPictures, PapersAreLightAndEverySurfaceTilesWithoutASeam)
{
    for (const Listed& l : Everything()) {
        if (l.number == 0)
            continue;
        SCOPED_TRACE(std::string(l.list) + " " + std::to_string(l.number));
        auto img = LoadBuiltinPicture(l.entry.resource);
        ASSERT_TRUE(img);
        ASSERT_EQ(img->Bits(), 24);
        const int w = img->Width(), h = img->Height();
        if (std::string(l.list) == "page") {
            double sum = 0, darkest = 255;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const double v = Luma(img->PixelAt(x, y));
                    sum += v;
                    darkest = std::min(darkest, v);
                }
            EXPECT_GT(sum / (w * h), 205.0) << "too dark for black text";
            EXPECT_GT(darkest, 120.0);
        }
        // Across the wrap the step between edges is no bigger than between neighbours inside; a
        // picture that does not repeat jumps between unrelated columns there.
        double inside = 0;
        for (int x = 0; x + 1 < w; ++x)
            inside = std::max(inside, ColumnStep(*img, x, x + 1));
        double insideRows = 0;
        for (int y = 0; y + 1 < h; ++y)
            insideRows = std::max(insideRows, RowStep(*img, y, y + 1));
        EXPECT_LE(ColumnStep(*img, w - 1, 0), 1.1 * inside + 1) << "vertical seam";
        EXPECT_LE(RowStep(*img, h - 1, 0), 1.1 * insideRows + 1) << "horizontal seam";
    }
}

TEST(BuiltinPictures, IconStripKeepsItsAlphaUntilBlended)
{
    CxImage strip;
    ASSERT_TRUE(strip.LoadFromResource(kIconStrip.resource));
    ASSERT_TRUE(strip.HasAlpha());
    // Every icon has something opaque and a transparent top-left corner (the mask colour).
    for (int i = 0; i < kToolbarIconCount; ++i) {
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                opaque += strip.PixelAt(32 * i + x, y).alpha > 200;
        EXPECT_GT(opaque, 60) << "icon " << i;
        EXPECT_EQ(strip.PixelAt(32 * i, 31).alpha, 0) << "icon " << i;
    }
    strip.SetBackground(RGBRef(240, 240, 240));
    ASSERT_TRUE(strip.BlendAlpha());
    EXPECT_FALSE(strip.HasAlpha());
    EXPECT_EQ(strip.PixelAt(0, 31), (RgbQuad{240, 240, 240, 255}));
}

TEST(BuiltinPictures, LoadFromResourceFailuresKeepThePicture)
{
    CxImage img;
    img.Create(3, 3, 24);
    EXPECT_FALSE(img.LoadFromResource(130, static_cast<ImageFormat>(7)));
    EXPECT_STREQ(img.LastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(img.LoadFromResource(999));
    EXPECT_STREQ(img.LastError(), "Unable to load resource!");
    EXPECT_EQ(img.Width(), 3);
    EXPECT_TRUE(img.LoadFromResource(130, ImageFormat::Unknown));
    EXPECT_EQ(img.Width(), 139);
}

class BookPictureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = {theParaBlock.GetInt(PARA_BACK_IMG), theParaBlock.GetInt(PARA_COVER_IMAGE),
                   theParaBlock.GetInt(PARA_TEXT_BG_IMAGE)};
    }
    void TearDown() override
    {
        Choose(m_saved[0], m_saved[1], m_saved[2]);
        FreeBuiltinPictures();
    }
    static void Choose(int desk, int cover, int page)
    {
        theParaBlock.SetInt(PARA_BACK_IMG, desk, false);
        theParaBlock.SetInt(PARA_COVER_IMAGE, cover, false);
        theParaBlock.SetInt(PARA_TEXT_BG_IMAGE, page, false);
    }
    std::array<int, 3> m_saved{};
};

TEST_F(BookPictureTest, SettingsChooseTheSlots)
{
    Choose(1, 3, 1); // 8-bit desk, 24-bit cover, 4-bit page
    LoadBuiltinPictures();
    ASSERT_TRUE(DeskPicture() && CoverPicture() && PagePicture() && SplashPicture());
    EXPECT_EQ(DeskPicture()->Width(), 150);
    EXPECT_EQ(DeskPicture()->Bits(), 24);
    EXPECT_EQ(CoverPicture()->Width(), 100);
    EXPECT_EQ(PagePicture()->Width(), 143);
    EXPECT_EQ(PagePicture()->Bits(), 24);
    EXPECT_EQ(SplashPicture()->Width(), 461);
    EXPECT_EQ(SplashPicture()->Height(), 129);

    // Past the end takes the first entry; negative means none.
    Choose(17, -1, 30);
    LoadBuiltinPictures();
    ASSERT_TRUE(DeskPicture());
    EXPECT_EQ(DeskPicture()->Width(), 139);
    EXPECT_EQ(CoverPicture(), nullptr);
    ASSERT_TRUE(PagePicture());
    EXPECT_EQ(PagePicture()->Width(), 66);

    FreeBuiltinPictures();
    EXPECT_EQ(DeskPicture(), nullptr);
    EXPECT_EQ(PagePicture(), nullptr);
    EXPECT_EQ(SplashPicture(), nullptr);
}

} // namespace
