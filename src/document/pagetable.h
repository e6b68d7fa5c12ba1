// The character offset at which each layout page begins.
#pragma once

#include <cstdint>
#include <vector>

// Offsets are strictly increasing; page i (from 0) starts at entry i.
class PageTable
{
public:
    void Clear() { m_starts.clear(); }
    void Append(std::int32_t start) { m_starts.push_back(start); }
    int Count() const { return static_cast<int>(m_starts.size()); }
    std::int32_t At(int page) const { return m_starts[static_cast<std::size_t>(page)]; }
    const std::vector<std::int32_t>& Starts() const { return m_starts; }
    std::vector<std::int32_t>& Starts() { return m_starts; }

private:
    std::vector<std::int32_t> m_starts;
};
