// Files the tests make and read back byte for byte.
#pragma once

#include <QByteArray>
#include <QString>

class QTemporaryDir;

// The whole file; empty when it cannot be read.
QByteArray ReadFileBytes(const QString& path);
// The file made (or emptied) to hold exactly `bytes`; a file that cannot be opened fails the test.
void WriteFileBytes(const QString& path, const QByteArray& bytes);
// The same for `name` in `dir`; the file's path.
QString WriteFileIn(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);
// `text` as UTF-16LE behind its byte-order mark, as the reader writes its side files.
QByteArray Utf16LeWithMark(const QString& text);
