// Helpers shared by the CxImage sources: byte order, row sizes, allocation and size limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace cximage_detail {

constexpr std::uint32_t kInfoHeaderSize = 40;

constexpr std::uint64_t RowBytes(std::uint64_t width, int bits)
{
    return ((width * static_cast<std::uint64_t>(bits) + 31) / 32) * 4;
}

inline std::uint16_t Le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t Le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void PutLe16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutLe32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Null on allocation failure instead of throwing.
std::unique_ptr<std::uint8_t[]> AllocBytes(std::size_t size);

// Create's message for a size it refuses, or null.
const char* CheckSize(std::int64_t width, std::int64_t height, int bits);

} // namespace cximage_detail
