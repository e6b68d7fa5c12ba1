// Random bookmark files: listing, reading and sorting never crash, and adding a bookmark loses none.
#include "library/bookmarkfile.h"
#include "document/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool init = CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
    // Memory-backed when possible: every run rewrites the file with a sync.
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/lt-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/lt-fuzz-XXXXXX"));
    (void)init;
    if (size > 64 * 1024 || !dir.isValid())
        return 0;
    const QString path = dir.filePath(QStringLiteral("Leafturner.bmk"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    BookmarkFile file(path);
    const IniDocument before = file.Load();
    const QStringList names = BookmarkFile::Names(before);
    (void)BookmarkFile::SortedForDisplay(names);

    const QString added = QStringLiteral("fuzz mark");
    if (!file.Write(added, QStringLiteral("/books/fuzz.txt"), 7))
        __builtin_trap();
    const IniDocument after = file.Load();
    const BookmarkEntry mark = BookmarkFile::Read(after, added);
    if (mark.path != QStringLiteral("/books/fuzz.txt") || mark.position != 7)
        __builtin_trap();
    for (const QString& name : names) {
        if (name.compare(added, Qt::CaseInsensitive) == 0)
            continue;
        const BookmarkEntry was = BookmarkFile::Read(before, name);
        const BookmarkEntry now = BookmarkFile::Read(after, name);
        if (was.path != now.path || was.position != now.position)
            __builtin_trap();
    }
    return 0;
}
