// Folder path checks and creation for typed folder paths.
#include "ui/folderpath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <climits>

namespace {

// Linux names: anything but NUL, within the name length limit.
bool ComponentIsValid(const QString& part)
{
    return !part.isEmpty() && !part.contains(QChar(0)) && QFile::encodeName(part).size() <= NAME_MAX;
}

} // namespace

FolderPathResult ValidateFolderPath(const QString& path, bool checkOnly)
{
    if (path.isEmpty() || path.front() != QLatin1Char('/'))
        return FolderPathResult::Invalid;
    if (path.size() == 1) {
        if (checkOnly)
            return FolderPathResult::Valid;
        return QFileInfo(path).isDir() ? FolderPathResult::Valid : FolderPathResult::CannotCreate;
    }
    if (QFile::encodeName(path).size() >= PATH_MAX)
        return FolderPathResult::Invalid;

    const QStringList parts = path.mid(1).split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (!ComponentIsValid(part))
            return FolderPathResult::Invalid;
    }
    if (checkOnly)
        return FolderPathResult::Valid;

    QString prefix;
    for (const QString& part : parts) {
        prefix += QLatin1Char('/') + part;
        QDir().mkdir(prefix); // an existing folder is fine; the check below decides
        if (!QFileInfo(prefix).isDir())
            return FolderPathResult::CannotCreate;
    }
    return FolderPathResult::Valid;
}
