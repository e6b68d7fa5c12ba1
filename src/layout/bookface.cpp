// Fontconfig asks for the book face: QFont's own "serif" alias does not weigh the locale's language.
#include "layout/bookface.h"

#include <QFontDatabase>
#include <fontconfig/fontconfig.h>

#include <memory>

namespace {

struct PatternDeleter
{
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// fontconfig's language tag for a locale name; books here are Chinese, so other locales ask for
// Simplified Chinese coverage too.
QByteArray FcLanguage(const QString& locale)
{
    const QString l = locale.toLower().replace(u'-', u'_');
    if (l.startsWith(u"zh_tw") || l.startsWith(u"zh_hant"))
        return "zh-tw";
    if (l.startsWith(u"zh_hk") || l.startsWith(u"zh_mo"))
        return "zh-hk";
    if (l.startsWith(u"ja"))
        return "ja";
    if (l.startsWith(u"ko"))
        return "ko";
    return "zh-cn";
}

bool CoversHan(FcPattern* font)
{
    FcCharSet* chars = nullptr;
    return FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) == FcResultMatch && chars != nullptr &&
           FcCharSetHasChar(chars, 0x4E2D) && FcCharSetHasChar(chars, 0x6587);
}

QString StringOf(FcPattern* font, const char* object, int index)
{
    FcChar8* value = nullptr;
    if (FcPatternGetString(font, object, index, &value) != FcResultMatch || value == nullptr)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(value));
}

// Chinese names a font carries for its family (familylang zh-*), first one.
QString ChineseFamilyName(const QString& family)
{
    Pattern pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(family.toUtf8().constData()));
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, nullptr), &FcObjectSetDestroy);
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> set(
        FcFontList(nullptr, pattern.get(), objects.get()), &FcFontSetDestroy);
    if (!set)
        return {};
    for (int f = 0; f < set->nfont; ++f)
        for (int i = 0;; ++i) {
            const QString lang = StringOf(set->fonts[f], FC_FAMILYLANG, i);
            if (lang.isEmpty())
                break;
            if (lang.startsWith(u"zh"))
                return StringOf(set->fonts[f], FC_FAMILY, i);
        }
    return {};
}

} // namespace

QString PreferredBookFamily(const QString& locale)
{
    if (!FcInit())
        return {};
    Pattern pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("serif"));
    FcPatternAddString(pattern.get(), FC_LANG,
                       reinterpret_cast<const FcChar8*>(FcLanguage(locale).constData()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Pattern font(FcFontMatch(nullptr, pattern.get(), &result));
    if (!font || result != FcResultMatch || !CoversHan(font.get()))
        return {};
    const QString family = StringOf(font.get(), FC_FAMILY, 0);
    // Only a family Qt lists can be measured and drawn.
    return QFontDatabase::families().contains(family) ? family : QString();
}

QList<FaceName> ReadingFaces()
{
    QList<FaceName> cjk;
    QList<FaceName> others;
    const bool fc = FcInit();
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isScalable(family))
            continue;
        FaceName face{family, family, false};
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        face.cjk = systems.contains(QFontDatabase::SimplifiedChinese) ||
                   systems.contains(QFontDatabase::TraditionalChinese);
        if (face.cjk && fc) {
            const QString chinese = ChineseFamilyName(family);
            if (!chinese.isEmpty() && chinese != family)
                face.shown = chinese;
        }
        (face.cjk ? cjk : others).append(face);
    }
    return cjk + others;
}
