// Page-turn preparation and frame geometry, on synthetic pictures without a window.
#include "layout/pageturnanimation.h"
#include "layout/pageturncanvas.h"

#include "layouttestsupport.h"
#include "settings/parablock.h"

#include <QImage>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Every column its own colour: red and green hold x, blue tells the pictures apart.
QImage ColumnCoded(QSize size, int tag)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            row[x] = qRgb(x & 0xFF, x >> 8, tag);
    }
    return image;
}

QImage Gradient(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           qRgb((x * 7 + seed) & 0xFF, (y * 5 + seed * 3) & 0xFF, (x * y + seed) & 0xFF));
    return image;
}

struct Played
{
    std::vector<QImage> frames; // the first `keep` frames and the last one
    std::vector<int> delays;
};

Played Play(const PageTurnAnimation& turn, const QImage& before, const QImage& after, std::size_t keep = 100)
{
    Played played;
    const int count = turn.Run(before, after, [&](const QImage& frame, int delay) {
        if (played.frames.size() < keep)
            played.frames.push_back(frame.copy());
        played.delays.push_back(delay);
        return true;
    });
    EXPECT_EQ(count, static_cast<int>(played.delays.size()));
    return played;
}

int CountFrames(const PageTurnAnimation& turn, QSize size)
{
    return turn.Run(ColumnCoded(size, 1), ColumnCoded(size, 2), [](const QImage&, int) { return true; });
}

// The area rectangle of the reading view for a client of this size with a cover margin of 15.
QRect AreaFor(QSize client)
{
    return QRect(21, 15, client.width() - 42, client.height() - 30);
}

PageTurnAnimation Constructed(int mode, bool leftward, bool spread, QSize client)
{
    return PageTurnAnimation(static_cast<PageTurnMode>(mode), leftward, spread, QRect(QPoint(0, 0), client),
                             AreaFor(client), 15);
}

bool SameRect(const QImage& a, const QImage& b, const QRect& r)
{
    return a.copy(r) == b.copy(r);
}

class PageTurn : public LayoutTest
{
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        SetInt(PARA_COVER_MARGIN, 15);
        SetInt(PARA_SHOW_MODE, 0);
        SetInt(PARA_VERTICAL_LINE, 0);
        SetInt(PARA_TURN_PAGE, 8);
    }

    const QRect m_client{0, 0, 800, 600};
};

} // namespace

TEST_F(PageTurn, NothingPlaysForNoModeNoPagesOrTheSamePage)
{
    for (const int mode : {0, 11, -1, 1000}) {
        SetInt(PARA_TURN_PAGE, mode);
        const PageTurnAnimation turn = PageTurnAnimation::Prepare(10, 2, 3, false, m_client);
        EXPECT_FALSE(turn.Plays()) << mode;
        EXPECT_EQ(CountFrames(turn, m_client.size()), 0) << mode;
    }
    // Out-of-range values reaching the generator directly play nothing either.
    EXPECT_EQ(CountFrames(Constructed(0, true, false, m_client.size()), m_client.size()), 0);
    EXPECT_EQ(CountFrames(Constructed(11, true, false, m_client.size()), m_client.size()), 0);

    SetInt(PARA_TURN_PAGE, 4);
    EXPECT_FALSE(PageTurnAnimation::Prepare(0, 0, 1, false, m_client).Plays());
    EXPECT_FALSE(PageTurnAnimation::Prepare(nullptr, 0, 1, false, m_client).Plays());
    EXPECT_FALSE(PageTurnAnimation::Prepare(MakeBuffer(u"").get(), 0, 1, false, m_client).Plays());
    // Next on the last page, single and spread (both pages clamp to the same left page).
    EXPECT_FALSE(PageTurnAnimation::Prepare(5, 4, 5, false, m_client).Plays());
    EXPECT_FALSE(PageTurnAnimation::Prepare(5, 4, 6, true, m_client).Plays());
    EXPECT_FALSE(PageTurnAnimation::Prepare(6, 4, 6, true, m_client).Plays());
    EXPECT_FALSE(PageTurnAnimation::Prepare(5, 0, -1, false, m_client).Plays());
    const PageTurnAnimation last = PageTurnAnimation::Prepare(7, 4, 9, true, m_client);
    ASSERT_TRUE(last.Plays());
    EXPECT_EQ(last.FromPage(), 4);
    EXPECT_EQ(last.ToPage(), 6);
}

TEST_F(PageTurn, DirectionAreaStepAndDelay)
{
    SetInt(PARA_TURN_PAGE, 1);
    const PageTurnAnimation next = PageTurnAnimation::Prepare(10, 2, 4, true, m_client);
    ASSERT_TRUE(next.Plays());
    EXPECT_TRUE(next.Leftward());
    EXPECT_TRUE(next.Spread());
    EXPECT_EQ(next.Area(), QRect(21, 15, 758, 570));
    EXPECT_EQ(next.Step(), 758 / 18);
    EXPECT_EQ(next.DelayMs(), 3);
    EXPECT_FALSE(PageTurnAnimation::Prepare(10, 4, 2, true, m_client).Leftward());
    EXPECT_EQ(PageTurnAnimation::Prepare(10, 4, 5, false, m_client).Step(), 758 / 9);

    // Vertical books are read right to left: Next turns rightward, Previous leftward.
    SetInt(PARA_VERTICAL_LINE, 1);
    EXPECT_FALSE(PageTurnAnimation::Prepare(10, 2, 4, true, m_client).Leftward());
    EXPECT_TRUE(PageTurnAnimation::Prepare(10, 4, 2, true, m_client).Leftward());

    // A single page narrower than the window: the area follows the centred book.
    SetInt(PARA_SHOW_MODE, 1);
    SetInt(PARA_SINGLE_WIDTH, 500);
    SetInt(PARA_COVER_MARGIN, 10);
    EXPECT_EQ(PageTurnAnimation::Prepare(10, 2, 3, false, m_client).Area(),
              QRect(150 + 16, 10, 500 - 32, 580));

    const std::pair<int, int> stepDelay[] = {{0, 3}, {0, 3},  {0, 3},  {0, 2},  {5, 2},
                                             {0, 2}, {10, 2}, {20, 5}, {20, 2}, {10, 8}};
    for (int mode = 1; mode <= 10; ++mode) {
        const PageTurnAnimation turn = Constructed(mode, true, false, {600, 800});
        const int step = stepDelay[mode - 1].first == 0 ? 558 / 9 : stepDelay[mode - 1].first;
        EXPECT_EQ(turn.Step(), step) << mode;
        EXPECT_EQ(turn.DelayMs(), stepDelay[mode - 1].second) << mode;
        const Played played = Play(turn, ColumnCoded({600, 800}, 1), ColumnCoded({600, 800}, 2), 0);
        ASSERT_FALSE(played.delays.empty()) << mode;
        for (const int delay : played.delays)
            EXPECT_EQ(delay, turn.DelayMs()) << mode;
    }
}

TEST_F(PageTurn, FrameCountsPerModeForSpreadAndSinglePage)
{
    // Spread: area 758 x 570, default step 42. Single: area 558 x 770, default step 62.
    struct Expected
    {
        int mode;
        int spread;
        int single;
    };
    const Expected expected[] = {
        {1, 9 + 9, 8}, {2, 9 + 9, 8}, {3, 9 + 9, 8}, {4, 19, 10}, {5, 36, 18},
        {6, 19, 10},   {7, 75, 55},   {8, 37, 27},   {9, 65, 65}, {10, 9, 9},
    };
    for (const Expected& e : expected) {
        for (const bool leftward : {true, false}) {
            EXPECT_EQ(CountFrames(Constructed(e.mode, leftward, true, {800, 600}), {800, 600}), e.spread)
                << "mode " << e.mode << " spread, leftward " << leftward;
            EXPECT_EQ(CountFrames(Constructed(e.mode, leftward, false, {600, 800}), {600, 800}), e.single)
                << "mode " << e.mode << " single, leftward " << leftward;
        }
    }
}

TEST_F(PageTurn, CrossFadeStartsTenPercentOfTheWay)
{
    const QSize size(200, 120);
    const QImage before = Gradient(size, 3);
    const QImage after = Gradient(size, 101);
    const PageTurnAnimation turn = Constructed(10, true, false, size);
    const Played played = Play(turn, before, after);
    ASSERT_EQ(played.frames.size(), 9u);
    const QRect area = turn.Area();
    for (const auto& [index, percent] : {std::pair{0, 10}, std::pair{8, 90}}) {
        const QImage& frame = played.frames[index];
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb o = before.pixel(x, y);
                const QRgb n = after.pixel(x, y);
                const QRgb expectedPixel = area.contains(x, y)
                                               ? qRgb(CrossFadeChannel(qRed(o), qRed(n), percent),
                                                      CrossFadeChannel(qGreen(o), qGreen(n), percent),
                                                      CrossFadeChannel(qBlue(o), qBlue(n), percent))
                                               : o;
                ASSERT_EQ(frame.pixel(x, y), expectedPixel) << x << "," << y << " at " << percent << "%";
            }
        }
    }
}

TEST_F(PageTurn, CrossFadeMatchesTheBlendTableEverywhere)
{
    // Red runs through every old value against every new value, so each table entry is hit.
    const QSize size(256, 256);
    QImage before(size, QImage::Format_RGB32);
    QImage after(size, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            before.setPixel(x, y, qRgb(x, 255 - y, (x * 3) & 0xFF));
            after.setPixel(x, y, qRgb(y, x, (y * 5) & 0xFF));
        }
    for (int u = 10; u <= 90; u += 10) {
        PageTurnCanvas canvas(before);
        canvas.CrossFade(before, after, QRect(0, 0, 256, 256), u);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const QRgb o = before.pixel(x, y);
                const QRgb n = after.pixel(x, y);
                const QRgb got = canvas.Frame().pixel(x, y);
                ASSERT_EQ(qRed(got), (qRed(o) * (100 - u) + qRed(n) * u) / 100) << x << "," << y << " " << u;
                ASSERT_EQ(qGreen(got), CrossFadeChannel(qGreen(o), qGreen(n), u));
                ASSERT_EQ(qBlue(got), CrossFadeChannel(qBlue(o), qBlue(n), u));
            }
    }
}

TEST_F(PageTurn, SqueezeColumnsAverageEachSpanAndLeaveTheRestAlone)
{
    // Noise in every byte, the unused top byte too, so a lane mixed up or a top byte kept shows.
    const QSize size(701, 5);
    QImage source(size, QImage::Format_RGB32);
    QImage under(size, QImage::Format_RGB32);
    std::uint32_t seed = 12345;
    for (QImage* image : {&source, &under})
        for (int y = 0; y < size.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image->scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                row[x] = seed = seed * 1664525u + 1013904223u;
        }
    struct Case
    {
        int sourceX, sourceWidth, destX, destWidth, top, height;
    };
    // Spans of one or two columns, of three to 255, and wider; odd widths, clipping on every side.
    const Case cases[] = {{0, 701, 0, 700, 0, 5},    {3, 690, 5, 601, 1, 3},     {0, 701, 0, 351, 0, 5},
                          {10, 600, 90, 233, -2, 4}, {0, 701, 0, 7, 0, 5},       {1, 700, 400, 3, 0, 5},
                          {0, 701, 0, 2, 0, 5},      {-30, 500, -40, 250, 2, 9}, {400, 400, 650, 199, 0, 5},
                          {0, 701, 0, 1, 0, 5},      {5, 600, 100, 255, 0, 5},   {600, 300, 0, 120, 0, 5},
                          {-100, 300, 10, 121, 0, 5}};
    for (const Case& c : cases) {
        PageTurnCanvas canvas(under);
        canvas.SqueezeColumns(source, c.sourceX, c.sourceWidth, c.destX, c.destWidth, c.top, c.height);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const int j = x - c.destX;
                QRgb want = under.pixel(x, y);
                if (j >= 0 && j < c.destWidth && y >= c.top && y < c.top + c.height) {
                    // Columns past the picture's edges read its edge column.
                    const int first = std::clamp(c.sourceX + j * c.sourceWidth / c.destWidth, 0, 700);
                    const int last =
                        std::clamp(c.sourceX + (j + 1) * c.sourceWidth / c.destWidth - 1, 0, 700);
                    const int count = last - first + 1;
                    int sum[3] = {};
                    for (int k = first; k <= last; ++k) {
                        sum[0] += qRed(source.pixel(k, y));
                        sum[1] += qGreen(source.pixel(k, y));
                        sum[2] += qBlue(source.pixel(k, y));
                    }
                    int mean[3];
                    for (int i = 0; i < 3; ++i)
                        mean[i] = ((sum[i] + count / 2) * (65536 / count)) >> 16;
                    want = qRgb(mean[0], mean[1], mean[2]);
                }
                ASSERT_EQ(canvas.Frame().pixel(x, y), want)
                    << x << "," << y << " case " << c.sourceX << " " << c.sourceWidth << " " << c.destWidth;
            }
    }
}

TEST_F(PageTurn, WipeNeedsAnAreaWiderThanItsStep)
{
    for (const bool leftward : {true, false}) {
        const PageTurnAnimation narrow(PageTurnMode::Wipe, leftward, false, QRect(0, 0, 100, 100),
                                       QRect(10, 10, 20, 50), 15);
        EXPECT_TRUE(narrow.Plays());
        EXPECT_EQ(CountFrames(narrow, {100, 100}), 0);
        const PageTurnAnimation wider(PageTurnMode::Wipe, leftward, false, QRect(0, 0, 100, 100),
                                      QRect(10, 10, 21, 50), 15);
        EXPECT_EQ(CountFrames(wider, {100, 100}), 1);
    }
}

TEST_F(PageTurn, VerticalNextWipesRightward)
{
    const QImage before = ColumnCoded(m_client.size(), 1);
    const QImage after = ColumnCoded(m_client.size(), 2);
    const QRect area = AreaFor(m_client.size());
    for (const int vertical : {0, 1}) {
        SetInt(PARA_VERTICAL_LINE, vertical);
        const Played played = Play(PageTurnAnimation::Prepare(10, 2, 4, true, m_client), before, after, 1);
        ASSERT_FALSE(played.frames.empty());
        const QImage& first = played.frames.front();
        const int mid = area.center().y();
        if (vertical == 0) {
            // Leftward: the new picture comes in from the right edge.
            EXPECT_EQ(first.pixel(area.right(), mid), after.pixel(area.right(), mid));
            EXPECT_EQ(first.pixel(area.right() - 19, mid), after.pixel(area.right() - 19, mid));
            EXPECT_EQ(first.pixel(area.right() - 20, mid), before.pixel(area.right() - 20, mid));
        } else {
            // Rightward: the strip [L + s, L + 2s), the right edge untouched.
            EXPECT_EQ(first.pixel(area.right(), mid), before.pixel(area.right(), mid));
            EXPECT_EQ(first.pixel(area.left() + 19, mid), before.pixel(area.left() + 19, mid));
            EXPECT_EQ(first.pixel(area.left() + 20, mid), after.pixel(area.left() + 20, mid));
            EXPECT_EQ(first.pixel(area.left() + 39, mid), after.pixel(area.left() + 39, mid));
            EXPECT_EQ(first.pixel(area.left() + 40, mid), before.pixel(area.left() + 40, mid));
        }
    }
}

TEST_F(PageTurn, SlideAndFlipPlaceTheirStrips)
{
    const QSize size(600, 800);
    const QImage before = ColumnCoded(size, 1);
    const QImage after = ColumnCoded(size, 2);
    const QRect area = AreaFor(size); // L 21, R 579, W 558
    const int y = 400;

    // Slide leftward, first frame: v = W - 10 of the old page moved to the left edge.
    Played slide = Play(Constructed(7, true, false, size), before, after, 1);
    const int v = 558 - 10;
    EXPECT_EQ(slide.frames[0].pixel(21, y), before.pixel(579 - v, y));
    EXPECT_EQ(slide.frames[0].pixel(21 + v - 1, y), before.pixel(578, y));
    EXPECT_TRUE(SameRect(slide.frames[0], after, QRect(21 + v, 15, 10, 770)));
    // Rightward: the old page's left part slides to the right edge.
    slide = Play(Constructed(7, false, false, size), before, after, 1);
    EXPECT_EQ(slide.frames[0].pixel(579 - v, y), before.pixel(21, y));
    EXPECT_TRUE(SameRect(slide.frames[0], after, QRect(21, 15, 10, 770)));

    // Flip, single page leftward: the old page shrinks against the left edge; the last frame is new.
    Played flip = Play(Constructed(5, true, false, size), before, after);
    ASSERT_EQ(flip.frames.size(), 18u);
    const int d = static_cast<int>(0.9961946980917455 * 558); // cos 5 degrees
    EXPECT_TRUE(SameRect(flip.frames[0], after, QRect(21 + d, 15, 558 - d, 770)));
    EXPECT_EQ(qBlue(flip.frames[0].pixel(21 + d - 1, y)), 1);
    EXPECT_TRUE(SameRect(flip.frames.back(), after, area));
    EXPECT_TRUE(SameRect(flip.frames.back(), before, QRect(0, 0, 21, 800)));

    // Spread leftward: phase 1 turns only the right page; phase 2 ends on the whole new spread.
    const QSize wide(800, 600);
    const QImage b2 = ColumnCoded(wide, 1);
    const QImage a2 = ColumnCoded(wide, 2);
    flip = Play(Constructed(5, true, true, wide), b2, a2);
    ASSERT_EQ(flip.frames.size(), 36u);
    EXPECT_TRUE(SameRect(flip.frames[17], b2, QRect(21, 15, 379, 570)));
    EXPECT_TRUE(SameRect(flip.frames[17], a2, QRect(21 + 379, 15, 379, 570)));
    EXPECT_TRUE(SameRect(flip.frames.back(), a2, QRect(21, 15, 758, 570)));
}

TEST_F(PageTurn, SidewaysAndCurlSqueezeTheTurningPage)
{
    const QSize size(600, 800);
    const QImage before = ColumnCoded(size, 1);
    const QImage after = ColumnCoded(size, 2);
    const QRect area = AreaFor(size);

    // Sideways, single page leftward: it starts on the old page and ends on the new one.
    const Played sideways = Play(Constructed(6, true, false, size), before, after);
    ASSERT_EQ(sideways.frames.size(), 10u);
    EXPECT_TRUE(SameRect(sideways.frames.front(), before, area));
    EXPECT_TRUE(SameRect(sideways.frames.back(), after, area));
    // Halfway the old page is squeezed into [L, L + o] and lifted at o by a quarter of the page.
    const int o = 558 - 5 * 62;
    const int amp = static_cast<int>(770 * 0.25 * std::sin(3.141592653589793 * o / 558));
    const QImage& mid = sideways.frames[5];
    // At o the column is the old page's right edge lifted by amp; below it the new page shows.
    EXPECT_EQ(mid.pixel(21 + o, 400), before.pixel(579, 400 + amp));
    EXPECT_EQ(mid.pixel(21 + o, 784), after.pixel(21 + o, 784));
    EXPECT_EQ(mid.pixel(21, 400), before.pixel(21, 400));
    EXPECT_TRUE(SameRect(mid, after, QRect(21 + o + 1, 15, 558 - o - 1, 770)));

    // Curl, single page leftward: the old page is squeezed into [L, L + pos] over the new page and
    // bulges above the area by up to 1.5 times the cover margin.
    const Played curl = Play(Constructed(1, true, false, size), before, after);
    ASSERT_EQ(curl.frames.size(), 8u);
    const int pos = 558 - 62;
    EXPECT_TRUE(SameRect(curl.frames[0], after, QRect(21 + pos + 1, 15, 558 - pos - 1, 770)));
    EXPECT_EQ(curl.frames[0].pixel(21, 400), before.pixel(21, 400));
    // b = int(sin(pi * 496 / 558) * 22) = 7: the bulge reaches row T - 7 and no higher.
    bool bulged = false;
    for (int x = 21; x <= 21 + pos; ++x) {
        bulged = bulged || qBlue(curl.frames[0].pixel(x, 15 - 7)) == 1;
        ASSERT_EQ(qBlue(curl.frames[0].pixel(x, 15 - 8)), 2) << x;
    }
    EXPECT_TRUE(bulged);
}

TEST_F(PageTurn, DiagonalWipeGrowsFromTheTopCorner)
{
    const QSize size(800, 600);
    const QImage before = ColumnCoded(size, 1);
    const QImage after = ColumnCoded(size, 2);
    // Once new, a pixel stays new; nearly all of the area is new at the end.
    std::vector<char> seen(static_cast<std::size_t>(size.width() * size.height()), 0);
    QImage first;
    int frames = 0;
    Constructed(9, true, true, size).Run(before, after, [&](const QImage& frame, int) {
        if (frames++ == 0)
            first = frame.copy();
        for (int y = 15; y < 585; y += 3)
            for (int x = 21; x < 779; x += 3) {
                const bool isNew = frame.pixel(x, y) == after.pixel(x, y);
                char& s = seen[static_cast<std::size_t>(y * size.width() + x)];
                EXPECT_FALSE(s && !isNew) << x << "," << y;
                s = s || isNew;
            }
        return true;
    });
    EXPECT_EQ(frames, 65);
    // Triangle (779,15) (759,15) (779,35).
    EXPECT_EQ(first.pixel(778, 15), after.pixel(778, 15));
    EXPECT_EQ(first.pixel(776, 20), after.pixel(776, 20));
    EXPECT_EQ(first.pixel(762, 30), before.pixel(762, 30));
    EXPECT_EQ(first.pixel(779, 15), before.pixel(779, 15)); // the area ends before R
    EXPECT_EQ(first.pixel(21, 15), before.pixel(21, 15));
    const auto newAtEnd = std::count(seen.begin(), seen.end(), 1);
    EXPECT_GT(newAtEnd, 190 * 253 * 97 / 100);
    // Rightward starts at the top-left corner.
    const Played right = Play(Constructed(9, false, true, size), before, after, 1);
    EXPECT_EQ(right.frames.front().pixel(22, 16), after.pixel(22, 16));
    EXPECT_EQ(right.frames.front().pixel(777, 16), before.pixel(777, 16));
}

TEST_F(PageTurn, PicturesLargerThanTheClientScaleTheGeometry)
{
    const QSize client(400, 300);
    const QImage before = ColumnCoded(client * 2, 1);
    const QImage after = ColumnCoded(client * 2, 2);
    const Played played = Play(Constructed(8, true, false, client), before, after);
    // Area 358 wide in client pixels: (716 - 1) / 40 frames of 40 picture pixels.
    ASSERT_EQ(played.frames.size(), 17u);
    EXPECT_EQ(played.frames[0].size(), client * 2);
    const int right = (21 + 358) * 2;
    EXPECT_TRUE(SameRect(played.frames[0], after, QRect(right - 40, 30, 40, 540)));
    EXPECT_EQ(played.frames[0].pixel(right - 41, 300), before.pixel(right - 41, 300));
}

TEST_F(PageTurn, BadPicturesAndHostileSettingsPlayNothingOrStaySafe)
{
    const PageTurnAnimation turn = Constructed(4, true, false, {200, 100});
    EXPECT_EQ(turn.Run(QImage(), QImage(), nullptr), 0);
    EXPECT_EQ(turn.Run(ColumnCoded({200, 100}, 1), ColumnCoded({201, 100}, 2), nullptr), 0);
    // A sink that stops is obeyed.
    EXPECT_EQ(turn.Run(ColumnCoded({200, 100}, 1), ColumnCoded({200, 100}, 2),
                       [](const QImage&, int) { return false; }),
              1);

    // A cover margin wider than the book leaves no area; a negative one is kept inside the window.
    SetInt(PARA_TURN_PAGE, 1);
    SetInt(PARA_COVER_MARGIN, INT_MAX);
    EXPECT_FALSE(PageTurnAnimation::Prepare(10, 0, 1, false, m_client).Plays());
    SetInt(PARA_COVER_MARGIN, INT_MIN);
    EXPECT_EQ(PageTurnAnimation::Prepare(10, 0, 1, false, m_client).Area(), m_client);
    SetInt(PARA_COVER_MARGIN, -1000000);
    for (int mode = 1; mode <= 10; ++mode) {
        SetInt(PARA_TURN_PAGE, mode);
        for (const bool spread : {false, true}) {
            const PageTurnAnimation wide = PageTurnAnimation::Prepare(10, 0, 2, spread, m_client);
            ASSERT_TRUE(wide.Plays());
            EXPECT_EQ(wide.Area(), m_client);
            EXPECT_GT(CountFrames(wide, m_client.size()), 0) << mode;
        }
    }
    // Areas a few pixels wide or high still end.
    for (int mode = 1; mode <= 10; ++mode)
        for (const QRect area :
             {QRect(5, 5, 1, 40), QRect(5, 5, 8, 1), QRect(5, 5, 17, 3), QRect(0, 0, 60, 50)}) {
            const PageTurnAnimation tiny(static_cast<PageTurnMode>(mode), mode % 2 == 0, mode > 5,
                                         QRect(0, 0, 60, 50), area, 15);
            EXPECT_LT(CountFrames(tiny, {60, 50}), 200) << mode;
        }
}
