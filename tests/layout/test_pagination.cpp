// Pagination of a TextBuffer through the installed layout engine, and the page queries.
#include "layout/layoutengine.h"
#include "layout/pagegeometry.h"
#include "layout/textmetrics.h"

#include "layouttestsupport.h"
#include "settings/parablock.h"

#include <vector>

class Pagination : public LayoutTest
{
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        StartEngineWithPinnedFont();
        SetInt(PARA_LINE_PERCENT, 5);
        SetInt(PARA_MARGIN_LEFT, 40);
        SetInt(PARA_MARGIN_TOP, 40);
        SetInt(PARA_COVER_MARGIN, 15);
        ASSERT_TRUE(RebuildTextMetrics());
        ASSERT_EQ(LinePitch(), 39);
    }

    static std::vector<std::int32_t> Starts(const TextBuffer& buffer) { return buffer.Pages().Starts(); }
};

TEST_F(Pagination, EmptyLinesAndPageQueries)
{
    auto buffer = MakeBuffer(u"ab\r\rcd");
    // Two lines a page, many characters a line.
    EXPECT_EQ(buffer->Paginate(QSize(26 * 20, 39 * 2)), 2);
    EXPECT_EQ(buffer->PageCount(), 2);
    EXPECT_EQ(Starts(*buffer), (std::vector<std::int32_t>{0, 4}));
    EXPECT_EQ(buffer->PageStart(1), 4);
    EXPECT_EQ(buffer->PageStart(2), 0);
    EXPECT_EQ(buffer->PageStart(-1), 0);
    EXPECT_EQ(buffer->PageOf(0), 0);
    EXPECT_EQ(buffer->PageOf(3), 0);
    EXPECT_EQ(buffer->PageOf(4), 1);
    EXPECT_EQ(buffer->PageOf(5), 1);
    EXPECT_EQ(buffer->PageOf(6), 0);
    EXPECT_EQ(buffer->PageOf(-2), 0);
    // No pages: inside the text gives -1, which callers clamp.
    EXPECT_EQ(buffer->Paginate(QSize(0, 0)), 0);
    EXPECT_EQ(buffer->PageCount(), 0);
    EXPECT_EQ(buffer->PageOf(2), -1);
    EXPECT_EQ(buffer->PageOf(6), 0);
    EXPECT_EQ(ClampPage(buffer->PageOf(2), buffer->PageCount(), false), 0);
}

TEST_F(Pagination, SpreadOfChineseText)
{
    QSize pageSize;
    bool spread = false;
    ComputePageSize(BookRect(QRect(0, 0, 800, 600), false), &pageSize, &spread);
    ASSERT_EQ(pageSize, QSize(312, 507));
    ASSERT_TRUE(spread);
    // Twelve characters a line, thirteen lines a page.
    auto buffer = MakeBuffer(std::u16string(1000, u'书'));
    EXPECT_EQ(buffer->Paginate(pageSize), 7);
    for (int page = 0; page < 7; ++page)
        EXPECT_EQ(buffer->PageStart(page), page * 156);
    EXPECT_EQ(buffer->PageOf(999), 6);
    EXPECT_EQ(buffer->PageOf(1000), 0);
    EXPECT_EQ(ClampPage(6, 7, spread), 6);
    EXPECT_EQ(ClampPage(5, 7, spread), 4);
}

TEST_F(Pagination, VerticalWritingPaginatesColumns)
{
    SetInt(PARA_VERTICAL_LINE, 1);
    ASSERT_TRUE(RebuildTextMetrics());
    // Columns one pitch apart across the width (8), each 19 cells down the height; Latin letters
    // take a whole cell like everything else.
    auto buffer = MakeBuffer(std::u16string(500, u'书') + std::u16string(500, u'i'));
    EXPECT_EQ(buffer->Paginate(QSize(312, 507)), 7);
    for (int page = 0; page < 7; ++page)
        EXPECT_EQ(buffer->PageStart(page), page * 152);
    // A CR ends its column.
    auto paragraphs = MakeBuffer(u"书书\r书");
    EXPECT_EQ(paragraphs->Paginate(QSize(39, 507)), 2);
    EXPECT_EQ(Starts(*paragraphs), (std::vector<std::int32_t>{0, 3}));
}

TEST_F(Pagination, BadInput)
{
    // A 1x1 window: one cell a page; every character of the book still gets a page.
    QSize pageSize;
    bool spread = true;
    ComputePageSize(BookRect(QRect(0, 0, 1, 1), false), &pageSize, &spread);
    EXPECT_EQ(pageSize, QSize(26, 39));
    auto buffer = MakeBuffer(u"中文\r书");
    EXPECT_EQ(buffer->Paginate(pageSize), 3);
    EXPECT_EQ(Starts(*buffer), (std::vector<std::int32_t>{0, 1, 3}));

    // Page size 0x0 and negative sizes: no pages, and the old table is gone.
    EXPECT_EQ(buffer->Paginate(QSize(0, 0)), 0);
    EXPECT_EQ(buffer->Paginate(QSize(-5, -5)), 0);
    EXPECT_EQ(buffer->PageCount(), 0);
    // Lines but no room on them.
    EXPECT_EQ(buffer->Paginate(QSize(0, 500)), 0);

    // An empty book and a buffer that never had text.
    EXPECT_EQ(MakeBuffer(u"")->Paginate(QSize(312, 507)), 0);
    TextBuffer none;
    EXPECT_EQ(none.Paginate(QSize(312, 507)), 0);
    EXPECT_EQ(none.PageOf(0), 0);
}

TEST_F(Pagination, HugeLineWithoutCr)
{
    auto buffer = MakeBuffer(std::u16string(20'000'000, u'书'));
    EXPECT_EQ(buffer->Paginate(QSize(312, 507)), (20'000'000 + 155) / 156);
    EXPECT_EQ(buffer->PageOf(19'999'999), buffer->PageCount() - 1);
}
