// Garbled-character repair through the book's code page.
#include "reformat/garbledrepair.h"

#include "document/codepage.h"

namespace {

QString Decode(const QString& codePage, const QByteArray& bytes, qsizetype from, qsizetype to)
{
    if (to <= from)
        return {};
    const auto n = static_cast<std::size_t>(to - from);
    QString out(static_cast<qsizetype>(CodePage::AnsiMaxUnits(n)), Qt::Uninitialized);
    const std::size_t written =
        CodePage::LegacyToUtf16(codePage, reinterpret_cast<const std::uint8_t*>(bytes.constData()) + from, n,
                                reinterpret_cast<char16_t*>(out.data()));
    out.truncate(static_cast<qsizetype>(written));
    return out;
}

} // namespace

RepairResult RepairGarbled(const QString& selection, const QString& codePage)
{
    if (selection.isEmpty())
        return {RepairOutcome::EmptySelection, {}};
    QByteArray bytes =
        CodePage::Utf16ToLegacy(codePage, reinterpret_cast<const char16_t*>(selection.constData()),
                                static_cast<std::size_t>(selection.size()));
    const auto leads = CodePage::LeadBytes(codePage);
    qsizetype lead = 0;
    while (lead < bytes.size() && !leads[static_cast<std::uint8_t>(bytes[lead])])
        ++lead;
    if (lead == bytes.size())
        return {RepairOutcome::NoLeadByte, {}};
    if (lead == 0) {
        bytes[0] = ' ';
        return {RepairOutcome::Repaired, Decode(codePage, bytes, 0, bytes.size())};
    }
    return {RepairOutcome::Repaired,
            Decode(codePage, bytes, 0, lead) + Decode(codePage, bytes, lead + 1, bytes.size())};
}

QString RepairMessage(RepairOutcome outcome)
{
    switch (outcome) {
    case RepairOutcome::EmptySelection:
        return QStringLiteral("抱歉，请先选择包含所有乱码的区域，乱码必须是选择区的首字。");
    case RepairOutcome::NoLeadByte:
        return QStringLiteral("抱歉，乱码必须是选择区的首字。");
    case RepairOutcome::Repaired:
        break;
    }
    return {};
}
