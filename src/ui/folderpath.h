// ValidateFolderPath: the checks a typed folder path must pass, and its creation.
#pragma once

#include <QString>

enum class FolderPathResult
{
    Valid = 0,        // valid, or created
    Invalid = 1,      // not an acceptable absolute folder path
    CannotCreate = 2, // a folder along the path could not be made
};

// `path` must be absolute; "/" stands alone as the root. Each component after it must be non-empty,
// must not begin or end with a tab, space or full stop, and must hold none of " * : < > ? \ | or a
// control character; a trailing "/" is invalid. With `checkOnly` false every missing folder along
// the path is created, but only once the whole path has passed the checks.
FolderPathResult ValidateFolderPath(const QString& path, bool checkOnly);
