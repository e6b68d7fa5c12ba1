// Book rectangle, page size and spread, page clamping and percent.
#include "layout/pagegeometry.h"

#include "layouttestsupport.h"
#include "settings/parablock.h"

class PageGeometry : public LayoutTest
{
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        SetInt(PARA_MARGIN_LEFT, 40);
        SetInt(PARA_MARGIN_TOP, 40);
        SetInt(PARA_COVER_MARGIN, 15);
        SetInt(PARA_SHOW_MODE, 0);
        SetInt(PARA_SHOW_BOOK, 1);
    }

    // Page size for a book rectangle with a 26-pixel cell and a 39-pixel pitch.
    static std::pair<QSize, bool> Compute(const QRect& book, QSize start = {}, bool spread = false)
    {
        ComputePageSizeFor(book, 26, 39, &start, &spread);
        return {start, spread};
    }
};

TEST_F(PageGeometry, SpreadAndSinglePage)
{
    EXPECT_EQ(Compute(QRect(0, 0, 800, 600)), std::make_pair(QSize(312, 507), true));
    // Taller than wide, or exactly square: one page, full width less both margins.
    EXPECT_EQ(Compute(QRect(0, 0, 600, 800)), std::make_pair(QSize(520, 702), false));
    EXPECT_EQ(Compute(QRect(0, 0, 600, 600), {}, true), std::make_pair(QSize(520, 507), false));
    SetInt(PARA_SHOW_MODE, 1);
    EXPECT_EQ(Compute(QRect(0, 0, 800, 600), {}, true), std::make_pair(QSize(702, 507), false));
    // Without the book the top margin goes.
    SetInt(PARA_SHOW_BOOK, 0);
    EXPECT_EQ(Compute(QRect(0, 0, 800, 600)), std::make_pair(QSize(702, 585), false));
}

TEST_F(PageGeometry, DegenerateRectangles)
{
    // Empty: nothing changes, spread flag included.
    EXPECT_EQ(Compute(QRect(0, 0, 0, 0), QSize(5, 6), true), std::make_pair(QSize(5, 6), true));
    EXPECT_EQ(Compute(QRect(10, 10, 0, 300), QSize(5, 6), false), std::make_pair(QSize(5, 6), false));
    // No wider than a cell or no taller than a line: one cell, spread kept.
    EXPECT_EQ(Compute(QRect(0, 0, 1, 1), {}, true), std::make_pair(QSize(26, 39), true));
    EXPECT_EQ(Compute(QRect(0, 0, 800, 39)), std::make_pair(QSize(26, 39), false));
    // Margins wider than the book still leave one character on one line.
    SetInt(PARA_MARGIN_LEFT, 500);
    SetInt(PARA_MARGIN_TOP, 500);
    EXPECT_EQ(Compute(QRect(0, 0, 800, 600)), std::make_pair(QSize(26, 39), true));
    // Hostile margins never make a page larger than the book.
    SetInt(PARA_MARGIN_LEFT, -1000000);
    SetInt(PARA_MARGIN_TOP, -2000000000);
    SetInt(PARA_COVER_MARGIN, 2000000000);
    const auto [size, spread] = Compute(QRect(0, 0, 800, 600));
    EXPECT_LE(size.width(), 800);
    EXPECT_LE(size.height(), 600);
    EXPECT_EQ(size.width() % 26, 0);
    EXPECT_EQ(size.height() % 39, 0);
}

TEST_F(PageGeometry, BookRectForReadingAndEditView)
{
    const QRect client(0, 0, 1000, 700);
    EXPECT_EQ(BookRect(client, false), client);
    EXPECT_EQ(BookRect(client, true), client);
    SetInt(PARA_SHOW_MODE, 1);
    SetInt(PARA_SINGLE_WIDTH, 600);
    EXPECT_EQ(BookRect(client, false), QRect(200, 0, 600, 700));
    EXPECT_EQ(BookRect(client, true), QRect(200, 0, 600, 700));
    // Book as wide as the window: the reading view keeps it, the edit view insets it by 50.
    SetInt(PARA_SINGLE_WIDTH, 1000);
    EXPECT_EQ(BookRect(client, false), client);
    EXPECT_EQ(BookRect(client, true), QRect(50, 0, 900, 700));
    SetInt(PARA_SINGLE_WIDTH, 950);
    EXPECT_EQ(BookRect(client, false), QRect(25, 0, 950, 700));
    EXPECT_EQ(BookRect(client, true), QRect(50, 0, 900, 700));
    // A window narrower than the two insets gives an empty book, which page sizing ignores.
    EXPECT_TRUE(BookRect(QRect(0, 0, 60, 700), true).isEmpty());
    // A width set to 0 while running never leaves a book with no room for text.
    SetInt(PARA_SINGLE_WIDTH, 0);
    EXPECT_EQ(BookRect(client, false), QRect(400, 0, 200, 700));
}

TEST(PageClamp, ClampAndPercent)
{
    EXPECT_EQ(ClampPage(7, 8, true), 6);
    EXPECT_EQ(ClampPage(7, 8, false), 7);
    EXPECT_EQ(ClampPage(-3, 8, false), 0);
    EXPECT_EQ(ClampPage(-3, 8, true), 0);
    EXPECT_EQ(ClampPage(20, 8, false), 7);
    EXPECT_EQ(ClampPage(20, 7, true), 6);
    EXPECT_EQ(ClampPage(3, 0, true), 0);
    EXPECT_DOUBLE_EQ(PagePercent(0, 4), 25.0);
    EXPECT_DOUBLE_EQ(PagePercent(2, 3), 100.0);
    EXPECT_DOUBLE_EQ(PagePercent(0, 0), 0.0);
}
