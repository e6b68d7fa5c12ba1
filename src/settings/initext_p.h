// What the INI document and the INI file both need to know of a line: blanks, and the names and
// values one line can hold.
#pragma once

#include <QString>
#include <QStringView>

namespace IniText {

inline bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

inline QStringView TrimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

inline bool ContainsLineBreak(const QString& s)
{
    return s.contains(u'\r') || s.contains(u'\n');
}

inline bool ValidSection(const QString& s)
{
    return !s.isEmpty() && !ContainsLineBreak(s) && !s.contains(u'[') && !s.contains(u']');
}

inline bool ValidKey(const QString& s)
{
    return !TrimBlanks(s).isEmpty() && !ContainsLineBreak(s) && !s.contains(u'=') && !s.startsWith(u'[');
}

} // namespace IniText
