// BookmarkFile: named reading positions kept as sections of the bookmark file.
#pragma once

#include "settings/inifile.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// One bookmark as stored: the book's full path and a character offset into its decoded text.
struct BookmarkEntry
{
    QString path;
    std::int32_t position = 0;
};

// The bookmark file holds one section per bookmark, named after it, with PATH and POSITION.
// Names compare as section names do (ASCII letters without case). Every call reads the file afresh;
// the static helpers work on one parsed copy, so a dialog parses the file once per fill.
class BookmarkFile
{
public:
    enum class NameProblem
    {
        None,
        Empty,
        Bracket
    };

    explicit BookmarkFile(QString path);
    // The profile's bookmark file.
    static BookmarkFile Default();

    const QString& Path() const { return m_ini.Path(); }

    IniDocument Load() const { return m_ini.Load(); }

    // Names in file order, each once (the first of names differing only in case, as a lookup finds
    // that one), leaving out headers no bookmark can carry (empty or bracketed).
    QStringList Names() const { return Names(Load()); }
    static QStringList Names(const IniDocument& doc);

    BookmarkEntry Read(const QString& name) const { return Read(Load(), name); }
    static BookmarkEntry Read(const IniDocument& doc, const QString& name);
    // True when the section holds a non-empty PATH: writing under this name replaces a bookmark.
    bool IsTaken(const QString& name) const;

    // PATH, then POSITION; a bookmark that already exists keeps its place in the file.
    bool Write(const QString& name, const QString& bookPath, std::int32_t position);
    bool Remove(const QString& name);

    // A typed name as it is stored: blanks around it go, as the file's reader drops them anyway.
    static QString CleanName(const QString& typed);
    static NameProblem CheckName(const QString& name);
    // The name offered for a bookmark in `bookPath`: the file's base name, made acceptable
    // ("[精校]红楼梦.txt" offers "精校红楼梦").
    static QString ProposedName(const QString& bookPath);
    // Names in the order the lists show them: by the user's collation, case ignored.
    static QStringList SortedForDisplay(QStringList names);

private:
    IniFile m_ini;
};
