// BookshelfList: the bookshelf folders kept in the profile's bookshelf file, and the default one.
#pragma once

#include <QString>
#include <QStringList>

// One folder per line, the default one marked by a leading "*". The file is UTF-16LE with a mark
// and CR LF line ends; an empty list is stored as no file at all. Lines are kept as stored, mark
// included, so the manager shows and compares what the file holds.
class BookshelfList
{
public:
    BookshelfList() = default;
    explicit BookshelfList(QString filePath) : m_path(std::move(filePath)) {}

    // The reader's list, read from the profile at start-up and after the manager's OK.
    static BookshelfList& Instance();

    const QString& FilePath() const { return m_path; }
    // Forgets the entries and reads `filePath` (which becomes the list's file); a missing or
    // unreadable file gives an empty list.
    void Load(const QString& filePath);
    void Reload() { Load(m_path); }

    const QStringList& Entries() const { return m_entries; }
    // The first marked entry without its mark; empty when none is marked.
    QString DefaultBookshelf() const { return DefaultIn(m_entries); }

    // Replaces the file with `lines`, or removes it when there are none. The entries in memory
    // stay as they are. False when the file could not be written or removed; it is then unchanged.
    bool Save(const QStringList& lines) const;

    // Trimmed non-empty lines of a bookshelf file.
    static QStringList ReadLines(const QString& filePath);
    static QByteArray FileBytes(const QStringList& lines);
    static bool IsDefaultLine(const QString& line) { return line.startsWith(kMark); }
    static QString WithoutMark(const QString& line);
    static QString DefaultIn(const QStringList& lines);

    static constexpr QChar kMark = u'*';

private:
    QString m_path;
    QStringList m_entries;
};
