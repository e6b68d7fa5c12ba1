// The reading face used when no font is chosen, and the face list of the display settings.
#pragma once

#include <QString>
#include <QStringList>

// The CJK serif (Song/Ming) family fontconfig prefers for `locale` (a name such as "zh_CN"); Chinese
// desktops read books in a Song face, so an empty font setting means this one. Empty when fontconfig
// knows no serif face that covers Han, so the caller falls back to the general system font.
QString PreferredBookFamily(const QString& locale);

// One entry of the face list: the family as the settings store it and the name to show.
struct FaceName
{
    QString family;
    QString shown; // the family's Chinese name where the font carries one, else `family`
    bool cjk = false;
};

// Scalable families, the ones that cover Chinese first, each group in its own order.
QList<FaceName> ReadingFaces();
