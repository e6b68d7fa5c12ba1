// Chapter table helpers.
#include "chapters/chaptertable.h"

#include <algorithm>

int ChapterTable::Count() const
{
    int i = 0;
    while (i < kSize && m_entries[static_cast<std::size_t>(i)] >= 0)
        ++i;
    return i;
}

void ChapterTable::Compact()
{
    std::sort(m_entries.begin(), m_entries.end(), [](std::int32_t a, std::int32_t b) {
        if ((a < 0) != (b < 0))
            return b < 0;
        return a < b;
    });
}

int ChapterTable::RowAt(std::int32_t offset) const
{
    int i = 0;
    while (i < kSize && m_entries[static_cast<std::size_t>(i)] >= 0 &&
           m_entries[static_cast<std::size_t>(i)] < offset)
        ++i;
    if (i == 0)
        return m_entries[0] < 0 ? -1 : 0;
    return i - 1;
}
