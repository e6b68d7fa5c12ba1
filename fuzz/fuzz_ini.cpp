// Random bytes through the INI reader: decoding, parsing, lookups and an in-memory rewrite.
#include "settings/codepage.h"
#include "settings/inifile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool init = CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
    (void)init;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniDocument doc = IniDocument::FromBytes(bytes);
    const QStringList sections = doc.SectionNames();
    for (const QString& s : sections) {
        for (const QString& k : doc.Keys(s))
            (void)IniFile::ParseInt(doc.Value(s, k).value_or(QString()));
    }
    doc.SetValue(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE"), QStringLiteral("30"));
    if (!sections.isEmpty()) {
        doc.RemoveKey(sections.front(), QStringLiteral("PATH"));
        doc.RemoveSection(sections.back());
    }
    const IniDocument again = IniDocument::FromBytes(doc.ToBytes());
    if (again.Value(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE"))
            .value_or(QString())
            .isEmpty() &&
        doc.Value(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE")))
        __builtin_trap();
    return 0;
}
