// The display settings' choices: colour schemes, font faces, the single-page width and layout changes.
#include "settings/displaychoices.h"

#include "layout/textmetrics.h"

#include <algorithm>

const std::array<ColourScheme, 11> kColourSchemes = {{
    {u"CRT", 0x71B33C, 0x000000, 0xA0A0A0},
    {u"淡绿", 0x000000, 0xDDE6DC, 0xA0A0A0},
    {u"淡蓝", 0x000000, 0xF1EBE4, 0xA0A0A0},
    {u"淡褐", 0x000000, 0xA9C6CD, 0x666666},
    {u"淡黄", 0x000000, 0xDBE6EE, 0xA0A0A0},
    {u"淡青", 0x000000, 0xFFFFBF, 0xA0A0A0},
    {u"淡灰", 0x000000, 0xE5DCD9, 0xA0A0A0},
    {u"深灰", 0x000000, 0xC0C0C0, 0x808080},
    {u"收获时节", 0x00F8F8, 0x000000, 0xA0A0A0},
    {u"蓝天白云", 0xFFFFFF, 0x800000, 0xA0A0A0},
    {u"深夜时分", 0xC0C0C0, 0x000000, 0xA0A0A0},
}};

namespace {

const QString kWidthTooLarge = QStringLiteral("单页书籍宽度不能超过当前屏幕宽度，请更正。");
const QString kWidthTooSmall = QStringLiteral("单页书籍宽度不能小于%1像素，请更正。");

} // namespace

QList<FaceName> DisplayFontFaces()
{
    QList<FaceName> faces;
    for (const FaceName& face : ReadingFaces())
        if (std::none_of(faces.begin(), faces.end(),
                         [&](const FaceName& f) { return f.family == face.family; }))
            faces.append(face);
    std::stable_sort(faces.begin(), faces.end(), [](const FaceName& a, const FaceName& b) {
        if (a.cjk != b.cjk)
            return a.cjk;
        const int c = a.shown.compare(b.shown, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.shown < b.shown;
    });
    return faces;
}

QString CurrentFontFace()
{
    const QString named = ParaGetString(PARA_TXT_FONT_NAME);
    const TextMetrics& metrics = TheTextMetrics();
    if (!named.isEmpty() || !metrics.HasFont())
        return named;
    const QFont& font = metrics.ReadingFont();
    return font.families().isEmpty() ? font.family() : font.families().first();
}

int FontFaceIndex(const QStringList& families, const QString& face)
{
    for (int i = 0; !face.isEmpty() && i < families.size(); ++i) {
        if (families[i].startsWith(face, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

QString SingleWidthProblem(int width, int screenWidth)
{
    if (width < kMinSingleWidth)
        return kWidthTooSmall.arg(kMinSingleWidth);
    if (screenWidth < width)
        return kWidthTooLarge;
    return {};
}

bool NeedsNewLayout(const CParaBlock& before, const CParaBlock& now)
{
    if (now.GetString(PARA_TXT_FONT_NAME) != before.GetString(PARA_TXT_FONT_NAME))
        return true;
    for (int index : {PARA_SHOW_BOOK, PARA_LINE_PERCENT, PARA_FONT_SIZE, PARA_FONT_BOLD, PARA_SHOW_MODE,
                      PARA_SINGLE_WIDTH, PARA_LINE_BREAK_RULES})
        if (now.GetInt(index) != before.GetInt(index))
            return true;
    return false;
}
