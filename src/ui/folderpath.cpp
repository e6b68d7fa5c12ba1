// Folder path checks and creation for typed folder paths.
#include "ui/folderpath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <climits>

namespace {

bool IsEdgeCharacter(QChar c)
{
    return c == QLatin1Char('\t') || c == QLatin1Char(' ') || c == QLatin1Char('.');
}

bool ComponentIsValid(const QString& part)
{
    if (part.isEmpty() || IsEdgeCharacter(part.front()) || IsEdgeCharacter(part.back()))
        return false;
    static const QString forbidden = QStringLiteral("\"*:<>?\\|");
    for (const QChar c : part) {
        // A control character (NUL above all) would name a different folder than the one shown.
        if (c.unicode() < 0x20 || forbidden.contains(c))
            return false;
    }
    return QFile::encodeName(part).size() <= NAME_MAX;
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
