// ValidateFolderPath: the checks a typed folder path must pass, and its creation.
#pragma once

#include <QString>

enum class FolderPathResult
{
    Valid = 0,        // valid, or created
    Invalid = 1,      // not an acceptable absolute folder path
    CannotCreate = 2, // a folder along the path could not be made
};

// `path` must be absolute; "/" stands alone as the root. Each component after it must be non-empty
// (so a doubled or trailing "/" is invalid) and hold no NUL; anything else Linux allows is valid.
// With `checkOnly` false every missing folder along the path is created, but only once the whole
// path has passed the checks.
FolderPathResult ValidateFolderPath(const QString& path, bool checkOnly);
