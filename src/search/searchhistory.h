// SearchHistory: the last searches of the search pane, kept in the settings file.
#pragma once

#include <QString>
#include <QStringList>

// Most recent first, no repeats, at most kMax. Stored as one entry of the settings file, so a
// search costs one write, not ten.
class SearchHistory
{
public:
    static constexpr int kMax = 10;

    void Load();
    // Puts `pattern` in front (moving it there when it was already listed) and writes the list.
    void Add(const QString& pattern);
    const QStringList& Items() const { return m_items; }

private:
    QStringList m_items;
};
