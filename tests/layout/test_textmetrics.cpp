// Reading font, cell size, line pitch and the advance table.
#include "layout/textmetrics.h"

#include "layout/bookface.h"
#include "layouttestsupport.h"
#include "settings/parablock.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLocale>
#include <QRawFont>
#include <QTextLayout>
#include <cmath>

namespace {

const QString kCjkSans = QStringLiteral("Noto Sans CJK SC");
const QString kLatinSans = QStringLiteral("DejaVu Sans");

// The family the painter uses for one character in `font`.
QString DrawnFamily(const QFont& font, char16_t unit)
{
    QTextLayout layout(QString(QChar(unit)), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const auto runs = layout.glyphRuns();
    return runs.isEmpty() ? QString() : runs.first().rawFont().familyName();
}

} // namespace

class Metrics : public LayoutTest
{
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        EnsureGuiApplication();
        TextMetrics::PinDefaultFamily(kCjkSans);
    }
    void TearDown() override
    {
        TextMetrics::PinDefaultFamily(QString());
        LayoutTest::TearDown();
    }
};

TEST(LinePitch, ExtraSpacingAtLeastThree)
{
    EXPECT_EQ(ComputeLinePitch(10, 0), 13);
    EXPECT_EQ(ComputeLinePitch(26, 5), 39);
    EXPECT_EQ(ComputeLinePitch(100, 10), 200);
    EXPECT_EQ(ComputeLinePitch(26, 0), 29);
    // Indices outside the table are held to its ends.
    EXPECT_EQ(ComputeLinePitch(26, -4), 29);
    EXPECT_EQ(ComputeLinePitch(26, 99), 52);
}

TEST_F(Metrics, PitchIsComputedOnFirstUseAfterRebuild)
{
    TextMetrics metrics;
    SetInt(PARA_LINE_PERCENT, 5);
    ASSERT_TRUE(metrics.Rebuild(QString(), 26, true, false));
    EXPECT_EQ(metrics.CellSize(), 26);
    EXPECT_EQ(metrics.LinePitch(), 39);
    SetInt(PARA_LINE_PERCENT, 0);
    EXPECT_EQ(metrics.LinePitch(), 39);
    ASSERT_TRUE(metrics.Rebuild(QString(), 26, true, false));
    EXPECT_EQ(metrics.LinePitch(), 29);
}

TEST_F(Metrics, AdvancesAgreeWithWhatIsDrawn)
{
    // A Latin default font: Han comes from the CJK family the reading font lists second.
    TextMetrics::PinDefaultFamily(kLatinSans);
    for (bool bold : {false, true}) {
        TextMetrics metrics;
        ASSERT_TRUE(metrics.Rebuild(QString(), 26, bold, false));
        const QFont& font = metrics.ReadingFont();
        EXPECT_EQ(font.families().value(0), kLatinSans);
        EXPECT_EQ(DrawnFamily(font, u'中'), kCjkSans);
        EXPECT_EQ(DrawnFamily(font, u'M'), kLatinSans);
        const QFontMetricsF fm(font);
        int compared = 0;
        for (char16_t u : std::u16string(u"Mia1 .,;WQ中文书。，“”《》、！？—…ｶ가あ")) {
            EXPECT_EQ(metrics.Advance(u), std::lround(fm.horizontalAdvance(QChar(u)))) << int(u);
            ++compared;
        }
        for (int u = 0x4E00; u < 0x9FA5; u += 97) {
            ASSERT_EQ(metrics.Advance(static_cast<char16_t>(u)), std::lround(fm.horizontalAdvance(QChar(u))));
            ++compared;
        }
        EXPECT_GT(compared, 200);
        EXPECT_EQ(metrics.Advance(u'中'), 26);
    }
}

TEST_F(Metrics, ControlsSurrogatesAndMissingCharacters)
{
    TextMetrics metrics;
    ASSERT_TRUE(metrics.Rebuild(kCjkSans, 30, false, false));
    EXPECT_EQ(metrics.CellSize(), 30);
    EXPECT_EQ(metrics.Advance(u'\r'), 0);
    EXPECT_EQ(metrics.Advance(u'\n'), 0);
    EXPECT_EQ(metrics.Advance(0xD840), 30);
    EXPECT_EQ(metrics.Advance(0xDBFF), 30);
    EXPECT_EQ(metrics.Advance(0xDC00), 0);
    EXPECT_EQ(metrics.Advance(0xDFFF), 0);
    // A private-use point no installed font covers measures as U+FFFF does.
    const QRawFont raw = QRawFont::fromFont(metrics.ReadingFont());
    ASSERT_FALSE(raw.supportsCharacter(QChar(0xE000)));
    EXPECT_EQ(metrics.Advance(0xE000), metrics.Advance(0xFFFF));
    EXPECT_GT(metrics.Advance(0xFFFF), 0);
}

TEST_F(Metrics, VerticalWritingGivesEveryUnitTheCell)
{
    TextMetrics metrics;
    ASSERT_TRUE(metrics.Rebuild(kCjkSans, 26, true, true));
    EXPECT_TRUE(metrics.IsVertical());
    for (char16_t u : std::u16string(u"aW.中，《\xFFFF\x0001"))
        EXPECT_EQ(metrics.Advance(u), 26) << int(u);
    EXPECT_EQ(metrics.Advance(u'\r'), 0);
    EXPECT_EQ(metrics.Advance(u'\n'), 0);
    EXPECT_EQ(metrics.Advance(0xD800), 26);
    EXPECT_EQ(metrics.Advance(0xDC00), 0);
    // Han in columns is drawn from the same CJK family as in lines.
    TextMetrics::PinDefaultFamily(kLatinSans);
    ASSERT_TRUE(metrics.Rebuild(QString(), 26, true, true));
    EXPECT_EQ(DrawnFamily(metrics.ReadingFont(), u'中'), kCjkSans);
}

TEST_F(Metrics, FontSizeHeldToItsRange)
{
    TextMetrics metrics;
    SetInt(PARA_LINE_PERCENT, 10);
    ASSERT_TRUE(metrics.Rebuild(kCjkSans, 12, false, false));
    EXPECT_EQ(metrics.CellSize(), 12);
    EXPECT_EQ(metrics.Advance(u'中'), 12);
    ASSERT_TRUE(metrics.Rebuild(kCjkSans, 100, true, false));
    EXPECT_EQ(metrics.CellSize(), 100);
    EXPECT_EQ(metrics.LinePitch(), 200);
    EXPECT_EQ(metrics.Advance(u'中'), 100);
    // Out-of-range sizes (a setting changed behind the loader's back) are held to 12..100.
    ASSERT_TRUE(metrics.Rebuild(kCjkSans, 1000, false, false));
    EXPECT_EQ(metrics.CellSize(), 100);
    ASSERT_TRUE(metrics.Rebuild(kCjkSans, -5, false, false));
    EXPECT_EQ(metrics.CellSize(), 12);
}

TEST_F(Metrics, UnknownFontNameKeepsMetrics)
{
    TextMetrics metrics;
    // With nothing built yet a missing face falls back to the default font.
    EXPECT_FALSE(metrics.Rebuild(QStringLiteral("No Such Face 42"), 20, false, false));
    EXPECT_TRUE(metrics.HasFont());
    EXPECT_EQ(metrics.CellSize(), 20);
    EXPECT_EQ(metrics.Advance(u'中'), 20);

    ASSERT_TRUE(metrics.Rebuild(kCjkSans, 26, true, false));
    const std::vector<std::uint8_t> before(metrics.Advances(), metrics.Advances() + TextMetrics::kTableSize);
    const QFont font = metrics.ReadingFont();
    EXPECT_FALSE(metrics.Rebuild(QStringLiteral("No Such Face 42"), 40, false, false));
    EXPECT_EQ(metrics.CellSize(), 26);
    EXPECT_EQ(metrics.ReadingFont(), font);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), metrics.Advances()));
    // Names match exactly, case included.
    EXPECT_FALSE(metrics.Rebuild(QStringLiteral("noto sans cjk sc"), 40, false, false));
    EXPECT_EQ(metrics.CellSize(), 26);
}

TEST_F(Metrics, RebuildFromSettings)
{
    SetString(PARA_TXT_FONT_NAME, kCjkSans);
    SetInt(PARA_FONT_SIZE, 22);
    SetInt(PARA_FONT_BOLD, 0);
    SetInt(PARA_VERTICAL_LINE, 0);
    SetInt(PARA_LINE_PERCENT, 0);
    ASSERT_TRUE(RebuildTextMetrics());
    EXPECT_EQ(CellSize(), 22);
    EXPECT_EQ(LinePitch(), 25);
    EXPECT_EQ(Advance(u'中'), 22);
    EXPECT_FALSE(TheTextMetrics().ReadingFont().bold());
    SetInt(PARA_VERTICAL_LINE, 1);
    ASSERT_TRUE(RebuildTextMetrics());
    EXPECT_EQ(Advance(u'a'), 22);
}

TEST_F(Metrics, NoFontChosenReadsInTheLocalesSerifFaceAtRegularWeight)
{
    // fonts-noto-cjk is installed by the set-up script.
    const struct
    {
        const char* locale;
        const char* family;
    } cases[] = {{"zh_CN", "Noto Serif CJK SC"}, {"zh_TW", "Noto Serif CJK TC"},
                 {"zh_HK", "Noto Serif CJK HK"}, {"ja_JP", "Noto Serif CJK JP"},
                 {"ko_KR", "Noto Serif CJK KR"}, {"en_US", "Noto Serif CJK SC"},
                 {"C", "Noto Serif CJK SC"}};
    for (const auto& c : cases)
        EXPECT_EQ(PreferredBookFamily(QString::fromLatin1(c.locale)), QString::fromLatin1(c.family))
            << c.locale;

    TextMetrics::PinDefaultFamily(QString());
    TextMetrics metrics;
    ASSERT_TRUE(metrics.Rebuild(QString(), 26, false, false));
    EXPECT_EQ(metrics.ReadingFont().families().value(0), PreferredBookFamily(QLocale::system().name()));
    EXPECT_EQ(metrics.ReadingFont().weight(), QFont::Normal);
    ASSERT_TRUE(metrics.Rebuild(QString(), 26, true, false));
    EXPECT_EQ(metrics.ReadingFont().weight(), QFont::Bold);
}
