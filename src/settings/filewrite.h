// Writing files beside the user's own: the atomic replace, our temporary names, clearing the ones an
// interrupted save left behind, and an in-place replace for a writable file in a folder that takes no
// new files.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// ".lt-" + 8 lowercase hex digits + ".tmp": short, so long book names still leave room.
QString TempFileName(std::uint32_t random);
bool IsTempFileName(const QString& name);

// Once per folder and process: removes our temporary files there (our name pattern, regular, owned by
// us) last written before this process started, i.e. left by a save that never finished. Newer ones
// may belong to a save of another running instance and stay.
void RemoveStaleTempFiles(const QString& folder);

// Replaces `path` atomically with `bytes`: a temporary file in the same folder, flushed and synced,
// then renamed over the target; the target's permissions are kept and a symlink keeps pointing
// where it did (its target is replaced). False leaves the old file untouched.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

// Overwrites the existing regular file `path` with `bytes` through the file itself. The original bytes
// are held in memory until the new ones are written and synced; a failure writes them back and gives
// false.
bool WriteFileInPlace(const QString& path, const QByteArray& bytes);

// WriteFileAtomically; but when the folder does not let us create the temporary file while the file
// itself is writable, WriteFileInPlace.
bool WriteBookFile(const QString& path, const QByteArray& bytes);
