// Reading and writing INI-style files the way the reader's side files need it.
#pragma once

#include "settings/inidocument.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// An INI file on disk. Reads parse the file afresh each time; a write takes a lock file, re-reads
// the file, changes one entry, keeps every other line and replaces the file atomically, so two
// processes never lose each other's keys and a crash never leaves a half-written file.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString& Path() const { return m_path; }

    // Files larger than this are not read (everything reads as missing) and never rewritten.
    static constexpr qint64 kMaxFileSize = 32 * 1024 * 1024;

    IniDocument Load() const;

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // GetPrivateProfileInt: a missing key gives `defaultValue`; otherwise leading blanks, an optional
    // sign and decimal digits (or 0x and hex digits); no digits give 0.
    int ReadInt(const QString& section, const QString& key, int defaultValue) const;
    QStringList SectionNames() const;
    QByteArray ReadBinary(const QString& section, const QString& key) const;

    // Writes refuse (false, file untouched) names holding CR, LF, "[" or "]" in a section name,
    // "=" in a key, CR or LF in a value, and files over kMaxFileSize.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    // Several keys of one section in one rewrite: the file never holds some without the others.
    bool WriteStrings(const QString& section, const std::vector<std::pair<QString, QString>>& entries);
    bool WriteBinary(const QString& section, const QString& key, const QByteArray& value);
    bool DeleteKey(const QString& section, const QString& key);
    bool DeleteSection(const QString& section);

    // Makes the file UTF-16LE with FF FE under the write lock: a missing or empty file gets the mark
    // and "[section]" (an empty line when `section` is empty); another encoding is converted once.
    bool MakeUnicode(const QString& section);

    // Parses an integer the way ReadInt does: blanks around it, then ParseIntPrefix with hex.
    static int ParseInt(const QString& text);

private:
    template <typename Work> bool Locked(Work work);
    template <typename Change> bool Modify(Change change);
    template <typename Change> bool ModifyLocked(Change change);
    bool Rewrite(const QByteArray& bytes);

    QString m_path;
};

// Called after every rewrite of an INI file, on the thread that made it; for measurements and tests.
using IniRewriteObserver = void (*)(const QString& path);
void SetIniRewriteObserver(IniRewriteObserver observer);
