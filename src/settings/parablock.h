// The one settings record of the reader, its keys, defaults and the INI write-through.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <mutex>

// A colour as 0x00BBGGRR, stored as a plain integer.
using COLORREF = std::uint32_t;
constexpr COLORREF RGBRef(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(COLORREF c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(COLORREF c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(COLORREF c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

// Index of every setting; the enumerators bear the INI key names.
enum ParaIndex : int
{
    PARA_VISTA_STYLE = 0,
    PARA_MARGIN_TOP,
    PARA_MARGIN_LEFT,
    PARA_TEXT_COLOR,
    PARA_TEXT_BG_IMAGE,
    PARA_TEXT_BG_COLOR,
    PARA_TEXT_LINE_COLOR,
    PARA_TEXT_SHOW_LINE,
    PARA_COVER_IMAGE,
    PARA_COVER_COLOR,
    PARA_COVER_MARGIN,
    PARA_LINE_PERCENT,
    PARA_FONT_SIZE,
    PARA_FONT_BOLD,
    PARA_PAGE_MIDDLE,
    PARA_COLOR_PAGE_EDGE,
    PARA_TURN_PAGE,
    PARA_SAVE_RST,
    PARA_LAST_POS,
    PARA_SHOW_MODE,
    PARA_BACK_COLOR,
    PARA_BACK_IMG,
    PARA_SINGLE_WIDTH,
    PARA_VIEW_MODE,
    PARA_VERTICAL_LINE,
    PARA_SHOW_BOOK,
    PARA_SHOW_BOOK_NAME,
    PARA_CHP_ENG_DIGIT,
    PARA_CHP_CHN_DIGIT,
    PARA_CHP_CHN_LOWER,
    PARA_CHP_CHN_UPPER,
    PARA_CHP_LINE_HEAD,
    PARA_CHP_SEP_BLANK,
    PARA_CHP_NO_DUP_CHPT,
    PARA_GOTO_TYPE,
    PARA_CHP_FONT_SIZE,
    PARA_ADV_BEGIN_WITH_CHN,
    PARA_ADV_BEGIN_WITH_ENG,
    PARA_ADV_CHECK_LINE_LEN,
    PARA_ADV_BEGIN_WITH_BLINK_LINE,
    PARA_ADV_END_WITH_SPEC,
    PARA_ADV_CHN_SPACE,
    PARA_ADV_ENG_SPACE,
    PARA_ADV_TAIL_SPACE,
    PARA_ADV_ADD_CHN_SPACE,
    PARA_ADV_ADD_BLINK_LINE,
    PARA_LINE_BREAK_RULES,  // 46: closing marks never start a line, opening marks never end one
    PARA_AUTO_TURN_SECONDS, // 47
    PARA_CONVERSION,        // 48: the script for books never given one (kParaConversionLast)
    PARA_TXT_FONT_NAME,     // 49: first string
    PARA_LAST_PATH,
    PARA_LAYOUT_PARA_END,
};

constexpr int kParaIntCount = 49;
constexpr int kParaStringCount = 3;
constexpr int kParaCount = kParaIntCount + kParaStringCount;
constexpr int kParaUnset = -1;

// The line heights PARA_LINE_PERCENT chooses from, in percent.
constexpr std::array<int, 11> kLineHeightTable = {100, 110, 120, 130, 140, 150, 160, 170, 180, 190, 200};
constexpr int kLineHeightCount = static_cast<int>(kLineHeightTable.size());

// The automatic page turn's interval (PARA_AUTO_TURN_SECONDS), in seconds.
constexpr int kAutoTurnDefaultSeconds = 30;
constexpr int kAutoTurnMinSeconds = 1;
constexpr int kAutoTurnMaxSeconds = 3600;
// PARA_CONVERSION: 0 none, 1 s2t, 2 s2tw, 3 s2hk, 4 t2s (the menu's order); anything else reads as none.
constexpr int kParaConversionLast = 4;

const char* ParaKeyName(int index);
// The index of a key name (exact), or -1.
int ParaIndexOf(const QString& key);

// Colour and width defaults that depend on the screen.
// Below this the single-page book holds hardly a character between its margins.
constexpr int kMinSingleWidth = 200;
// PARA_SINGLE_WIDTH for a screen whose full-screen client is `fullScreenWidth` wide.
int DefaultSingleWidth(int fullScreenWidth);

struct ParaScreen
{
    int fullScreenWidth = 1920; // width of a full-screen window's client area
    COLORREF windowColour = 0xFFFFFF;
};

// The three strings with their own lock.
class CParaStrings
{
public:
    CParaStrings();

    QString Get(int stringIndex) const;
    void SetRaw(int stringIndex, const QString& value);

    QString m_strings[kParaStringCount];
    QString m_section = QStringLiteral("ParaBlock");
    const QString* m_iniPath = nullptr;
    mutable std::mutex m_lock;
};

// The settings record: 49 integers and 3 strings, each stored under its key in section "ParaBlock".
class CParaBlock
{
public:
    explicit CParaBlock(const ParaScreen& screen = {});
    CParaBlock(const CParaBlock&) = delete;
    CParaBlock& operator=(const CParaBlock&) = delete;

    // Back to the constructed state for `screen` (the INI path is kept).
    void ResetToDefaults(const ParaScreen& screen);

    int GetInt(int index) const;
    QString GetString(int index) const;
    // Store if different; when changed and `write`, write the key. Returns whether it changed.
    // A new PARA_LAST_PATH written so also sets PARA_LAST_POS to 0, both in one rewrite.
    bool SetInt(int index, int value, bool write);
    bool SetString(int index, const QString& text, bool write);
    // PARA_LAST_PATH and PARA_LAST_POS together, in one rewrite when either changed.
    bool SetLastBook(const QString& path, std::int32_t position);

    // Copies every value; returns true when all integers were already equal.
    bool CopyFrom(const CParaBlock& other);
    bool IsSameAs(const CParaBlock& other) const;
    // Writes every value of this record that differs from `other` to the INI file.
    void WriteChangesSince(const CParaBlock& other) const;

    void SetIniPath(const QString& path);
    QString IniPath() const;

    // Writes one value as it now stands to the INI file.
    bool WriteKey(int index) const;

private:
    bool WriteLastBook() const;

    friend void ParaSyncInt(int& value, int index, int lo, int hi);
    friend bool LoadParaBlock(const QString& iniPath, const ParaScreen& screen);

    CParaStrings m_strings;
    int m_ints[kParaIntCount];
    QString m_section = QStringLiteral("ParaBlock");
    QString m_iniPath;
    mutable std::mutex m_lock;
};

// The process-wide record.
extern CParaBlock theParaBlock;

int ParaGetInt(int index);
void ParaSetInt(int value, int index);
QString ParaGetString(int index);
void ParaSetString(int index, const QString& text);
// For a book that became another file (Save As): its path and the place in it, in one rewrite.
void ParaSetLastBook(const QString& path, std::int32_t position);
// Unset (-1): stores `value` in memory only and leaves it. Otherwise `value` receives the stored value,
// clamped into lo..hi unless lo == hi.
void ParaSyncInt(int& value, int index, int lo, int hi);

// Resets theParaBlock to the defaults for `screen`, points it at `iniPath` and reads every key,
// applying the load clamps. False when the file exists but could not be read (defaults then stand).
bool LoadParaBlock(const QString& iniPath, const ParaScreen& screen);

// Makes an INI-style file UTF-16LE with FF FE: a missing or empty file gets the mark and "[section]"
// (or an empty line when `section` is empty); a file in another encoding is converted once.
void EnsureUnicodeIniFile(const QString& path, const QString& section);

// A value as text: integers in decimal, strings as stored.
QString ParaValueText(int index);
