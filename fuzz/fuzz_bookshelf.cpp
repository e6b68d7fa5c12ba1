// Random bookshelf files: reading never crashes and gives trimmed non-empty lines, and what the list
// writes reads back the same, through the file bytes and through a save and reload alike.
#include "library/bookshelflist.h"
#include "document/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

bool WriteBytes(const QString& path, const char* data, qint64 size)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data, size) == size;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool init = CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
    // Memory-backed when possible: every run writes the file several times.
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/lt-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/lt-fuzz-XXXXXX"));
    (void)init;
    if (size > 64 * 1024 || !dir.isValid())
        return 0;
    const QString path = dir.filePath(QStringLiteral("Leafturner.blb"));
    if (!WriteBytes(path, reinterpret_cast<const char*>(data), static_cast<qint64>(size)))
        return 0;

    const QStringList lines = BookshelfList::ReadLines(path);
    QString firstDefault;
    bool found = false;
    for (const QString& line : lines) {
        if (line.isEmpty() || line != line.trimmed())
            __builtin_trap();
        if (!found && BookshelfList::IsDefaultLine(line)) {
            found = true;
            firstDefault = BookshelfList::WithoutMark(line);
        }
    }
    if (BookshelfList::DefaultIn(lines) != firstDefault)
        __builtin_trap();

    // The bytes the list writes give the same lines, and writing those again gives the same bytes.
    const QByteArray bytes = BookshelfList::FileBytes(lines);
    if (!WriteBytes(path, bytes.constData(), bytes.size()))
        return 0;
    if (BookshelfList::ReadLines(path) != lines)
        __builtin_trap();
    if (BookshelfList::FileBytes(BookshelfList::ReadLines(path)) != bytes)
        __builtin_trap();

    // Saving and reloading: an empty list removes the file and reloads as empty.
    BookshelfList list(path);
    if (!list.Save(lines))
        __builtin_trap();
    if (lines.isEmpty() && QFileInfo::exists(path))
        __builtin_trap();
    list.Reload();
    if (list.Entries() != lines || list.DefaultBookshelf() != BookshelfList::DefaultIn(lines))
        __builtin_trap();
    return 0;
}
