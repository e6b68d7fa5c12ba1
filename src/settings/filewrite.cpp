// The atomic replace, temporary names, the stale-temporary sweep and the in-place replace.
#include "settings/filewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Taken when the program starts: a temporary file written before then is not from a save of ours.
const std::time_t g_processStart = std::time(nullptr);

bool IsLowerHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
}

bool WriteAllAt(int fd, const char* data, qint64 size)
{
    off_t at = 0;
    while (size > 0) {
        const ssize_t w = ::pwrite(fd, data, static_cast<size_t>(std::min<qint64>(size, 1 << 30)), at);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0)
            return false;
        data += w;
        size -= w;
        at += w;
    }
    return true;
}

bool ReadAllAt(int fd, QByteArray& out, qint64 size)
{
    out.resize(static_cast<qsizetype>(size));
    qint64 got = 0;
    while (got < size) {
        const ssize_t r =
            ::pread(fd, out.data() + got, static_cast<size_t>(std::min<qint64>(size - got, 1 << 30)),
                    static_cast<off_t>(got));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (r == 0)
            break;
        got += r;
    }
    out.resize(static_cast<qsizetype>(got));
    return true;
}

// The bytes written and synced, and the file cut to their length.
bool Replace(int fd, const QByteArray& bytes)
{
    return WriteAllAt(fd, bytes.constData(), bytes.size()) &&
           ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
}

} // namespace

QString TempFileName(std::uint32_t random)
{
    return QStringLiteral(".lt-%1.tmp").arg(random, 8, 16, QChar(u'0'));
}

bool IsTempFileName(const QString& name)
{
    if (name.size() != 16 || !name.startsWith(QLatin1String(".lt-")) || !name.endsWith(QLatin1String(".tmp")))
        return false;
    for (int i = 4; i < 12; ++i) {
        if (!IsLowerHex(name[i]))
            return false;
    }
    return true;
}

void RemoveStaleTempFiles(const QString& folder)
{
    static std::mutex lock;
    static QSet<QString> swept;
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (swept.contains(folder))
            return;
        swept.insert(folder);
    }
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    const int dfd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTempFileName(QFile::decodeName(entry->d_name)))
            continue;
        struct stat st;
        if (::fstatat(dfd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || st.st_mtime >= g_processStart)
            continue;
        ::unlinkat(dfd, entry->d_name, 0);
    }
    ::closedir(dir);
}

bool WriteFileInPlace(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st;
    QByteArray original;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ReadAllAt(fd, original, st.st_size);
    if (!ok) {
        ::close(fd); // nothing written yet
        return false;
    }
    ok = Replace(fd, bytes);
    if (!ok)
        Replace(fd, original); // the space the original held is still there
    return (::close(fd) == 0) && ok;
}

bool WriteBookFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    if (info.isFile()) {
        const QString target = info.canonicalFilePath();
        const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
        if (::access(folder.constData(), W_OK | X_OK) != 0 && (errno == EACCES || errno == EPERM) &&
            ::access(QFile::encodeName(target).constData(), W_OK) == 0)
            return WriteFileInPlace(target, bytes);
    }
    return WriteFileAtomically(path, bytes);
}

namespace {

bool WriteAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t w = ::write(fd, data, static_cast<size_t>(std::min<qint64>(size, 1 << 30)));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += w;
        size -= w;
    }
    return true;
}

void SyncFolder(const QByteArray& folder)
{
    const int dfd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    // Write through symlinks (chains too) to the final target, so every link stays a link.
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink(); ++hops) {
        const QString target = info.symLinkTarget();
        if (target.isEmpty() || hops == 40)
            return false;
        info = QFileInfo(target);
    }
    if (info.exists() && !info.isFile())
        return false;
    const QString folder = info.absolutePath();
    const QByteArray folderBytes = QFile::encodeName(folder);

    mode_t mode = 0644;
    struct stat st;
    const QByteArray targetBytes = QFile::encodeName(info.absoluteFilePath());
    const bool existed = ::stat(targetBytes.constData(), &st) == 0;
    if (existed)
        mode = st.st_mode & 07777;
    else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    // A short name of our own: long book names would not leave room for a longer suffix.
    QByteArray tempBytes;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        const QString name = TempFileName(QRandomGenerator::global()->generate());
        tempBytes = QFile::encodeName(folder + u'/' + name);
        fd = ::open(tempBytes.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes.constData(), bytes.size());
    if (ok) {
        ::fchmod(fd, mode);
        if (existed && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
            [[maybe_unused]] const int r = ::fchown(fd, st.st_uid, st.st_gid);
        }
        ok = ::fsync(fd) == 0;
    }
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tempBytes.constData(), targetBytes.constData()) == 0;
    if (!ok) {
        ::unlink(tempBytes.constData());
        return false;
    }
    SyncFolder(folderBytes);
    RemoveStaleTempFiles(folder);
    return true;
}
