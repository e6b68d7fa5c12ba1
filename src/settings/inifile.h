// Reading and writing INI-style files the way the reader's side files need it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

// The parsed lines of one INI file. Sections are "[name]" lines, entries "key=value" lines; section
// and key names compare case-insensitively for ASCII letters; the first matching section and the
// first matching key win. Every line that is not touched is kept as it was.
class IniDocument
{
public:
    IniDocument() = default;

    // Decodes file bytes: UTF-16LE/BE with mark, UTF-8 (with or without mark), else the ANSI code page.
    static IniDocument FromBytes(const QByteArray& bytes);
    // UTF-16LE with FF FE, every line ended by CR LF.
    QByteArray ToBytes() const;

    std::optional<QString> Value(const QString& section, const QString& key) const;
    QStringList SectionNames() const;
    QStringList Keys(const QString& section) const;
    bool HasSection(const QString& section) const;

    // Each returns whether the document changed.
    bool SetValue(const QString& section, const QString& key, const QString& value);
    bool RemoveKey(const QString& section, const QString& key);
    bool RemoveSection(const QString& section);

    const QStringList& Lines() const { return m_lines; }

private:
    int FindSection(const QString& section) const; // index of the header line, -1 if none
    int SectionEnd(int header) const;              // index of the next header or Lines().size()
    int FindKey(int header, const QString& key) const;

    QStringList m_lines;
};

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

// Decodes the bytes of an INI-style file: UTF-16LE/BE with mark, UTF-8 with mark or valid UTF-8,
// else the ANSI code page. The mark is not part of the result.
QString DecodeIniBytes(const QByteArray& bytes);

// Replaces `path` atomically with `bytes`: a temporary file in the same folder, flushed and synced,
// then renamed over the target; the target's permissions are kept and a symlink keeps pointing
// where it did (its target is replaced). False leaves the old file untouched.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

// The integer text starts with: an optional sign, then decimal digits (saturated to int) or, with
// allowHex, "0x" and hex digits (saturated at FFFFFFFF, read as signed 32-bit, then the sign).
// Stops at the first character that is no digit; none gives 0.
int ParseIntPrefix(QStringView text, bool allowHex);
