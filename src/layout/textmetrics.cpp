// TextMetrics: choosing the reading font and measuring every UTF-16 code unit in bulk.
#include "layout/textmetrics.h"

#include "layout/bookface.h"

#include "settings/parablock.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QLocale>
#include <QRawFont>
#include <QTextLayout>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr int kMinFontSize = 12;
constexpr int kMaxFontSize = 100;
constexpr char16_t kHighFirst = 0xD800;
constexpr char16_t kLowFirst = 0xDC00;
constexpr char16_t kLowLast = 0xDFFF;

QString& PinnedFamily()
{
    static QString family;
    return family;
}

std::uint8_t ToByte(double width)
{
    // Wider glyphs saturate rather than wrap, so an over-wide glyph never looks narrow.
    const long w = std::lround(width);
    return static_cast<std::uint8_t>(std::clamp<long>(w, 0, 255));
}

// CJK families preferred for characters the primary family lacks; the first installed wins.
const char* const kCjkFallbacks[] = {
    "Noto Sans CJK SC",    "Noto Serif CJK SC", "Source Han Sans SC",  "Source Han Sans CN",
    "WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Droid Sans Fallback", "AR PL UMing CN",
};

QString ChooseCjkFallback(const QFont& primary)
{
    const QStringList families = QFontDatabase::families();
    for (const char* name : kCjkFallbacks) {
        const QString family = QString::fromLatin1(name);
        if (families.contains(family))
            return family;
    }
    // No known family: ask which font the painter itself would fall back to for Han.
    QTextLayout layout(QString(QChar(0x4E2D)), primary);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    return runs.isEmpty() ? QString() : runs.first().rawFont().familyName();
}

// Every BMP unit outside the surrogate range, in order.
const QString& MeasuredUnits()
{
    static const QString units = [] {
        QString s;
        s.reserve(TextMetrics::kTableSize - 2048);
        for (int c = 0; c < TextMetrics::kTableSize; ++c)
            if (c < kHighFirst || c > kLowLast)
                s.append(QChar(static_cast<char16_t>(c)));
        return s;
    }();
    return units;
}

// Advances straight from the font's horizontal metrics table: a bulk read, where asking the engine
// per glyph would load every outline. Empty when the font has no usable table.
std::vector<double> TableAdvances(const QRawFont& font, const QList<quint32>& glyphs)
{
    const QByteArray head = font.fontTable("head");
    const QByteArray hhea = font.fontTable("hhea");
    const QByteArray hmtx = font.fontTable("hmtx");
    if (head.size() < 54 || hhea.size() < 36)
        return {};
    const int unitsPerEm = qFromBigEndian<quint16>(head.constData() + 18);
    const int metricCount = qFromBigEndian<quint16>(hhea.constData() + 34);
    if (unitsPerEm <= 0 || metricCount <= 0 || hmtx.size() < qsizetype(metricCount) * 4)
        return {};
    const double scale = font.pixelSize() / unitsPerEm;
    std::vector<double> out;
    out.reserve(static_cast<std::size_t>(glyphs.size()));
    for (quint32 g : glyphs) {
        // Glyphs past the last full metric share its advance.
        const qsizetype i = std::min<qsizetype>(g, metricCount - 1);
        out.push_back(qFromBigEndian<quint16>(hmtx.constData() + i * 4) * scale);
    }
    return out;
}

// The advance the painter uses for each glyph. The table read is trusted only when a sample of
// glyphs measured by the engine agrees with it (synthetic bold or hinting can change widths).
std::vector<std::uint8_t> GlyphAdvances(const QRawFont& font, const QList<quint32>& glyphs)
{
    std::vector<double> fast = TableAdvances(font, glyphs);
    bool trusted = !fast.empty();
    if (trusted) {
        QList<quint32> sample;
        QList<qsizetype> where;
        const qsizetype step = std::max<qsizetype>(1, glyphs.size() / 61);
        for (qsizetype i = 0; i < glyphs.size(); i += step) {
            if (glyphs[i] != 0) {
                sample.append(glyphs[i]);
                where.append(i);
            }
        }
        sample.append(0);
        where.append(-1);
        const QList<QPointF> measured = font.advancesForGlyphIndexes(sample);
        const std::vector<double> notdef = TableAdvances(font, {0});
        for (qsizetype k = 0; k < sample.size() && k < measured.size(); ++k) {
            const double expected = where[k] < 0 ? notdef[0] : fast[static_cast<std::size_t>(where[k])];
            if (ToByte(expected) != ToByte(measured[k].x())) {
                trusted = false;
                break;
            }
        }
    }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(glyphs.size()));
    if (trusted) {
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = ToByte(fast[i]);
        return out;
    }
    const QList<QPointF> measured = font.advancesForGlyphIndexes(glyphs);
    for (std::size_t i = 0; i < out.size() && i < static_cast<std::size_t>(measured.size()); ++i)
        out[i] = ToByte(measured[static_cast<qsizetype>(i)].x());
    return out;
}

QFont MakeFont(const QString& family, int pixelSize, bool bold)
{
    QFont font(family);
    font.setPixelSize(std::max(1, pixelSize));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setKerning(false);
    return font;
}

std::optional<QString> FindScalableFamily(const QString& name)
{
    for (const QString& family : QFontDatabase::families())
        if (family == name && QFontDatabase::isScalable(family))
            return family;
    return std::nullopt;
}

// The reading face for an empty font setting: a Chinese system's default GUI font is a Song face,
// so here it is the CJK serif face fontconfig prefers for the locale (Noto Serif CJK SC for zh_CN
// with Debian's fonts-noto-cjk), else the general system font. Asked once per run.
const QString& BookFamily()
{
    static const QString family = PreferredBookFamily(QLocale::system().name());
    return family;
}

QFont DefaultFont(int fontSize, bool bold)
{
    QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (!PinnedFamily().isEmpty())
        system.setFamily(PinnedFamily());
    else if (!BookFamily().isEmpty())
        system.setFamily(BookFamily());
    // A concrete family, not an alias, so the fallback list and the measured face agree.
    const QFontInfo info(system);
    const int systemPixels = info.pixelSize();
    return MakeFont(info.family(), std::max(systemPixels, fontSize), bold);
}

} // namespace

TextMetrics::TextMetrics() = default;

void TextMetrics::PinDefaultFamily(const QString& family)
{
    PinnedFamily() = family;
}

bool TextMetrics::Rebuild(const QString& fontName, int fontSize, bool bold, bool vertical)
{
    fontSize = std::clamp(fontSize, kMinFontSize, kMaxFontSize);
    bool found = true;
    QFont font;
    if (!fontName.isEmpty()) {
        if (const auto family = FindScalableFamily(fontName)) {
            font = MakeFont(*family, fontSize, bold);
        } else {
            found = false;
            // A missing face keeps the font in use; with none yet the default stands in, so a
            // font removed since the last run never leaves the reader without metrics.
            font = m_hasFont ? m_font : DefaultFont(fontSize, bold);
        }
    } else {
        font = DefaultFont(fontSize, bold);
    }

    const QString primaryFamily = font.families().isEmpty() ? font.family() : font.families().first();
    const int cell = std::clamp(font.pixelSize(), 1, 255);
    const bool fontBold = font.weight() >= QFont::Bold;
    std::array<std::uint8_t, kTableSize> table{};

    // Chosen in vertical writing too: the painter must draw Han with the family the table assumes.
    const QFont primaryOnly = MakeFont(primaryFamily, cell, fontBold);
    const QString fallbackFamily = ChooseCjkFallback(primaryOnly);
    if (vertical) {
        table.fill(static_cast<std::uint8_t>(cell));
    } else {
        const QRawFont primary = QRawFont::fromFont(primaryOnly);
        if (!primary.isValid())
            return false;
        const QString& units = MeasuredUnits();
        const QList<quint32> glyphs = primary.glyphIndexesForString(units);
        if (glyphs.size() != units.size())
            return false;
        const std::vector<std::uint8_t> widths = GlyphAdvances(primary, glyphs);
        // Units no family can show take the width of U+FFFF, the last unit measured.
        table.fill(widths.back());

        QList<quint32> fallbackGlyphs;
        std::vector<std::uint8_t> fallbackWidths;
        if (!fallbackFamily.isEmpty() && fallbackFamily != primaryFamily) {
            const QRawFont fallback = QRawFont::fromFont(MakeFont(fallbackFamily, cell, fontBold));
            if (fallback.isValid()) {
                fallbackGlyphs = fallback.glyphIndexesForString(units);
                if (fallbackGlyphs.size() == units.size())
                    fallbackWidths = GlyphAdvances(fallback, fallbackGlyphs);
            }
        }
        const bool useFallback = !fallbackWidths.empty();
        for (qsizetype i = 0; i < units.size(); ++i) {
            const std::size_t k = static_cast<std::size_t>(i);
            const char16_t u = units[i].unicode();
            if (glyphs[i] != 0)
                table[u] = widths[k];
            else if (useFallback && fallbackGlyphs[i] != 0)
                table[u] = fallbackWidths[k];
        }
    }

    // A surrogate pair is measured as one character of cell width that never splits over two lines.
    std::fill(table.begin() + kHighFirst, table.begin() + kLowFirst, static_cast<std::uint8_t>(cell));
    std::fill(table.begin() + kLowFirst, table.begin() + kLowLast + 1, std::uint8_t{0});
    table[u'\n'] = 0;
    table[u'\r'] = 0;

    QStringList families{primaryFamily};
    if (!fallbackFamily.isEmpty() && fallbackFamily != primaryFamily)
        families.append(fallbackFamily);
    font.setFamilies(families);

    m_font = font;
    m_hasFont = true;
    m_vertical = vertical;
    m_cell = static_cast<std::uint8_t>(cell);
    m_advances = table;
    m_pitch.store(0);
    return found;
}

int TextMetrics::LinePitch() const
{
    int pitch = m_pitch.load(std::memory_order_relaxed);
    if (pitch == 0) {
        pitch = ComputeLinePitch(m_cell, ParaGetInt(PARA_LINE_PERCENT));
        m_pitch.store(pitch, std::memory_order_relaxed);
    }
    return pitch;
}

int ComputeLinePitch(int cell, int percentIndex)
{
    const int percent =
        kLineHeightTable[static_cast<std::size_t>(std::clamp(percentIndex, 0, kLineHeightCount - 1))];
    int extra = std::min(cell * (percent - 100) / 100, 255);
    if (extra < 3)
        extra = 3;
    return std::min(cell + extra, 255);
}

TextMetrics& TheTextMetrics()
{
    static TextMetrics metrics;
    return metrics;
}

bool RebuildTextMetrics()
{
    return TheTextMetrics().Rebuild(ParaGetString(PARA_TXT_FONT_NAME), ParaGetInt(PARA_FONT_SIZE),
                                    ParaGetInt(PARA_FONT_BOLD) != 0, ParaGetInt(PARA_VERTICAL_LINE) != 0);
}

int CellSize()
{
    return TheTextMetrics().CellSize();
}

int LinePitch()
{
    return TheTextMetrics().LinePitch();
}

int Advance(char16_t unit)
{
    return TheTextMetrics().Advance(unit);
}
