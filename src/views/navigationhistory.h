// NavigationHistory: the ring of the last reading positions that Back and Forward walk.
#pragma once

#include <array>
#include <cstdint>

// Sixteen slots hold at most fifteen offsets: writing into the slot of the oldest entry drops it.
// Going back and then turning a page appends at the write position without discarding the entries
// between the current one and it.
class NavigationHistory
{
public:
    static constexpr int kSlots = 16;

    void Reset() { m_oldest = m_next = m_current = 0; }
    bool IsEmpty() const { return m_next == m_oldest; }

    // Records `offset` unless it is the entry now current.
    void Record(std::int32_t offset);
    bool CanGoBack() const { return !IsEmpty() && m_current != m_oldest; }
    bool CanGoForward() const { return !IsEmpty() && (m_current + 1) % kSlots != m_next; }
    // Moves to the previous / next entry and returns its offset; call only when allowed.
    std::int32_t Back();
    std::int32_t Forward();

    int Count() const { return (m_next - m_oldest + kSlots) % kSlots; }
    std::int32_t Current() const { return m_entries[m_current]; }

private:
    std::array<std::int32_t, kSlots> m_entries{};
    int m_oldest = 0;
    int m_next = 0;
    int m_current = 0;
};
