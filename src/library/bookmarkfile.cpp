// BookmarkFile: listing, reading, writing and removing bookmarks in the bookmark file.
#include "library/bookmarkfile.h"

#include "settings/profile.h"

#include <QCollator>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace {

const QString kPathKey = QStringLiteral("PATH");
const QString kPositionKey = QStringLiteral("POSITION");

// The key under which two section names count as the same.
QString FoldedName(const QString& name)
{
    QString folded = name;
    for (QChar& c : folded)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return folded;
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The reader drops blanks around a value and one pair of matching quotes: such a path is quoted so
// it reads back as it was written.
QString StoredPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    const QChar first = path.front();
    const QChar last = path.back();
    const bool quoted = path.size() >= 2 && (first == u'"' || first == u'\'') && last == first;
    if (IsBlank(first) || IsBlank(last) || quoted)
        return u'"' + path + u'"';
    return path;
}

} // namespace

BookmarkFile::BookmarkFile(QString path) : m_ini(std::move(path)) {}

BookmarkFile BookmarkFile::Default()
{
    return BookmarkFile(BookmarkFilePath());
}

QStringList BookmarkFile::Names(const IniDocument& doc)
{
    QStringList names;
    QSet<QString> seen;
    const QStringList sections = doc.SectionNames();
    for (const QString& name : sections) {
        if (CheckName(name) != NameProblem::None)
            continue;
        QString folded = FoldedName(name);
        if (seen.contains(folded))
            continue;
        seen.insert(std::move(folded));
        names.append(name);
    }
    return names;
}

BookmarkEntry BookmarkFile::Read(const IniDocument& doc, const QString& name)
{
    BookmarkEntry entry;
    entry.path = doc.Value(name, kPathKey).value_or(QString());
    if (const auto position = doc.Value(name, kPositionKey))
        entry.position = IniFile::ParseInt(*position);
    return entry;
}

bool BookmarkFile::IsTaken(const QString& name) const
{
    return !Read(name).path.isEmpty();
}

bool BookmarkFile::Write(const QString& name, const QString& bookPath, std::int32_t position)
{
    if (CheckName(name) != NameProblem::None)
        return false;
    if (!m_ini.WriteString(name, kPathKey, StoredPath(bookPath)))
        return false;
    return m_ini.WriteString(name, kPositionKey, QString::number(position));
}

bool BookmarkFile::Remove(const QString& name)
{
    return m_ini.DeleteSection(name);
}

QString BookmarkFile::CleanName(const QString& typed)
{
    return typed.trimmed();
}

QString BookmarkFile::ProposedName(const QString& bookPath)
{
    QString name = QFileInfo(bookPath).completeBaseName();
    name.remove(u'[');
    name.remove(u']');
    return CleanName(name);
}

BookmarkFile::NameProblem BookmarkFile::CheckName(const QString& name)
{
    if (name.isEmpty())
        return NameProblem::Empty;
    if (name.contains(u'[') || name.contains(u']'))
        return NameProblem::Bracket;
    return NameProblem::None;
}

QStringList BookmarkFile::SortedForDisplay(QStringList names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Sort keys would be quicker but drop the case setting in the C locale.
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}
