// A book's content fingerprint: its size and a hash of its first and last 64 KiB, so a moved or
// renamed book is recognised without reading it whole.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

struct BookFingerprint
{
    std::int64_t size = -1; // bytes in the file; -1 when unknown
    std::uint64_t hash = 0;

    bool IsValid() const { return size >= 0; }
    bool operator==(const BookFingerprint&) const = default;
};

// Bytes hashed at each end of the file.
constexpr std::size_t kFingerprintEdge = 64 * 1024;

// The fingerprint of a file's whole contents held in memory.
BookFingerprint FingerprintOfBytes(const std::uint8_t* data, std::size_t size);
// Reads at most 2 x 64 KiB of a regular file; an invalid fingerprint when it cannot be read.
BookFingerprint FingerprintOfFile(const QString& path);
