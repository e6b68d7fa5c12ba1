// The folding tables, built on first use from Qt's character data.
#include "search/widthfold.h"

#include <QChar>
#include <QString>
#include <array>
#include <memory>
#include <mutex>

namespace {

char16_t FoldWidth(char16_t unit)
{
    const QChar c(unit);
    const QChar::Decomposition tag = c.decompositionTag();
    if (tag != QChar::Wide && tag != QChar::Narrow)
        return unit;
    const QString d = c.decomposition();
    return d.size() == 1 ? d.at(0).unicode() : unit;
}

std::unique_ptr<char16_t[]> BuildTable(bool ignoreCase, bool ignoreWidth)
{
    auto table = std::make_unique<char16_t[]>(0x10000);
    for (char32_t u = 0; u < 0x10000; ++u) {
        char16_t c = static_cast<char16_t>(u);
        if (c >= 0xD800 && c <= 0xDFFF) {
            table[u] = c;
            continue;
        }
        if (ignoreWidth)
            c = FoldWidth(c);
        if (ignoreCase) {
            const char32_t folded = QChar::toCaseFolded(static_cast<char32_t>(c));
            if (folded < 0x10000)
                c = static_cast<char16_t>(folded);
        }
        table[u] = c;
    }
    return table;
}

} // namespace

const char16_t* FoldTable(bool ignoreCase, bool ignoreWidth)
{
    if (!ignoreCase && !ignoreWidth)
        return nullptr;
    static std::array<std::unique_ptr<char16_t[]>, 3> tables;
    static std::array<std::once_flag, 3> once;
    const int which = (ignoreCase ? 1 : 0) + (ignoreWidth ? 2 : 0) - 1;
    std::call_once(once[static_cast<std::size_t>(which)],
                   [&] { tables[static_cast<std::size_t>(which)] = BuildTable(ignoreCase, ignoreWidth); });
    return tables[static_cast<std::size_t>(which)].get();
}
