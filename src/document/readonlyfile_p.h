// Whole-file reading for the decoders: read() into memory rather than a mapping.
#pragma once

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

// A mapping faults (SIGBUS) when another program shortens the file while we decode it; read()
// just returns fewer bytes. The bytes live only as long as the decoding needs them.
class ReadOnlyFile
{
public:
    struct FreeDeleter
    {
        void operator()(void* p) const { std::free(p); }
    };
    using Buffer = std::unique_ptr<std::uint8_t[], FreeDeleter>;

    enum class Status
    {
        Ok,
        CannotOpen,
        Empty,
        Over4G,
        NoMemory,
        ReadError
    };

    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Regular files only: a directory, a FIFO or a device is CannotOpen. Size 0 is Empty, 4 GB or
    // more Over4G; the file stays open for the Ok case only.
    Status Open(const QString& path);
    std::uint64_t Size() const { return m_size; }

    // Hands the file's bytes to `visit` piece by piece, holes of a sparse file as zeros without
    // reading them; stops early when `visit` returns false. False on a read error.
    bool ForEachPiece(const std::function<bool(const std::uint8_t*, std::size_t)>& visit);

    // Reads the whole file into a malloc'ed block of Size() + `slack` bytes. `got` is the number of
    // bytes read: fewer than Size() when the file shrank meanwhile.
    Status ReadAll(Buffer& bytes, std::size_t& got, std::size_t slack = 0);

    void Close();

    // malloc for the large blocks of a book. Asks for huge pages over the first `surelyUsed` bytes,
    // since faulting in a 30 MB block page by page costs as much as decoding it; not beyond, so a
    // block sized for the worst case does not take more memory than it fills.
    static void* AllocateLarge(std::size_t bytes, std::size_t surelyUsed);
    // The same advice for the first `bytes` of a block from AllocateLarge.
    static void AdviseHugePages(void* block, std::size_t bytes);

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};
