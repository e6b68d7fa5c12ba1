// The search-hit highlight probed pixel by pixel: a tinted box behind exactly the hit's cells, in
// horizontal lines and vertical columns, the characters still drawn on top.
#include "layout/layoutengine.h"
#include "layout/pagerenderer.h"
#include "layout/textmetrics.h"

#include "layouttestsupport.h"
#include "settings/parablock.h"

#include <QPainter>

namespace {

// Where `image` differs from `base`.
QRect DiffBox(const QImage& image, const QImage& base)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != base.pixel(x, y))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

// Paper pixels inside `r` that took the tint: white under black at the highlight's opacity.
int TintedPaperIn(const QImage& image, const QImage& base, const QRect& r)
{
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (base.pixel(x, y) == qRgb(255, 255, 255) && qAbs(qRed(image.pixel(x, y)) - 175) <= 2)
                ++count;
    return count;
}

int InkIn(const QImage& image, const QRect& r)
{
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                ++count;
    return count;
}

class Highlight : public LayoutTest
{
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        StartEngineWithPinnedFont();
        SetInt(PARA_TEXT_COLOR, 0);
        SetInt(PARA_TEXT_SHOW_LINE, 0);
    }
    void TearDown() override
    {
        ThePageRenderer().SetHighlight(0, 0);
        LayoutTest::TearDown();
        RebuildTextMetrics();
    }

    // Page 0 of `text` on white at (10, 10).
    static QImage Draw(const std::u16string& text, QSize pageSize, std::int32_t offset, std::int32_t length)
    {
        auto buffer = MakeBuffer(text);
        buffer->Paginate(pageSize);
        ThePageRenderer().SetHighlight(offset, length);
        QImage image(pageSize + QSize(20, 20), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        buffer->DrawPage(0, painter, QRect(QPoint(10, 10), pageSize), 0);
        return image;
    }
};

TEST_F(Highlight, BoxCoversTheHitCellsInBothWritingModes)
{
    const std::u16string text = u"一二三四五六\r七八九十";
    for (const bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        SetInt(PARA_VERTICAL_LINE, vertical ? 1 : 0);
        ASSERT_TRUE(RebuildTextMetrics());
        const int cell = CellSize();
        const int pitch = LinePitch();
        const QSize page(cell * 8, cell * 8);
        const QImage plain = Draw(text, page, 0, 0);

        // "三四" on the first line: cells 2 and 3 along it.
        const QImage one = Draw(text, page, 2, 2);
        const QRect box = DiffBox(one, plain);
        ASSERT_TRUE(box.isValid());
        const int right = 10 + page.width();
        const QRect cells = vertical ? QRect(right - cell - cell / 2, 10 + 2 * cell, cell, 2 * cell)
                                     : QRect(10 + 2 * cell, 10, 2 * cell, pitch);
        EXPECT_TRUE(cells.contains(box))
            << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
        EXPECT_GE(vertical ? box.height() : box.width(), 2 * cell - 1);
        EXPECT_GE(vertical ? box.width() : box.height(), cell - 2);
        // Most of the box is paper taking the tint; the characters are still drawn on it.
        EXPECT_GT(TintedPaperIn(one, plain, box), box.width() * box.height() / 2);
        EXPECT_GE(InkIn(one, box), InkIn(plain, box));
        EXPECT_GT(InkIn(plain, box), 0);

        // Across the line end: the end of the first line and the start of the second.
        const QRect both = DiffBox(Draw(text, page, 5, 3), plain);
        if (vertical) {
            EXPECT_GE(both.width(), pitch + cell - 2);
            EXPECT_LE(both.top(), 10 + 1);
            EXPECT_GE(both.bottom(), 10 + 6 * cell - 2);
        } else {
            EXPECT_GE(both.height(), pitch + cell - 4);
            EXPECT_LE(both.left(), 10 + 1);
            EXPECT_GE(both.right(), 10 + 6 * cell - 2);
        }
        // A hit on no line of this page draws nothing.
        EXPECT_EQ(Draw(text, page, 40, 2), plain);
    }
}

} // namespace
