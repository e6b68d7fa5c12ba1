// The ordered list of chapter conditions, indexed from 1.
#pragma once

#include "chapters/chaptercondition.h"

#include <QStringList>

// Conditions of 4,095 or more code units are refused: the condition file and the dialogs could
// not hold them.
class ChapterConditionList
{
public:
    static constexpr qsizetype kMaxUnits = 4094;

    // False (nothing stored) for a string that is too long.
    bool Add(const ChapterCondition& condition);
    // 1-based; false for an index out of range or a string that is too long.
    bool Set(int index, const ChapterCondition& condition);
    bool Remove(int index);
    void Clear() { m_items.clear(); }
    // The ten conditions a fresh profile starts with.
    void FillDefaults();

    int Count() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.isEmpty(); }
    // 1-based; an empty string for an index out of range.
    ChapterCondition At(int index) const;
    const QStringList& Items() const { return m_items; }

    bool operator==(const ChapterConditionList& other) const = default;

    static QStringList Defaults();

private:
    QStringList m_items;
};
