// Random bytes through the INI reader: decoding, parsing, lookups and an in-memory rewrite whose
// changes must read back, before and after the bytes are written and parsed again.
#include "document/codepage.h"
#include "settings/inifile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool init = CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
    (void)init;
    const QString section = QStringLiteral("ParaBlock");
    const QString key = QStringLiteral("PARA_FONT_SIZE");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniDocument doc = IniDocument::FromBytes(bytes);
    const QStringList sections = doc.SectionNames();
    for (const QString& s : sections) {
        for (const QString& k : doc.Keys(s))
            (void)IniFile::ParseInt(doc.Value(s, k).value_or(QString()));
    }
    doc.SetValue(section, key, QStringLiteral("30"));
    if (doc.Value(section, key) != QStringLiteral("30"))
        __builtin_trap();
    if (!sections.isEmpty()) {
        doc.RemoveKey(sections.front(), QStringLiteral("PATH"));
        if (doc.Value(sections.front(), QStringLiteral("PATH")))
            __builtin_trap();
        doc.RemoveSection(sections.back());
        if (doc.HasSection(sections.back()))
            __builtin_trap();
    }
    // The write stands unless its section was the one removed.
    const std::optional<QString> expected =
        doc.HasSection(section) ? std::optional<QString>(QStringLiteral("30")) : std::nullopt;
    const IniDocument again = IniDocument::FromBytes(doc.ToBytes());
    if (doc.Value(section, key) != expected || again.Value(section, key) != expected ||
        again.SectionNames() != doc.SectionNames())
        __builtin_trap();
    return 0;
}
