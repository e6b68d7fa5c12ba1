// SearchHistory in the settings file: section "Search", entry "History", items split by U+001F.
#include "search/searchhistory.h"

#include "settings/inifile.h"
#include "settings/profile.h"

namespace {

const QString kSection = QStringLiteral("Search");
const QString kKey = QStringLiteral("History");
constexpr char16_t kSeparator = 0x1F;

// What the settings file can hold as part of one entry.
bool Storable(const QString& s)
{
    return !s.isEmpty() && !s.contains(u'\r') && !s.contains(u'\n') && !s.contains(QChar(kSeparator));
}

} // namespace

void SearchHistory::Load()
{
    m_items.clear();
    const QStringList stored =
        IniFile(SettingsFilePath()).ReadString(kSection, kKey).split(QChar(kSeparator), Qt::SkipEmptyParts);
    for (const QString& s : stored)
        if (!m_items.contains(s) && m_items.size() < kMax)
            m_items.append(s);
}

void SearchHistory::Add(const QString& pattern)
{
    if (pattern.isEmpty() || (!m_items.isEmpty() && m_items.front() == pattern))
        return;
    m_items.removeAll(pattern);
    m_items.prepend(pattern);
    while (m_items.size() > kMax)
        m_items.removeLast();
    QStringList stored;
    for (const QString& s : m_items)
        if (Storable(s))
            stored.append(s);
    IniFile(SettingsFilePath()).WriteString(kSection, kKey, stored.join(QChar(kSeparator)));
}
