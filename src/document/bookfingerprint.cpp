#include "document/bookfingerprint.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace {

constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;

std::uint64_t Mix(std::uint64_t h)
{
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 29;
    return h;
}

// Stored in the history, so it must never change: eight bytes at a time, little-endian.
std::uint64_t HashBytes(std::uint64_t h, const std::uint8_t* p, std::size_t n)
{
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w = 0;
        for (int b = 7; b >= 0; --b)
            w = (w << 8) | p[i + static_cast<std::size_t>(b)];
        h = (h ^ w) * kMul;
        h ^= h >> 32;
    }
    std::uint64_t tail = 0;
    for (std::size_t b = n; b > i; --b)
        tail = (tail << 8) | p[b - 1];
    h = (h ^ tail ^ (n - i)) * kMul;
    return h;
}

// Head and tail overlap for files shorter than two edges; each is hashed as it stands.
BookFingerprint Combine(std::int64_t size, const std::uint8_t* head, std::size_t headLength,
                        const std::uint8_t* tail, std::size_t tailLength)
{
    std::uint64_t h = Mix(static_cast<std::uint64_t>(size) * kMul + 0x51ED27);
    h = HashBytes(h, head, headLength);
    h = HashBytes(Mix(h), tail, tailLength);
    return {size, Mix(h)};
}

} // namespace

BookFingerprint FingerprintOfBytes(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr)
        size = 0;
    const std::size_t edge = std::min(size, kFingerprintEdge);
    return Combine(static_cast<std::int64_t>(size), data, edge, data + (size - edge), edge);
}

BookFingerprint FingerprintOfFile(const QString& path)
{
    QFileInfo info(path);
    if (!info.isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const std::int64_t size = file.size();
    const std::size_t edge = static_cast<std::size_t>(std::min<std::int64_t>(size, kFingerprintEdge));
    std::vector<std::uint8_t> head(edge), tail(edge);
    if (edge > 0) {
        if (file.read(reinterpret_cast<char*>(head.data()), static_cast<qint64>(edge)) !=
            static_cast<qint64>(edge))
            return {};
        if (!file.seek(size - static_cast<std::int64_t>(edge)) ||
            file.read(reinterpret_cast<char*>(tail.data()), static_cast<qint64>(edge)) !=
                static_cast<qint64>(edge))
            return {};
    }
    return Combine(size, head.data(), edge, tail.data(), edge);
}
