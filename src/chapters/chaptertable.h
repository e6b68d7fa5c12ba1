// The chapter-start offsets of the open book: 4,096 entries, used ones first and ascending, -1 free.
#pragma once

#include <array>
#include <cstdint>

// Row i of the chapter list is entry i, so the list and the table must be compacted together.
class ChapterTable
{
public:
    static constexpr int kSize = 4096;
    static constexpr std::int32_t kFree = -1;

    ChapterTable() { Reset(); }

    void Reset() { m_entries.fill(kFree); }
    std::int32_t operator[](int i) const { return m_entries[static_cast<std::size_t>(i)]; }
    std::int32_t& operator[](int i) { return m_entries[static_cast<std::size_t>(i)]; }
    // Entries before the first free one.
    int Count() const;
    // Non-negative entries ascending, then the free ones.
    void Compact();
    // The row a reader at `offset` is in: the last chapter starting before `offset` (row 0 when
    // none does), or -1 for an empty table. The reading view gives the last offset it shows (the
    // text's length on the last view), so a chapter starting anywhere on the view is the one read.
    int RowAt(std::int32_t offset) const;

    const std::array<std::int32_t, kSize>& Entries() const { return m_entries; }

private:
    std::array<std::int32_t, kSize> m_entries;
};
