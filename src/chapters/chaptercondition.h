// One chapter condition in stored form: a leading "*" marks it enabled, the rest is the keyword.
#pragma once

#include <QString>
#include <QStringView>

using ChapterCondition = QString;

// The sign that stands for a number in a keyword; only its first occurrence is a placeholder.
constexpr char16_t kNumeralPlaceholder = u'\u00D7';

inline bool IsConditionEnabled(QStringView condition)
{
    return condition.startsWith(u'*');
}

// The keyword of an enabled condition, the whole text of a disabled one.
inline QStringView ConditionKeyword(QStringView condition)
{
    return IsConditionEnabled(condition) ? condition.mid(1) : condition;
}

inline ChapterCondition MakeCondition(QStringView keyword, bool enabled)
{
    return enabled ? QStringLiteral("*") + keyword.toString() : keyword.toString();
}
