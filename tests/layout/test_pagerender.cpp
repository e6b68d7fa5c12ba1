// Page rendering probed pixel by pixel: background, seams, edges, pages, glyphs, welcome picture.
#include "images/bookpicture.h"
#include "images/canvas.h"
#include "layout/bookbackground.h"
#include "layout/layoutengine.h"
#include "layout/pagegeometry.h"
#include "layout/pagerenderer.h"
#include "layout/readingcomposer.h"
#include "layout/textmetrics.h"

#include "layouttestsupport.h"
#include "settings/parablock.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr COLORREF kPaper = RGBRef(250, 240, 220);
constexpr COLORREF kCover = RGBRef(0, 100, 200);
constexpr COLORREF kDesk = RGBRef(30, 60, 90);
constexpr COLORREF kEdge = RGBRef(1, 2, 3);

QRgb Rgb(COLORREF c)
{
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

QRgb Scaled(COLORREF c, int percent)
{
    return qRgb(RedOf(c) * percent / 100, GreenOf(c) * percent / 100, BlueOf(c) * percent / 100);
}

// Pixels clearly darker than the paper: ink.
int InkIn(const QImage& image, const QRect& r)
{
    int count = 0;
    const QRect c = r.intersected(image.rect());
    for (int y = c.top(); y <= c.bottom(); ++y)
        for (int x = c.left(); x <= c.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ++count;
    return count;
}

QRect InkBox(const QImage& image, const QRect& r)
{
    QRect box;
    const QRect c = r.intersected(image.rect());
    for (int y = c.top(); y <= c.bottom(); ++y)
        for (int x = c.left(); x <= c.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

class PageRender : public LayoutTest
{
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        StartEngineWithPinnedFont();
        SetInt(PARA_FONT_BOLD, 0);
        SetInt(PARA_LINE_PERCENT, 5);
        SetInt(PARA_MARGIN_LEFT, 60);
        SetInt(PARA_MARGIN_TOP, 40);
        SetInt(PARA_COVER_MARGIN, 15);
        // Plain colours, so every probe knows its expected value exactly.
        SetInt(PARA_TEXT_BG_IMAGE, -1);
        SetInt(PARA_COVER_IMAGE, -1);
        SetInt(PARA_BACK_IMG, -1);
        SetInt(PARA_TEXT_BG_COLOR, static_cast<int>(kPaper));
        SetInt(PARA_COVER_COLOR, static_cast<int>(kCover));
        SetInt(PARA_BACK_COLOR, static_cast<int>(kDesk));
        SetInt(PARA_COLOR_PAGE_EDGE, static_cast<int>(kEdge));
        SetInt(PARA_TEXT_COLOR, 0);
        SetInt(PARA_TEXT_SHOW_LINE, 0);
        ASSERT_TRUE(RebuildTextMetrics());
        LoadBookPictures();
    }

    void TearDown() override
    {
        ForgetComposedBackground();
        LayoutTest::TearDown();
        RebuildTextMetrics();
        LoadBookPictures();
    }

    static QImage Background(QSize client, bool spread)
    {
        CxImage canvas;
        EXPECT_TRUE(DrawBookBackground(canvas, client, BookRect(QRect(QPoint(0, 0), client), false), spread));
        return CanvasToScreenImage(canvas);
    }

    // The view's picture of `page` for a client size, laid out as the view lays it out.
    static QImage Compose(QSize client, TextBuffer& buffer, int page, ReadingLayout* out = nullptr)
    {
        const ReadingLayout layout = LayOutReadingView(client, &buffer);
        if (out != nullptr)
            *out = layout;
        return ComposeReadingPicture(client, &buffer, layout.pageSize, layout.spread,
                                     ClampPage(page, layout.pageCount, layout.spread));
    }

    // One page of `text` drawn on white at (10, 10) in a page of `pageSize`.
    static QImage DrawText(const std::u16string& text, QSize pageSize, QRect* pageRect = nullptr)
    {
        auto buffer = MakeBuffer(text);
        buffer->Paginate(pageSize);
        QImage image(pageSize + QSize(20, 60), QImage::Format_RGB32);
        image.fill(Qt::white);
        const QRect rect(QPoint(10, 10), pageSize);
        QPainter painter(&image);
        buffer->DrawPage(0, painter, rect, 0);
        painter.end();
        if (pageRect != nullptr)
            *pageRect = rect;
        return image;
    }
};

TEST_F(PageRender, WithoutTheBookThePaperGoesEdgeToEdge)
{
    SetInt(PARA_SHOW_BOOK, 0);
    SetInt(PARA_PAGE_MIDDLE, 2);
    auto buffer = MakeBuffer(std::u16string(3000, u'书'));
    const QSize client(900, 600);
    ReadingLayout layout;
    const QImage image = Compose(client, *buffer, 0, &layout);
    ASSERT_EQ(image.size(), client);
    ASSERT_TRUE(layout.spread);
    const PagePlacement pages = PlacePages(layout.bookRect, layout.pageSize, true, false);
    // Outside the two text areas nothing but paper: no desk, cover, bevel, edges, seam or number.
    for (int y = 0; y < client.height(); ++y)
        for (int x = 0; x < client.width(); ++x)
            if (!pages.first.contains(x, y) && !pages.second.contains(x, y)) {
                ASSERT_EQ(image.pixel(x, y), Rgb(kPaper)) << x << "," << y;
            }
    EXPECT_GT(InkIn(image, pages.first), 1000);
}

TEST_F(PageRender, BlackSeamBarForOddAndEvenPageAreas)
{
    SetInt(PARA_PAGE_MIDDLE, 2);
    // Page-area width 601: a 3-pixel bar from L + CM + 300.
    QImage odd = Background(QSize(631, 400), true);
    const int y = 200;
    EXPECT_EQ(odd.pixel(15 + 299, y), Rgb(kPaper));
    for (int x = 15 + 300; x < 15 + 303; ++x)
        EXPECT_EQ(odd.pixel(x, y), qRgb(0, 0, 0)) << x;
    EXPECT_EQ(odd.pixel(15 + 303, y), Rgb(kPaper));
    // Width 600: 4 pixels from L + CM + 299, over the page area's full height only.
    QImage even = Background(QSize(630, 400), true);
    EXPECT_EQ(even.pixel(15 + 298, y), Rgb(kPaper));
    for (int x = 15 + 299; x < 15 + 303; ++x) {
        EXPECT_EQ(even.pixel(x, y), qRgb(0, 0, 0)) << x;
        EXPECT_EQ(even.pixel(x, 15), qRgb(0, 0, 0)) << x;
        EXPECT_EQ(even.pixel(x, 400 - 16), qRgb(0, 0, 0)) << x;
        EXPECT_NE(even.pixel(x, 14), qRgb(0, 0, 0)) << x;
    }
    EXPECT_EQ(even.pixel(15 + 303, y), Rgb(kPaper));
    // No bar on a single page.
    const QImage single = Background(QSize(630, 400), false);
    EXPECT_EQ(single.pixel(15 + 300, y), Rgb(kPaper));
}

TEST_F(PageRender, ShadowSeamDarkestNextToTheCentre)
{
    SetInt(PARA_PAGE_MIDDLE, 1);
    SetInt(PARA_TEXT_BG_COLOR, static_cast<int>(RGBRef(255, 255, 255)));
    const QImage image = Background(QSize(1000, 600), true);
    const int c = 500;
    const int n = 60 - 15 - 5;
    const int y = 300;
    auto red = [&](int x) { return qRed(image.pixel(x, y)); };
    // (1 - 39/60)^0.48 of 255, truncated, on both columns beside the centre.
    EXPECT_EQ(red(c - 1), 154);
    EXPECT_EQ(red(c), 154);
    for (int x = c - n; x < c - 1; ++x)
        EXPECT_GE(red(x), red(x + 1)) << x;
    for (int x = c; x < c + n - 1; ++x)
        EXPECT_LE(red(x), red(x + 1)) << x;
    EXPECT_EQ(red(c - n), 255);
    EXPECT_EQ(red(c - n - 1), 255);
    EXPECT_EQ(red(c + n - 1), 255);
    EXPECT_EQ(red(c + n), 255);
    EXPECT_LT(red(c + n - 2), 255);
    // Grey stays grey: every channel gets the same factor.
    EXPECT_EQ(qGreen(image.pixel(c, y)), 154);
    EXPECT_EQ(qBlue(image.pixel(c, y)), 154);
}

TEST_F(PageRender, PageEdgesTwoAndFourPixelsInside)
{
    SetInt(PARA_PAGE_MIDDLE, 0);
    const QImage image = Background(QSize(1000, 600), true);
    const int pl = 15;
    const int pr = 1000 - 15 - 1;
    const int y = 300;
    for (const int x : {pl, pl + 2, pl + 4, pr, pr - 2, pr - 4})
        EXPECT_EQ(image.pixel(x, y), Rgb(kEdge)) << x;
    for (const int x : {pl + 1, pl + 3, pl + 5, pr - 1, pr - 3, pr - 5})
        EXPECT_EQ(image.pixel(x, y), Rgb(kPaper)) << x;
    // The outline's top and bottom rows are the page area's own first and last rows.
    EXPECT_EQ(image.pixel(500, 15), Rgb(kEdge));
    EXPECT_EQ(image.pixel(500, 600 - 16), Rgb(kEdge));
    EXPECT_EQ(image.pixel(500, 16), Rgb(kPaper));
    EXPECT_NE(image.pixel(500, 14), Rgb(kEdge));
}

TEST_F(PageRender, DeskCoverBevelAndSpine)
{
    // A single 400-pixel book centred on an 800-pixel desk.
    SetInt(PARA_SHOW_MODE, 1);
    SetInt(PARA_SINGLE_WIDTH, 400);
    const QImage single = Background(QSize(800, 600), false);
    EXPECT_EQ(single.pixel(10, 300), Rgb(kDesk));
    EXPECT_EQ(single.pixel(795, 10), Rgb(kDesk));
    // Three 2-pixel frames from the book's edge inwards: 50 %, 60 %, 80 %, then plain cover.
    EXPECT_EQ(single.pixel(200, 300), Scaled(kCover, 50));
    EXPECT_EQ(single.pixel(203, 300), Scaled(kCover, 60));
    EXPECT_EQ(single.pixel(205, 300), Scaled(kCover, 80));
    EXPECT_EQ(single.pixel(206, 300), Rgb(kCover));
    EXPECT_EQ(single.pixel(599, 300), Scaled(kCover, 50));
    EXPECT_EQ(single.pixel(400, 0), Scaled(kCover, 50));
    EXPECT_EQ(single.pixel(400, 599), Scaled(kCover, 50));
    // Corners are darkened once per frame, like the sides.
    EXPECT_EQ(single.pixel(200, 0), Scaled(kCover, 50));

    // A spread fills the client: no desk; the spine darkens the cover bands at the centre.
    SetInt(PARA_SHOW_MODE, 0);
    const QImage spread = Background(QSize(800, 600), true);
    EXPECT_EQ(spread.pixel(300, 10), Rgb(kCover));
    EXPECT_EQ(spread.pixel(400, 10), Scaled(kCover, 70));
    EXPECT_EQ(spread.pixel(400, 590), Scaled(kCover, 70));
    const QRgb outer = spread.pixel(400 - 60 + 3, 10);
    EXPECT_EQ(qBlue(outer), BlueOf(kCover) * 70 / 100 * 60 / 100);
    EXPECT_EQ(spread.pixel(400 - 61, 10), Rgb(kCover));
}

TEST_F(PageRender, DeskAndCoverTexturesKeepTheirPhaseAroundWhatCoversThem)
{
    SetInt(PARA_COVER_IMAGE, 2);
    SetInt(PARA_BACK_IMG, 5);
    SetInt(PARA_SHOW_MODE, 1);
    SetInt(PARA_SINGLE_WIDTH, 500);
    LoadBookPictures();
    ASSERT_NE(CoverPicture(), nullptr);
    ASSERT_NE(DeskPicture(), nullptr);
    const QSize client(900, 700);
    const QRect book = BookRect(QRect(QPoint(0, 0), client), false);
    const QImage image = Background(client, false);
    // The whole surfaces tiled in one piece, as a reference.
    CxImage desk;
    desk.Create(client.width(), client.height(), 24);
    TileImage(desk, *DeskPicture(), ScreenToStored(desk, ImageRect::FromQRect(QRect(QPoint(0, 0), client))));
    CxImage cover;
    cover.Create(client.width(), client.height(), 24);
    TileImage(cover, *CoverPicture(), ScreenToStored(cover, ImageRect::FromQRect(book)));
    const QImage deskRef = CanvasToScreenImage(desk);
    const QImage coverRef = CanvasToScreenImage(cover);
    for (const QPoint p : {QPoint(10, 10), QPoint(150, 690), QPoint(book.right() + 40, 350)})
        EXPECT_EQ(image.pixel(p), deskRef.pixel(p)) << p.x() << "," << p.y();
    // Cover bands beside the bevel: top, bottom, left, right.
    for (const QPoint p : {QPoint(book.left() + 100, 9), QPoint(book.left() + 300, 700 - 9),
                           QPoint(book.left() + 9, 400), QPoint(book.right() - 8, 123)})
        EXPECT_EQ(image.pixel(p), coverRef.pixel(p)) << p.x() << "," << p.y();
}

TEST_F(PageRender, PlainFallbackWithoutACanvas)
{
    QImage image(600, 300, QImage::Format_RGB32);
    DrawPlainBackground(image, QRect(0, 0, 600, 300), true);
    EXPECT_EQ(image.pixel(5, 5), qRgb(0, 0, 128));
    EXPECT_EQ(image.pixel(100, 100), qRgb(255, 255, 255));
    // Page area 570 wide: the 4-pixel bar from 15 + 284.
    EXPECT_EQ(image.pixel(15 + 284, 100), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(15 + 287, 100), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(15 + 288, 100), qRgb(255, 255, 255));
    SetInt(PARA_SHOW_BOOK, 0);
    DrawPlainBackground(image, QRect(0, 0, 600, 300), true);
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(15 + 285, 100), qRgb(255, 255, 255));
}

TEST_F(PageRender, LastSpreadOfAnOddCountLeavesTheOtherPageBlank)
{
    SetInt(PARA_TEXT_SHOW_LINE, 1);
    SetInt(PARA_TEXT_LINE_COLOR, 0);
    const QSize client(1000, 600);
    std::u16string text;
    for (int i = 0; i < 30; ++i)
        text += u"天地玄黄\r";
    for (const bool vertical : {false, true}) {
        SetInt(PARA_VERTICAL_LINE, vertical ? 1 : 0);
        ASSERT_TRUE(RebuildTextMetrics());
        auto buffer = MakeBuffer(text);
        ReadingLayout layout;
        Compose(client, *buffer, 0, &layout);
        ASSERT_TRUE(layout.spread);
        ASSERT_EQ(layout.pageCount % 2, 1) << vertical;
        const int last = layout.pageCount - 1;
        const QImage image = Compose(client, *buffer, last);
        const PagePlacement pages = PlacePages(layout.bookRect, layout.pageSize, true, vertical);
        // The page shown is left in horizontal writing, right in vertical; with its number below.
        EXPECT_EQ(pages.first.left() < pages.second.left(), !vertical);
        EXPECT_GT(InkIn(image, pages.first), 0);
        const QRect firstNumber(pages.first.left(), pages.first.bottom() + 5, pages.first.width(), 30);
        EXPECT_GT(InkIn(image, firstNumber), 0);
        // Its neighbour: neither text, nor ruled lines, nor a number.
        const QRect blank(pages.second.left(), pages.second.top(), pages.second.width(),
                          pages.second.height() + 25);
        EXPECT_EQ(InkIn(image, blank), 0) << vertical;
    }
}

TEST_F(PageRender, VerticalBracketsDrawTheirVerticalFormsDownOneColumn)
{
    SetInt(PARA_VERTICAL_LINE, 1);
    ASSERT_TRUE(RebuildTextMetrics());
    const int cell = CellSize();
    const QSize page(cell * 4, cell * 6);
    QRect rect;
    const QImage drawn = DrawText(u"\u300A\u4E66\u300B", page, &rect);
    const QImage forms = DrawText(u"\uFE3D\u4E66\uFE3E", page);
    const QImage horizontal = DrawText(u"\u300A\u4E66\u300A", page);
    EXPECT_EQ(drawn, forms);
    EXPECT_NE(drawn, horizontal);
    // All ink in the first column (centred on right - cell), one cell per character from the top.
    const int centre = rect.right() + 1 - cell;
    const QRect column(centre - cell / 2 - 1, rect.top(), cell + 2, 3 * cell);
    EXPECT_EQ(InkIn(drawn, rect), InkIn(drawn, column));
    for (int k = 0; k < 3; ++k)
        EXPECT_GT(InkIn(drawn, QRect(column.left(), rect.top() + k * cell, column.width(), cell)), 0) << k;
}

TEST_F(PageRender, TurnedCharacterSitsCentredInItsCell)
{
    SetInt(PARA_VERTICAL_LINE, 1);
    ASSERT_TRUE(RebuildTextMetrics());
    const int cell = CellSize();
    QRect rect;
    const QImage image = DrawText(u"\uFF1D", QSize(cell * 4, cell * 4), &rect);
    const QRect box = InkBox(image, rect);
    ASSERT_FALSE(box.isEmpty());
    // "=" turned is two vertical bars: taller than wide, centred on the cell within two pixels.
    EXPECT_GT(box.height(), box.width());
    const QPointF cellCentre(rect.right() + 1 - cell, rect.top() + cell / 2.0);
    EXPECT_LE(std::abs(box.center().x() + 0.5 - cellCentre.x()), 2.0);
    EXPECT_LE(std::abs(box.center().y() + 0.5 - cellCentre.y()), 2.0);
}

TEST_F(PageRender, CjkGlyphIsReallyDrawnWithTheDefaultFont)
{
    SetString(PARA_TXT_FONT_NAME, QString());
    ASSERT_TRUE(RebuildTextMetrics());
    const int cell = CellSize();
    const QSize page(cell * 4, LinePitch() * 2);
    QRect rect;
    const QImage shu = DrawText(u"\u4E66", page, &rect);
    const QImage zhong = DrawText(u"\u4E2D", page);
    const QRect glyph(rect.left(), rect.top(), Advance(u'\u4E66'), LinePitch());
    // Real strokes, different for different characters: a missing-glyph box would look the same.
    EXPECT_GT(InkIn(shu, glyph), cell * cell / 12);
    EXPECT_NE(shu, zhong);
    // A character beyond the BMP is drawn from its surrogate pair as one glyph, not two boxes.
    const QImage pair = DrawText(u"\U00020BB7", page);
    const QImage lone = DrawText(u"\xD842", page);
    EXPECT_GT(InkIn(pair, glyph), cell * cell / 12);
    EXPECT_NE(pair, lone);
    EXPECT_EQ(InkIn(pair, QRect(glyph.right() + 2, rect.top(), cell * 2, LinePitch())), 0);
}

TEST_F(PageRender, DrawingTakesExactlyThePaginatedUnits)
{
    std::u16string text;
    for (int i = 0; i < 400; ++i) {
        text += u"天地玄黄，宇宙洪荒。《书》曰：\U00020BB7=~…";
        text += (i % 7 == 0) ? u"\r\r" : u"abc W ";
    }
    for (const int rules : {0, 1})
        for (const bool vertical : {false, true}) {
            SetInt(PARA_LINE_BREAK_RULES, rules);
            SetInt(PARA_VERTICAL_LINE, vertical ? 1 : 0);
            ASSERT_TRUE(RebuildTextMetrics());
            auto buffer = MakeBuffer(text);
            const QSize pageSize(CellSize() * 9 + 7, LinePitch() * 5 + 3);
            const int pages = buffer->Paginate(pageSize);
            ASSERT_GT(pages, 10);
            QImage image(pageSize + QSize(40, 40), QImage::Format_RGB32);
            QPainter painter(&image);
            for (int p = 0; p < pages; ++p) {
                const std::int32_t next = p + 1 < pages ? buffer->PageStart(p + 1) : buffer->Length();
                EXPECT_EQ(buffer->DrawPage(p, painter, QRect(QPoint(5, 5), pageSize), 3),
                          next - buffer->PageStart(p))
                    << vertical << " rules " << rules << " page " << p;
            }
            EXPECT_EQ(buffer->DrawPage(pages, painter, QRect(QPoint(5, 5), pageSize), 3), 0);
            EXPECT_EQ(buffer->DrawPage(-1, painter, QRect(QPoint(5, 5), pageSize), 3), 0);
            EXPECT_EQ(buffer->DrawPage(0, painter, QRect(5, 5, CellSize(), 2), 3), 0);
        }
}

TEST_F(PageRender, KeptBackgroundFollowsSettingsAndPictures)
{
    auto buffer = MakeBuffer(u"书");
    const QSize client(700, 500);
    EXPECT_EQ(Compose(client, *buffer, 0).pixel(30, 250), Rgb(kPaper));
    SetInt(PARA_TEXT_BG_COLOR, static_cast<int>(RGBRef(10, 20, 30)));
    EXPECT_EQ(Compose(client, *buffer, 0).pixel(30, 250), qRgb(10, 20, 30));
    // A page picture chosen and loaded under the same client size shows up at once.
    SetInt(PARA_TEXT_BG_IMAGE, 3);
    LoadBookPictures();
    ASSERT_NE(PagePicture(), nullptr);
    const QImage pictured = Compose(client, *buffer, 0);
    const RgbQuad p = PagePicture()->PixelAt(1, 1);
    // The picture tiles from the page area's bottom-left corner (row 484, inside the edge lines).
    EXPECT_EQ(pictured.pixel(16, 483), qRgb(p.red, p.green, p.blue));
    // Reloading another picture under the same setting must not show a stale picture.
    SetInt(PARA_TEXT_BG_IMAGE, 7);
    LoadBookPictures();
    const RgbQuad q = PagePicture()->PixelAt(1, 1);
    ASSERT_NE(q, p);
    EXPECT_EQ(Compose(client, *buffer, 0).pixel(16, 483), qRgb(q.red, q.green, q.blue));
}

TEST_F(PageRender, HeldPicturesAreNotOverwrittenByTheNext)
{
    std::u16string text;
    for (int i = 0; i < 4000; ++i)
        text += static_cast<char16_t>(0x4E00 + (i * 37) % 5000);
    auto buffer = MakeBuffer(text);
    const QSize client(800, 500);
    std::vector<QImage> copies;
    {
        // A page turn holds the old picture while it composes the new one; hold more than that.
        std::vector<QImage> held;
        for (int page = 0; page < 10; page += 2) {
            held.push_back(Compose(client, *buffer, page));
            copies.push_back(held.back().copy());
        }
        for (std::size_t i = 0; i < held.size(); ++i) {
            EXPECT_EQ(held[i], copies[i]) << i;
            if (i > 0) {
                EXPECT_NE(copies[i], copies[i - 1]) << i;
            }
        }
    }
    // All let go: composing again reuses memory and still draws the right pages.
    for (std::size_t i = 0; i < copies.size(); ++i)
        EXPECT_EQ(Compose(client, *buffer, static_cast<int>(i) * 2), copies[i]) << i;
}

TEST_F(PageRender, SmallerClientOnAKeptCanvasDrawsAsOnAFreshOne)
{
    SetInt(PARA_COVER_IMAGE, 2);
    SetInt(PARA_BACK_IMG, 5);
    SetInt(PARA_TEXT_BG_IMAGE, 3);
    SetInt(PARA_PAGE_MIDDLE, 1);
    LoadBookPictures();
    auto buffer = MakeBuffer(std::u16string(3000, u'书'));
    for (const int mode : {0, 1}) {
        SetInt(PARA_SHOW_MODE, mode);
        SetInt(PARA_SINGLE_WIDTH, 500);
        Compose(QSize(1000, 800), *buffer, 0);
        const QImage reused = Compose(QSize(760, 530), *buffer, 0);
        ForgetComposedBackground();
        const QImage fresh = Compose(QSize(760, 530), *buffer, 0);
        EXPECT_EQ(reused, fresh) << mode;
    }
}

TEST_F(PageRender, WelcomePictureCentredOneRowHigherOnBlack)
{
    ASSERT_NE(SplashPicture(), nullptr);
    const CxImage& splash = *SplashPicture();
    const QSize client(splash.Width() + 101, splash.Height() + 60);
    const QImage image = ComposeReadingPicture(client, nullptr, QSize(), false, 0);
    ASSERT_EQ(image.size(), client);
    const int x0 = 50;
    const int y0 = 30 - 1;
    const RgbQuad topLeft = splash.PixelAt(0, splash.Height() - 1);
    const RgbQuad bottomRight = splash.PixelAt(splash.Width() - 1, 0);
    EXPECT_EQ(image.pixel(x0, y0), qRgb(topLeft.red, topLeft.green, topLeft.blue));
    EXPECT_EQ(image.pixel(x0 + splash.Width() - 1, y0 + splash.Height() - 1),
              qRgb(bottomRight.red, bottomRight.green, bottomRight.blue));
    EXPECT_EQ(image.pixel(x0 - 1, 60), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(x0 + splash.Width(), 60), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(100, y0 - 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(100, y0 + splash.Height()), qRgb(0, 0, 0));
    // A smaller client shows the picture's top-left part from the corner.
    const QImage small = ComposeReadingPicture(QSize(100, 50), nullptr, QSize(), false, 0);
    EXPECT_EQ(small.pixel(0, 0), qRgb(topLeft.red, topLeft.green, topLeft.blue));
    // No picture: black.
    FreeBuiltinPictures();
    const QImage black = ComposeReadingPicture(client, nullptr, QSize(), false, 0);
    EXPECT_EQ(black.pixel(x0 + 10, y0 + 10), qRgb(0, 0, 0));
    // A refused size composes nothing rather than exhaust memory.
    EXPECT_TRUE(ComposeReadingPicture(QSize(40000, 40000), nullptr, QSize(), false, 0).isNull());
}

} // namespace

TEST_F(PageRender, UnitWiderThanTheLineIsDrawnClippedToThePage)
{
    const int cell = CellSize();
    ASSERT_GT(Advance(u'\u2E3A'), cell);
    const QSize page(cell, LinePitch() * 3);
    QRect rect;
    auto buffer = MakeBuffer(u"\u4E66\u2E3A\u4E66\u4E66");
    ASSERT_EQ(buffer->Paginate(page), 2);
    const QImage image = DrawText(u"\u4E66\u2E3A\u4E66\u4E66", page, &rect);
    EXPECT_GT(InkIn(image, QRect(rect.left(), rect.top() + LinePitch(), cell, LinePitch())), 0);
    EXPECT_EQ(InkIn(image, QRect(rect.right() + 1, 0, image.width(), image.height())), 0);
}

TEST_F(PageRender, HangingClosingMarkIsDrawnInTheCellPastTheLine)
{
    // Three cells a line; the comma after them hangs, even on a page that clips a too-wide unit.
    SetInt(PARA_LINE_BREAK_RULES, 1);
    SetInt(PARA_TEXT_SHOW_LINE, 0);
    const int cell = CellSize();
    const QSize page(cell * 3, LinePitch() * 3);
    QRect rect;
    const QImage image = DrawText(u"\u4E66\u4E66\u4E66\uFF0C\u4E66\u2E3A", page, &rect);
    EXPECT_GT(InkIn(image, QRect(rect.right() + 1, rect.top(), cell, LinePitch())), 0);
    // Nothing reaches past the hanging cell.
    EXPECT_EQ(InkIn(image, QRect(rect.right() + 1 + cell, 0, image.width(), image.height())), 0);
}

TEST_F(PageRender, RuledLinesStayBetweenTheLinesAtEveryLineHeight)
{
    constexpr COLORREF kRule = RGBRef(255, 0, 0);
    SetInt(PARA_TEXT_LINE_COLOR, static_cast<int>(kRule));
    const std::u16string line = u"\u56FD\u9F98\u4E66\u6C38\u9EBB\u7FBD";
    for (const int percent : {0, 1, 3, 10}) {
        for (const bool vertical : {false, true}) {
            SetInt(PARA_LINE_PERCENT, percent);
            SetInt(PARA_VERTICAL_LINE, vertical ? 1 : 0);
            ASSERT_TRUE(RebuildTextMetrics());
            const int lines = 4;
            const QSize page = vertical ? QSize(LinePitch() * lines, CellSize() * 8)
                                        : QSize(CellSize() * 8, LinePitch() * lines);
            std::u16string text;
            for (int i = 0; i < lines; ++i)
                text += line + u"\r";
            SetInt(PARA_TEXT_SHOW_LINE, 0);
            const QImage plain = DrawText(text, page);
            SetInt(PARA_TEXT_SHOW_LINE, 1);
            const QImage ruled = DrawText(text, page);
            // Rows (columns, counted from the right, in vertical writing) holding ink and rules.
            const int across = vertical ? plain.width() : plain.height();
            const int along = vertical ? plain.height() : plain.width();
            std::vector<bool> ink(static_cast<std::size_t>(across), false);
            std::vector<int> rules;
            for (int i = 0; i < across; ++i) {
                bool rule = false;
                for (int j = 0; j < along; ++j) {
                    const QPoint at = vertical ? QPoint(plain.width() - 1 - i, j) : QPoint(j, i);
                    if (qGray(plain.pixel(at)) < 200)
                        ink[static_cast<std::size_t>(i)] = true;
                    rule = rule || ruled.pixel(at) == Rgb(kRule);
                }
                if (rule)
                    rules.push_back(i);
            }
            // The rules between the lines: clear of ink, each after the ink of its own line.
            ASSERT_GE(rules.size(), static_cast<std::size_t>(lines - 1)) << percent << " " << vertical;
            const auto firstInk = std::find(ink.begin(), ink.end(), true) - ink.begin();
            EXPECT_GT(rules[0], firstInk) << percent << " " << vertical;
            for (int k = 0; k + 1 < lines; ++k)
                EXPECT_FALSE(ink[static_cast<std::size_t>(rules[static_cast<std::size_t>(k)])])
                    << "percent index " << percent << " vertical " << vertical << " rule " << k;
        }
    }
}

TEST_F(PageRender, PainterPathDrawsTheGlyphsOfTheDirectBlendWhereItDoes)
{
    // A clip sends the glyphs through the painter, as a page with a too-wide unit does; a clip
    // covering the whole picture must draw the same glyphs in the same places. Two differences are
    // the painter's own: it blends text coverage gamma-corrected where the direct blend is linear,
    // so a value differs, but as one fixed, never falling function of the direct value; and it
    // places vertical writing's half-advance positions between pixels where the direct blend
    // rounds them, so there ink may move by a pixel.
    std::u16string text;
    for (int i = 0; i < 12; ++i)
        text += u"\u5929\u5730\u7384\u9EC4\uFF0C\u5B87\u5B99\u6D2A\u8352\u3002Latin gjpqy "
                u"0123\u201C\u4E66\u201D\r\n";
    const QSize pageSize(420, 300);
    for (const int vertical : {0, 1}) {
        SCOPED_TRACE(vertical);
        SetInt(PARA_VERTICAL_LINE, vertical);
        ASSERT_TRUE(RebuildTextMetrics());
        auto buffer = MakeBuffer(text);
        buffer->Paginate(pageSize);
        QImage pictures[2];
        for (const bool clipped : {false, true}) {
            QImage& image = pictures[clipped ? 1 : 0];
            image = QImage(pageSize + QSize(20, 60), QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            if (clipped)
                painter.setClipRect(image.rect());
            buffer->DrawPage(0, painter, QRect(QPoint(10, 10), pageSize), 0);
        }
        const QImage& direct = pictures[0];
        const QImage& painted = pictures[1];
        ASSERT_GT(InkIn(direct, direct.rect()), 5000);
        EXPECT_EQ(InkBox(direct, direct.rect()), InkBox(painted, painted.rect()));
        if (vertical == 0) {
            std::array<int, 256> painterValue;
            painterValue.fill(-1);
            int mismatches = 0;
            for (int y = 0; y < direct.height(); ++y)
                for (int x = 0; x < direct.width(); ++x) {
                    int& seen = painterValue[static_cast<std::size_t>(qRed(direct.pixel(x, y)))];
                    const int value = qRed(painted.pixel(x, y));
                    mismatches += seen >= 0 && seen != value;
                    seen = value;
                }
            EXPECT_EQ(mismatches, 0);
            EXPECT_EQ(painterValue[255], 255);
            int last = -1;
            for (const int value : painterValue) {
                if (value >= 0) {
                    EXPECT_GE(value, last);
                    last = value;
                }
            }
            continue;
        }
        // Every inked pixel of either picture has ink within a pixel in the other.
        auto inkNear = [](const QImage& image, int x, int y) {
            return InkIn(image, QRect(x - 1, y - 1, 3, 3)) > 0;
        };
        int strays = 0;
        for (int y = 0; y < direct.height(); ++y)
            for (int x = 0; x < direct.width(); ++x) {
                if (qGray(direct.pixel(x, y)) < 128 && !inkNear(painted, x, y))
                    ++strays;
                if (qGray(painted.pixel(x, y)) < 128 && !inkNear(direct, x, y))
                    ++strays;
            }
        EXPECT_EQ(strays, 0);
    }
}
