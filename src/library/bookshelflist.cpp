// BookshelfList: reading and writing the bookshelf file.
#include "library/bookshelflist.h"

#include "document/mappedtextfile.h"
#include "document/codepage.h"
#include "settings/filewrite.h"

#include <QFile>
#include <QFileInfo>

BookshelfList& BookshelfList::Instance()
{
    static BookshelfList list;
    return list;
}

void BookshelfList::Load(const QString& filePath)
{
    m_path = filePath;
    m_entries = ReadLines(filePath);
}

QStringList BookshelfList::ReadLines(const QString& filePath)
{
    QStringList lines;
    MappedTextFile file;
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    if (filePath.isEmpty() || !file.Open(filePath, true, true, &data, &size))
        return lines;
    // A bare mark is too short for detection, yet it is UTF-16 holding nothing, not two legacy bytes.
    const CodePage::ByteOrderMark mark = CodePage::MarkOf(data, size);
    if (mark == CodePage::ByteOrderMark::Utf16Le)
        file.SetEncoding(1);
    else if (mark == CodePage::ByteOrderMark::Utf16Be)
        file.SetEncoding(2);
    QString line;
    while (file.ReadLine(line)) {
        line = line.trimmed();
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

QByteArray BookshelfList::FileBytes(const QStringList& lines)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QString& line : lines) {
        const QString text = line + QStringLiteral("\r\n");
        for (const QChar c : text) {
            bytes.append(static_cast<char>(c.unicode() & 0xFF));
            bytes.append(static_cast<char>(c.unicode() >> 8));
        }
    }
    return bytes;
}

bool BookshelfList::Save(const QStringList& lines) const
{
    if (m_path.isEmpty())
        return false;
    if (lines.isEmpty()) {
        const QFileInfo info(m_path);
        if (!info.exists() && !info.isSymLink())
            return true;
        return QFile::remove(m_path);
    }
    return WriteFileAtomically(m_path, FileBytes(lines));
}

QString BookshelfList::WithoutMark(const QString& line)
{
    return IsDefaultLine(line) ? line.mid(1) : line;
}

QString BookshelfList::DefaultIn(const QStringList& lines)
{
    for (const QString& line : lines) {
        if (IsDefaultLine(line))
            return line.mid(1);
    }
    return {};
}
