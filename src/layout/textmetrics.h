// TextMetrics: the reading font, its cell size, line pitch and the per-code-unit advance table.
#pragma once

#include <QFont>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>

// The one set of font measures that pagination and page drawing share, so what is drawn is what was
// paginated. Advances come from a flat table indexed by the UTF-16 code unit; no font is asked while
// laying out or drawing. Rebuilt on the GUI thread only.
//
// Drawing must use ReadingFont(): it lists the primary family and then the CJK family whose widths
// the table holds for characters the primary family lacks, so the painter picks the same glyphs.
class TextMetrics
{
public:
    static constexpr int kTableSize = 65536;

    TextMetrics();

    // Builds the reading font and the advance table. A non-empty `fontName` must equal a scalable
    // family exactly; when none does, the reading font stays as it was (the default font when there
    // was none yet), the table is rebuilt from it and the result is false.
    bool Rebuild(const QString& fontName, int fontSize, bool bold, bool vertical);

    int CellSize() const { return m_cell; }
    // Distance from one line (or column) to the next, from PARA_LINE_PERCENT on first use after a
    // rebuild; at least 3 pixels more than the cell.
    int LinePitch() const;
    int Advance(char16_t unit) const { return m_advances[unit]; }
    const std::uint8_t* Advances() const { return m_advances.data(); }
    const QFont& ReadingFont() const { return m_font; }
    bool IsVertical() const { return m_vertical; }
    bool HasFont() const { return m_hasFont; }

    // Replaces the general system font as the default family (tests pin it so results do not depend
    // on the desktop); empty restores the system font.
    static void PinDefaultFamily(const QString& family);

private:
    QFont m_font;
    bool m_hasFont = false;
    bool m_vertical = false;
    std::uint8_t m_cell = 0;
    mutable std::atomic<int> m_pitch{0};
    std::array<std::uint8_t, kTableSize> m_advances{};
};

// The process-wide metrics.
TextMetrics& TheTextMetrics();

// Rebuilds TheTextMetrics() from PARA_TXT_FONT_NAME, PARA_FONT_SIZE, PARA_FONT_BOLD and
// PARA_VERTICAL_LINE. Needs a QGuiApplication. False when the named font does not exist.
bool RebuildTextMetrics();

int CellSize();
int LinePitch();
int Advance(char16_t unit);

// cell + cell * (percent - 100) / 100, the extra raised to 3; `percentIndex` selects from
// kLineHeightTable (out-of-range indices are clamped).
int ComputeLinePitch(int cell, int percentIndex);
