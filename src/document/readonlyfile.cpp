// Whole-file reading with read() and hole-aware streaming for very large files.
#include "document/readonlyfile_p.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kPiece = 16u << 20;
constexpr std::uint64_t k4G = std::uint64_t{1} << 32;

const std::array<std::uint8_t, 1u << 20>& Zeros()
{
    static const std::array<std::uint8_t, 1u << 20> zeros{};
    return zeros;
}

// pread until `n` bytes or the end of the file; -1 on error.
ssize_t ReadFully(int fd, std::uint8_t* out, std::size_t n, off_t offset)
{
    std::size_t got = 0;
    while (got < n) {
        const std::size_t ask = std::min<std::size_t>(n - got, 1u << 30);
        const ssize_t r = ::pread(fd, out + got, ask, offset + static_cast<off_t>(got));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

} // namespace

void* ReadOnlyFile::AllocateLarge(std::size_t bytes, std::size_t surelyUsed)
{
    constexpr std::size_t kHuge = 2u << 20;
    if (bytes < 2 * kHuge)
        return std::malloc(bytes);
    // Starting on a huge-page boundary, the first 2 MB can be a huge page too.
    void* p = std::aligned_alloc(kHuge, (bytes + kHuge - 1) & ~(kHuge - 1));
    if (p)
        AdviseHugePages(p, std::min(surelyUsed, bytes));
    return p;
}

void ReadOnlyFile::AdviseHugePages(void* block, std::size_t bytes)
{
    constexpr std::uintptr_t kHuge = 2u << 20;
    if (block == nullptr || bytes < 2 * kHuge)
        return;
    // Whole huge pages inside the range only: one reaching past it would hold memory never filled.
    const auto start = (reinterpret_cast<std::uintptr_t>(block) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(kHuge - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

ReadOnlyFile::~ReadOnlyFile()
{
    Close();
}

void ReadOnlyFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

ReadOnlyFile::Status ReadOnlyFile::Open(const QString& path)
{
    Close();
    if (path.isEmpty())
        return Status::CannotOpen;
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return Status::CannotOpen;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Status::CannotOpen;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size == 0) {
        ::close(fd);
        return Status::Empty;
    }
    if (size >= k4G) {
        ::close(fd);
        return Status::Over4G;
    }
    m_fd = fd;
    m_size = size;
    return Status::Ok;
}

bool ReadOnlyFile::ForEachPiece(const std::function<bool(const std::uint8_t*, std::size_t)>& visit)
{
    if (m_fd < 0)
        return false;
    Buffer piece(static_cast<std::uint8_t*>(std::malloc(kPiece)));
    if (!piece)
        return false;
    const auto end = static_cast<off_t>(m_size);
    off_t at = 0;
    while (at < end) {
        off_t data = ::lseek(m_fd, at, SEEK_DATA);
        if (data < 0)
            data = errno == ENXIO ? end : at; // ENXIO: a hole up to the end; other errors: no hole support
        data = std::min(data, end);
        for (; at < data;) {
            const auto n = static_cast<std::size_t>(std::min<off_t>(data - at, Zeros().size()));
            if (!visit(Zeros().data(), n))
                return true;
            at += static_cast<off_t>(n);
        }
        if (at >= end)
            break;
        off_t hole = ::lseek(m_fd, at, SEEK_HOLE);
        hole = hole < 0 ? end : std::min(std::max(hole, at + 1), end);
        while (at < hole) {
            const auto want = static_cast<std::size_t>(std::min<off_t>(hole - at, kPiece));
            const ssize_t got = ReadFully(m_fd, piece.get(), want, at);
            if (got < 0)
                return false;
            if (got == 0)
                return true; // shrank: the file ends here now
            if (!visit(piece.get(), static_cast<std::size_t>(got)))
                return true;
            at += got;
        }
    }
    return true;
}

ReadOnlyFile::Status ReadOnlyFile::ReadAll(Buffer& bytes, std::size_t& got, std::size_t slack)
{
    got = 0;
    if (m_fd < 0)
        return Status::CannotOpen;
    const auto size = static_cast<std::size_t>(m_size);
    bytes.reset(static_cast<std::uint8_t*>(AllocateLarge(size + slack, size)));
    if (!bytes)
        return Status::NoMemory;
    const ssize_t r = ReadFully(m_fd, bytes.get(), size, 0);
    if (r < 0) {
        bytes.reset();
        return Status::ReadError;
    }
    got = static_cast<std::size_t>(r);
    if (got == 0) {
        bytes.reset();
        return Status::Empty;
    }
    return Status::Ok;
}
