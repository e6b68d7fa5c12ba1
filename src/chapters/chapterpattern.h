// The pattern text of a chapter condition: numeral class, line-head prefix and separator suffix.
#pragma once

#include "chapters/chaptersearchoptions.h"

#include <QString>
#include <QStringView>

// The numeral class body in pattern syntax ("0123456789\-..."); empty when no numeral kind is on.
QString BuildNumeralClass(const ChapterSearchOptions& options);
// The same characters as plain text (the escaped hyphen as "-").
QString NumeralCharacters(const ChapterSearchOptions& options);

// Anchors a pattern at a line start, lets blanks and then up to `lineHead` further characters of
// the line stand before the keyword.
QString BuildLineHeadPrefix(int lineHead);

// The characters the separator suffix accepts after a keyword.
QStringView SeparatorCharacters();
inline bool IsSeparatorCharacter(char16_t c)
{
    return SeparatorCharacters().contains(QChar(c));
}
// Blanks a title is trimmed of and the normalised comparison skips.
inline bool IsTitleBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

// The keyword goes in unescaped: users may write pattern syntax into a condition. Empty when the
// keyword (with its numeral class) is not a valid pattern by itself.
QString BuildChapterPattern(QStringView keyword, const QString& numeralClass, const QString& lineHeadPrefix,
                            bool separatorSuffix);
