// The rows of the history dialog: one per remembered book, with the values its columns sort by.
#pragma once

#include "history/historydb.h"

#include <QAbstractTableModel>
#include <vector>

class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        Title,
        Progress,
        LastRead,
        ReadingTime,
        Folder,
        ColumnCount
    };
    // The value a column sorts by (numbers for the numeric columns).
    static constexpr int SortRole = Qt::UserRole;
    // The book's full path.
    static constexpr int PathRole = Qt::UserRole + 1;

    explicit HistoryModel(QObject* parent = nullptr);

    void SetRecords(std::vector<BookRecord> records);
    const BookRecord& Record(int row) const { return m_rows[static_cast<std::size_t>(row)].record; }
    void RemoveRecord(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row
    {
        BookRecord record;
        QString title;
        QString folder;
        mutable int exists = -1; // looked up when the row is first drawn
    };
    std::vector<Row> m_rows;
};

// "2小时5分", "12分钟", "不到1分钟".
QString FormatReadingTime(std::int64_t seconds);
