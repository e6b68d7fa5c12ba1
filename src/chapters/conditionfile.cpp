// The chapter condition file.
#include "chapters/conditionfile.h"

#include "document/mappedtextfile.h"
#include "document/codepage.h"
#include "settings/filewrite.h"

#include <QtEndian>

namespace {

void ReadConditions(MappedTextFile& file, const std::uint8_t* data, std::uint32_t size,
                    ChapterConditionList& list)
{
    // A file of just a mark is too short for detection, yet it is a saved empty list, not two
    // bytes of legacy text.
    const CodePage::ByteOrderMark mark = CodePage::MarkOf(data, size);
    if (mark == CodePage::ByteOrderMark::Utf16Le)
        file.SetEncoding(1);
    else if (mark == CodePage::ByteOrderMark::Utf16Be)
        file.SetEncoding(2);
    QString line;
    while (file.ReadLine(line))
        list.Add(line);
}

} // namespace

void LoadConditionFile(const QString& path, ChapterConditionList& list)
{
    list.Clear();
    MappedTextFile file;
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    if (!file.Open(path, true, true, &data, &size)) {
        list.FillDefaults();
        return;
    }
    ReadConditions(file, data, size, list);
}

void LoadConditionBytes(const std::uint8_t* data, std::uint32_t size, ChapterConditionList& list)
{
    list.Clear();
    MappedTextFile file;
    if (!file.Attach(data, size, true)) {
        list.FillDefaults();
        return;
    }
    ReadConditions(file, data, size, list);
}

QByteArray ConditionFileBytes(const ChapterConditionList& list)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QString& condition : list.Items()) {
        const QString line = condition + QStringLiteral("\r\n");
        const qsizetype at = bytes.size();
        bytes.resize(at + line.size() * 2);
        qToLittleEndian<quint16>(line.utf16(), line.size(), bytes.data() + at);
    }
    return bytes;
}

bool SaveConditionFile(const QString& path, const ChapterConditionList& list)
{
    return WriteFileAtomically(path, ConditionFileBytes(list));
}
