// CParaBlock: defaults, clamps, loading, write-through and the global accessors.
#include "settings/parablock.h"

#include "document/codepage.h"
#include "settings/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

CParaBlock theParaBlock;

namespace {

constexpr const char* kKeys[kParaCount] = {
    "PARA_VISTA_STYLE",        "PARA_MARGIN_TOP",
    "PARA_MARGIN_LEFT",        "PARA_TEXT_COLOR",
    "PARA_TEXT_BG_IMAGE",      "PARA_TEXT_BG_COLOR",
    "PARA_TEXT_LINE_COLOR",    "PARA_TEXT_SHOW_LINE",
    "PARA_COVER_IMAGE",        "PARA_COVER_COLOR",
    "PARA_COVER_MARGIN",       "PARA_LINE_PERCENT",
    "PARA_FONT_SIZE",          "PARA_FONT_BOLD",
    "PARA_PAGE_MIDDLE",        "PARA_COLOR_PAGE_EDGE",
    "PARA_TURN_PAGE",          "PARA_SAVE_RST",
    "PARA_LAST_POS",           "PARA_SHOW_MODE",
    "PARA_BACK_COLOR",         "PARA_BACK_IMG",
    "PARA_SINGLE_WIDTH",       "PARA_VIEW_MODE",
    "PARA_VERTICAL_LINE",      "PARA_SHOW_BOOK",
    "PARA_SHOW_BOOK_NAME",     "PARA_CHP_ENG_DIGIT",
    "PARA_CHP_CHN_DIGIT",      "PARA_CHP_CHN_LOWER",
    "PARA_CHP_CHN_UPPER",      "PARA_CHP_LINE_HEAD",
    "PARA_CHP_SEP_BLANK",      "PARA_CHP_NO_DUP_CHPT",
    "PARA_GOTO_TYPE",          "PARA_CHP_FONT_SIZE",
    "PARA_ADV_BEGIN_WITH_CHN", "PARA_ADV_BEGIN_WITH_ENG",
    "PARA_ADV_CHECK_LINE_LEN", "PARA_ADV_BEGIN_WITH_BLINK_LINE",
    "PARA_ADV_END_WITH_SPEC",  "PARA_ADV_CHN_SPACE",
    "PARA_ADV_ENG_SPACE",      "PARA_ADV_TAIL_SPACE",
    "PARA_ADV_ADD_CHN_SPACE",  "PARA_ADV_ADD_BLINK_LINE",
    "PARA_LINE_BREAK_RULES",   "PARA_AUTO_TURN_SECONDS",
    "PARA_CONVERSION",         "PARA_TXT_FONT_NAME",
    "PARA_LAST_PATH",          "PARA_LAYOUT_PARA_END",
};

const QString kParaEndDefault = QStringLiteral("。？”」！集章");

bool IsString(int index)
{
    return index >= kParaIntCount && index < kParaCount;
}

bool IsInt(int index)
{
    return index >= 0 && index < kParaIntCount;
}

QString Key(int index)
{
    return QString::fromLatin1(kKeys[index]);
}

// The integer part of a value as the settings file stores it: at most 19 characters take part,
// leading white space and a sign are allowed, parsing stops at the first non-digit.
int ParseStoredInt(const QString& text)
{
    QString t = text;
    const QByteArray ansi = CodePage::QStringToAnsi(text);
    if (ansi.size() > 19)
        t = QString::fromLatin1(ansi.left(19));
    qsizetype i = 0;
    while (i < t.size() && (t[i] == u' ' || t[i] == u'\t' || t[i] == u'\n' || t[i] == u'\r' ||
                            t[i] == u'\v' || t[i] == u'\f'))
        ++i;
    return ParseIntPrefix(QStringView(t).mid(i), false);
}

} // namespace

const char* ParaKeyName(int index)
{
    return (index >= 0 && index < kParaCount) ? kKeys[index] : "";
}

int ParaIndexOf(const QString& key)
{
    for (int i = 0; i < kParaCount; ++i)
        if (key == QLatin1String(kKeys[i]))
            return i;
    return -1;
}

CParaStrings::CParaStrings() = default;

QString CParaStrings::Get(int stringIndex) const
{
    std::lock_guard guard(m_lock);
    return m_strings[stringIndex];
}

void CParaStrings::SetRaw(int stringIndex, const QString& value)
{
    std::lock_guard guard(m_lock);
    m_strings[stringIndex] = value;
}

int DefaultSingleWidth(int fullScreenWidth)
{
    return std::max(600, (fullScreenWidth / 200) * 100);
}

CParaBlock::CParaBlock(const ParaScreen& screen)
{
    ResetToDefaults(screen);
}

void CParaBlock::ResetToDefaults(const ParaScreen& screen)
{
    const int cx = screen.fullScreenWidth;
    std::lock_guard guard(m_lock);
    std::fill(std::begin(m_ints), std::end(m_ints), kParaUnset);
    m_ints[PARA_VISTA_STYLE] = 1;
    m_ints[PARA_MARGIN_TOP] = 40;
    m_ints[PARA_MARGIN_LEFT] = std::max(40, (cx / 300) * 10);
    m_ints[PARA_TEXT_COLOR] = 0;
    m_ints[PARA_TEXT_BG_IMAGE] = 11;
    m_ints[PARA_TEXT_BG_COLOR] = static_cast<int>(screen.windowColour);
    m_ints[PARA_TEXT_LINE_COLOR] = 0xC0C0C0;
    m_ints[PARA_TEXT_SHOW_LINE] = 1;
    m_ints[PARA_COVER_IMAGE] = 1;
    m_ints[PARA_COVER_COLOR] = 0x800000;
    m_ints[PARA_COVER_MARGIN] = 15;
    m_ints[PARA_LINE_PERCENT] = 5;
    m_ints[PARA_FONT_SIZE] = 26;
    m_ints[PARA_FONT_BOLD] = 1;
    m_ints[PARA_PAGE_MIDDLE] = 1;
    m_ints[PARA_COLOR_PAGE_EDGE] = 0x707070;
    m_ints[PARA_TURN_PAGE] = 4;
    m_ints[PARA_SAVE_RST] = 1;
    m_ints[PARA_LAST_POS] = 0;
    m_ints[PARA_SHOW_MODE] = 0;
    m_ints[PARA_BACK_COLOR] = 0;
    m_ints[PARA_BACK_IMG] = 4;
    m_ints[PARA_SINGLE_WIDTH] = DefaultSingleWidth(cx);
    m_ints[PARA_VIEW_MODE] = 0;
    m_ints[PARA_VERTICAL_LINE] = 0;
    m_ints[PARA_SHOW_BOOK] = 1;
    m_ints[PARA_SHOW_BOOK_NAME] = 1;
    m_ints[PARA_CHP_ENG_DIGIT] = 1;
    m_ints[PARA_CHP_CHN_DIGIT] = 0;
    m_ints[PARA_CHP_CHN_LOWER] = 1;
    m_ints[PARA_CHP_CHN_UPPER] = 0;
    m_ints[PARA_CHP_LINE_HEAD] = 10;
    m_ints[PARA_CHP_SEP_BLANK] = 1;
    m_ints[PARA_CHP_NO_DUP_CHPT] = 1;
    m_ints[PARA_GOTO_TYPE] = 0;
    m_ints[PARA_CHP_FONT_SIZE] = 0;
    m_ints[PARA_LINE_BREAK_RULES] = 0;
    m_ints[PARA_AUTO_TURN_SECONDS] = kAutoTurnDefaultSeconds;
    m_ints[PARA_CONVERSION] = 0;
    std::lock_guard sguard(m_strings.m_lock);
    for (QString& s : m_strings.m_strings)
        s.clear();
}

int CParaBlock::GetInt(int index) const
{
    if (!IsInt(index))
        return 0;
    std::lock_guard guard(m_lock);
    return m_ints[index];
}

QString CParaBlock::GetString(int index) const
{
    if (!IsString(index))
        return {};
    return m_strings.Get(index - kParaIntCount);
}

bool CParaBlock::SetInt(int index, int value, bool write)
{
    if (!IsInt(index))
        return false;
    {
        std::lock_guard guard(m_lock);
        if (m_ints[index] == value)
            return false;
        m_ints[index] = value;
    }
    if (write)
        WriteKey(index);
    return true;
}

bool CParaBlock::SetString(int index, const QString& text, bool write)
{
    if (!IsString(index))
        return false;
    {
        std::lock_guard guard(m_strings.m_lock);
        QString& stored = m_strings.m_strings[index - kParaIntCount];
        const bool changed = text.isEmpty() ? !stored.isEmpty() : stored != text;
        if (!changed)
            return false;
        stored = text.isEmpty() ? QString() : text;
    }
    if (write && index == PARA_LAST_PATH) {
        // A place belongs to its book: another book starts at its beginning, in the same rewrite.
        {
            std::lock_guard guard(m_lock);
            m_ints[PARA_LAST_POS] = 0;
        }
        WriteLastBook();
    } else if (write) {
        WriteKey(index);
    }
    return true;
}

bool CParaBlock::SetLastBook(const QString& path, std::int32_t position)
{
    bool changed = false;
    {
        std::lock_guard guard(m_strings.m_lock);
        QString& stored = m_strings.m_strings[PARA_LAST_PATH - kParaIntCount];
        changed = stored != path;
        stored = path;
    }
    {
        std::lock_guard guard(m_lock);
        changed = changed || m_ints[PARA_LAST_POS] != position;
        m_ints[PARA_LAST_POS] = position;
    }
    if (changed)
        WriteLastBook();
    return changed;
}

bool CParaBlock::WriteLastBook() const
{
    const QString path = IniPath();
    if (path.isEmpty())
        return false;
    return IniFile(path).WriteStrings(m_section,
                                      {{Key(PARA_LAST_PATH), GetString(PARA_LAST_PATH)},
                                       {Key(PARA_LAST_POS), QString::number(GetInt(PARA_LAST_POS))}});
}

bool CParaBlock::CopyFrom(const CParaBlock& other)
{
    if (&other == this)
        return true;
    // Both integer locks, then the string locks, in one order (by address) so two copies in
    // opposite directions cannot deadlock.
    std::scoped_lock lock(m_lock, other.m_lock, m_strings.m_lock, other.m_strings.m_lock);
    bool allEqual = true;
    for (int i = 0; i < kParaIntCount; ++i) {
        if (m_ints[i] != other.m_ints[i]) {
            allEqual = false;
            m_ints[i] = other.m_ints[i];
        }
    }
    for (int i = 0; i < kParaStringCount; ++i)
        if (m_strings.m_strings[i] != other.m_strings.m_strings[i])
            m_strings.m_strings[i] = other.m_strings.m_strings[i];
    return allEqual;
}

bool CParaBlock::IsSameAs(const CParaBlock& other) const
{
    if (&other == this)
        return true;
    std::scoped_lock lock(m_lock, other.m_lock, m_strings.m_lock, other.m_strings.m_lock);
    for (int i = 0; i < kParaIntCount; ++i)
        if (m_ints[i] != other.m_ints[i])
            return false;
    for (int i = 0; i < kParaStringCount; ++i)
        if (m_strings.m_strings[i] != other.m_strings.m_strings[i])
            return false;
    return true;
}

void CParaBlock::WriteChangesSince(const CParaBlock& other) const
{
    for (int i = 0; i < kParaCount; ++i) {
        const bool differs = IsInt(i) ? GetInt(i) != other.GetInt(i) : GetString(i) != other.GetString(i);
        if (differs)
            WriteKey(i);
    }
}

void CParaBlock::SetIniPath(const QString& path)
{
    std::scoped_lock lock(m_lock, m_strings.m_lock);
    m_iniPath = path;
    m_strings.m_iniPath = &m_iniPath;
}

QString CParaBlock::IniPath() const
{
    std::lock_guard guard(m_lock);
    return m_iniPath;
}

bool CParaBlock::WriteKey(int index) const
{
    const QString path = IniPath();
    if (path.isEmpty())
        return false;
    const QString value = IsInt(index) ? QString::number(GetInt(index)) : GetString(index);
    return IniFile(path).WriteString(m_section, Key(index), value);
}

int ParaGetInt(int index)
{
    return theParaBlock.GetInt(index);
}

void ParaSetInt(int value, int index)
{
    theParaBlock.SetInt(index, value, true);
}

QString ParaGetString(int index)
{
    return theParaBlock.GetString(index);
}

void ParaSetString(int index, const QString& text)
{
    theParaBlock.SetString(index, text, true);
}

void ParaSetLastBook(const QString& path, std::int32_t position)
{
    theParaBlock.SetLastBook(path, position);
}

void ParaSyncInt(int& value, int index, int lo, int hi)
{
    if (!IsInt(index))
        return;
    std::lock_guard guard(theParaBlock.m_lock);
    const int stored = theParaBlock.m_ints[index];
    if (stored == kParaUnset) {
        theParaBlock.m_ints[index] = value;
        return;
    }
    value = (lo == hi) ? stored : std::clamp(stored, std::min(lo, hi), std::max(lo, hi));
}

bool LoadParaBlock(const QString& iniPath, const ParaScreen& screen)
{
    theParaBlock.ResetToDefaults(screen);
    theParaBlock.SetIniPath(iniPath);

    bool readable = true;
    IniDocument doc;
    QFile f(iniPath);
    if (f.exists()) {
        if (f.size() > IniFile::kMaxFileSize || !f.open(QIODevice::ReadOnly))
            readable = false;
        else
            doc = IniDocument::FromBytes(f.readAll());
    }
    const QString section = QStringLiteral("ParaBlock");
    {
        std::lock_guard guard(theParaBlock.m_lock);
        int* v = theParaBlock.m_ints;
        for (int i = 0; i < kParaIntCount; ++i) {
            const auto text = doc.Value(section, Key(i));
            if (text && !text->isEmpty())
                v[i] = ParseStoredInt(*text);
        }
        v[PARA_LINE_PERCENT] = std::clamp(v[PARA_LINE_PERCENT], 0, kLineHeightCount - 1);
        v[PARA_FONT_SIZE] = std::clamp(v[PARA_FONT_SIZE], 12, 100);
        v[PARA_PAGE_MIDDLE] = std::clamp(v[PARA_PAGE_MIDDLE], 0, 2);
        v[PARA_TURN_PAGE] = std::clamp(v[PARA_TURN_PAGE], 0, 10);
        v[PARA_SHOW_MODE] = v[PARA_SHOW_MODE] > 0 ? 1 : 0;
        v[PARA_CHP_LINE_HEAD] = std::clamp(v[PARA_CHP_LINE_HEAD], 0, 20);
        v[PARA_LINE_BREAK_RULES] = v[PARA_LINE_BREAK_RULES] != 0 ? 1 : 0;
        v[PARA_AUTO_TURN_SECONDS] =
            std::clamp(v[PARA_AUTO_TURN_SECONDS], kAutoTurnMinSeconds, kAutoTurnMaxSeconds);
        if (v[PARA_CONVERSION] < 0 || v[PARA_CONVERSION] > kParaConversionLast)
            v[PARA_CONVERSION] = 0;
        // An emptied width box once stored 0: a book no wider than its margins shows nothing.
        if (v[PARA_SINGLE_WIDTH] < kMinSingleWidth)
            v[PARA_SINGLE_WIDTH] = DefaultSingleWidth(screen.fullScreenWidth);
    }
    for (int i = kParaIntCount; i < kParaCount; ++i) {
        const auto text = doc.Value(section, Key(i));
        theParaBlock.SetString(i, text.value_or(QString()), false);
    }
    theParaBlock.SetString(PARA_LAYOUT_PARA_END, kParaEndDefault, false);
    return readable;
}

void EnsureUnicodeIniFile(const QString& path, const QString& section)
{
    IniFile(path).MakeUnicode(section);
}

QString ParaValueText(int index)
{
    if (IsInt(index))
        return QString::number(ParaGetInt(index));
    return ParaGetString(index);
}
