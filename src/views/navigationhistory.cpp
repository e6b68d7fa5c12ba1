// NavigationHistory: recording and walking the ring.
#include "views/navigationhistory.h"

void NavigationHistory::Record(std::int32_t offset)
{
    if (!IsEmpty() && offset == m_entries[m_current])
        return;
    if ((m_next + 1) % kSlots == m_oldest)
        m_oldest = (m_oldest + 1) % kSlots;
    m_entries[m_next] = offset;
    m_current = m_next;
    m_next = (m_next + 1) % kSlots;
}

std::int32_t NavigationHistory::Back()
{
    m_current = (m_current + kSlots - 1) % kSlots;
    return m_entries[m_current];
}

std::int32_t NavigationHistory::Forward()
{
    m_current = (m_current + 1) % kSlots;
    return m_entries[m_current];
}
