// The chapter condition list and its defaults.
#include "chapters/chapterconditionlist.h"

bool ChapterConditionList::Add(const ChapterCondition& condition)
{
    if (condition.size() > kMaxUnits)
        return false;
    m_items.append(condition);
    return true;
}

bool ChapterConditionList::Set(int index, const ChapterCondition& condition)
{
    if (index < 1 || index > Count() || condition.size() > kMaxUnits)
        return false;
    m_items[index - 1] = condition;
    return true;
}

bool ChapterConditionList::Remove(int index)
{
    if (index < 1 || index > Count())
        return false;
    m_items.removeAt(index - 1);
    return true;
}

ChapterCondition ChapterConditionList::At(int index) const
{
    if (index < 1 || index > Count())
        return {};
    return m_items[index - 1];
}

QStringList ChapterConditionList::Defaults()
{
    return {QStringLiteral("*第×集"), QStringLiteral("*第×部"), QStringLiteral("*第×册"),
            QStringLiteral("*第×卷"), QStringLiteral("*第×篇"), QStringLiteral("*第×章"),
            QStringLiteral("*第×节"), QStringLiteral("*第×话"), QStringLiteral("*第×回"),
            QStringLiteral("*后记")};
}

void ChapterConditionList::FillDefaults()
{
    m_items = Defaults();
}
