// Pages composed for a 200 % screen: twice the pixels, sharp glyph edges, the 1x layout.
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
#include <vector>

namespace {

constexpr COLORREF kRule = RGBRef(255, 0, 0);

class HighDensity : public LayoutTest
{
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        StartEngineWithPinnedFont();
        SetInt(PARA_FONT_BOLD, 0);
        SetInt(PARA_MARGIN_LEFT, 60);
        SetInt(PARA_MARGIN_TOP, 40);
        SetInt(PARA_COVER_MARGIN, 15);
        SetInt(PARA_TEXT_BG_IMAGE, -1);
        SetInt(PARA_TEXT_BG_COLOR, static_cast<int>(RGBRef(255, 255, 255)));
        SetInt(PARA_TEXT_COLOR, 0);
        SetInt(PARA_TEXT_SHOW_LINE, 1);
        SetInt(PARA_TEXT_LINE_COLOR, static_cast<int>(kRule));
    }

    void TearDown() override
    {
        ForgetComposedBackground();
        LayoutTest::TearDown();
        RebuildTextMetrics();
        LoadBookPictures();
    }
};

bool IsGrey(QRgb p)
{
    return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
}

// Among the grey pixels of `r` touched by ink, the share neither paper nor full ink: the blur of the
// glyph edges.
double EdgeBlur(const QImage& image, const QRect& r)
{
    long long inked = 0;
    long long between = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (!IsGrey(p) || qGray(p) >= 215)
                continue;
            ++inked;
            between += qGray(p) > 40 ? 1 : 0;
        }
    return inked > 0 ? static_cast<double>(between) / static_cast<double>(inked) : 1.0;
}

// Each 2x2 block of a 2x picture averaged into one pixel.
QImage HalfSize(const QImage& image)
{
    QImage out(image.width() / 2, image.height() / 2, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            int r = 0, g = 0, b = 0;
            for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
                const QRgb p = image.pixel(2 * x + d.x(), 2 * y + d.y());
                r += qRed(p);
                g += qGreen(p);
                b += qBlue(p);
            }
            out.setPixel(x, y, qRgb(r / 4, g / 4, b / 4));
        }
    return out;
}

std::vector<bool> InkMask(const QImage& image)
{
    std::vector<bool> mask(static_cast<std::size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            mask[static_cast<std::size_t>(y) * image.width() + x] = IsGrey(p) && qGray(p) < 128;
        }
    return mask;
}

// The share of ink pixels of `a` with ink of `b` at most one pixel away, within `r`.
double InkMatched(const std::vector<bool>& a, const std::vector<bool>& b, int width, const QRect& r)
{
    long long ink = 0;
    long long matched = 0;
    for (int y = r.top() + 1; y < r.bottom(); ++y)
        for (int x = r.left() + 1; x < r.right(); ++x) {
            if (!a[static_cast<std::size_t>(y) * width + x])
                continue;
            ++ink;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = b[static_cast<std::size_t>(y + dy) * width + x + dx];
            matched += near ? 1 : 0;
        }
    return ink > 0 ? static_cast<double>(matched) / static_cast<double>(ink) : 0.0;
}

long long CountOf(const QImage& image, QRgb colour)
{
    long long n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour ? 1 : 0;
    return n;
}

} // namespace

TEST_F(HighDensity, TwiceThePixelsSharpEdgesAndTheSameLayout)
{
    struct Case
    {
        const char* name;
        bool vertical;
        QSize client;
        bool spread;
    };
    const Case cases[] = {
        {"horizontal, single page", false, {700, 800}, false},
        {"horizontal, spread", false, {1200, 700}, true},
        {"vertical, single page", true, {700, 800}, false},
        {"vertical, spread", true, {1200, 700}, true},
    };
    std::u16string text;
    for (int i = 0; i < 120; ++i)
        text += u"天地玄黄，宇宙洪荒。日月盈昃，辰宿列张。《千字文》曰：寒来暑往，秋收冬藏。abc W\r";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetInt(PARA_VERTICAL_LINE, c.vertical ? 1 : 0);
        ASSERT_TRUE(RebuildTextMetrics());
        LoadBookPictures();
        auto buffer = MakeBuffer(text);
        const ReadingLayout layout = LayOutReadingView(c.client, buffer.get());
        ASSERT_EQ(layout.spread, c.spread);
        ASSERT_GT(layout.pageCount, 3);
        std::vector<std::int32_t> starts;
        for (int p = 0; p < layout.pageCount; ++p)
            starts.push_back(buffer->PageStart(p));

        const QImage one = ComposeReadingPicture(c.client, buffer.get(), layout.pageSize, layout.spread, 0, 1)
                               .convertToFormat(QImage::Format_RGB32);
        QImage two = ComposeReadingPicture(c.client, buffer.get(), layout.pageSize, layout.spread, 0, 2);
        ASSERT_EQ(two.size(), c.client * 2);
        EXPECT_EQ(two.devicePixelRatio(), 2.0);
        two = two.convertToFormat(QImage::Format_RGB32);
        two.setDevicePixelRatio(1);

        // The page table is the one of 1x, and drawing at 2x takes exactly each page's units.
        EXPECT_EQ(LayOutReadingView(c.client, buffer.get()).pageCount, layout.pageCount);
        for (int p = 0; p < layout.pageCount; ++p)
            EXPECT_EQ(buffer->PageStart(p), starts[static_cast<std::size_t>(p)]) << p;
        QImage scratch(c.client * 2, QImage::Format_RGB32);
        scratch.setDevicePixelRatio(2);
        const PagePlacement placement = PlacePages(layout.bookRect, layout.pageSize, layout.spread, c.vertical);
        {
            QPainter painter(&scratch);
            for (int p = 0; p < 3; ++p)
                EXPECT_EQ(buffer->DrawPage(p, painter, placement.first, 0),
                          starts[static_cast<std::size_t>(p) + 1] - starts[static_cast<std::size_t>(p)])
                    << p;
        }

        // Sharp: the edges of the glyphs are far less grey than the 1x picture scaled up.
        const QImage up = one.scaled(c.client * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QRect page2x(placement.first.topLeft() * 2, placement.first.size() * 2);
        const double sharp = EdgeBlur(two, page2x);
        const double blurred = EdgeBlur(up, page2x);
        EXPECT_LT(sharp, 0.7 * blurred) << sharp << " vs " << blurred;

        // In place: halved again, the ink lies where the 1x ink lies, within a pixel.
        const QImage half = HalfSize(two);
        const std::vector<bool> inkOne = InkMask(one);
        const std::vector<bool> inkHalf = InkMask(half);
        for (const QRect& page : {placement.first, placement.second}) {
            if (page.isEmpty())
                continue;
            EXPECT_GT(InkMatched(inkOne, inkHalf, one.width(), page), 0.95);
            EXPECT_GT(InkMatched(inkHalf, inkOne, one.width(), page), 0.95);
        }

        // Rules are whole device pixels: each 1x rule pixel is a 2x2 block of the rule colour.
        const QRgb rule = qRgb(255, 0, 0);
        const long long rules = CountOf(one, rule);
        EXPECT_GT(rules, 0);
        EXPECT_EQ(CountOf(two, rule), 4 * rules);

        // Away from the text the background is the 1x one, every pixel a 2x2 block.
        QRegion text;
        const int cell = CellSize();
        for (const QRect& page : {placement.first, placement.second})
            if (!page.isEmpty())
                text += page.adjusted(-cell, -cell, cell, 3 * cell);
        int differing = 0;
        for (int y = 0; y < c.client.height(); ++y)
            for (int x = 0; x < c.client.width(); ++x) {
                if (text.contains(QPoint(x, y)))
                    continue;
                const QRgb p = one.pixel(x, y);
                for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                    differing += two.pixel(2 * x + d.x(), 2 * y + d.y()) != p ? 1 : 0;
            }
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(HighDensity, WelcomePictureAndRefusedSizes)
{
    const QSize client(640, 400);
    const QImage one = ComposeReadingPicture(client, nullptr, QSize(), false, 0, 1);
    const QImage two = ComposeReadingPicture(client, nullptr, QSize(), false, 0, 2);
    ASSERT_EQ(two.size(), client * 2);
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    EXPECT_EQ(two.convertToFormat(QImage::Format_RGB32).pixel(641, 401), one.pixel(320, 200));
    // 1.5: whole pixels covering the client.
    EXPECT_EQ(DevicePixelSize(QSize(1001, 1000), 1.5), QSize(1502, 1500));
    // A client that fits at 1x can be too large at 4x.
    const QSize large(8000, 8000);
    auto buffer = MakeBuffer(u"天地玄黄");
    ASSERT_TRUE(RebuildTextMetrics());
    const ReadingLayout layout = LayOutReadingView(QSize(800, 600), buffer.get());
    EXPECT_TRUE(IsComposableSize(large));
    EXPECT_TRUE(ComposeReadingPicture(large, buffer.get(), layout.pageSize, false, 0, 4).isNull());
}
