#include "history/historymodel.h"

#include <QBrush>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>

QString FormatReadingTime(std::int64_t seconds)
{
    const std::int64_t minutes = seconds / 60;
    if (minutes < 1)
        return QStringLiteral("不到1分钟");
    if (minutes < 60)
        return QStringLiteral("%1分钟").arg(minutes);
    return QStringLiteral("%1小时%2分").arg(minutes / 60).arg(minutes % 60);
}

HistoryModel::HistoryModel(QObject* parent) : QAbstractTableModel(parent) {}

void HistoryModel::SetRecords(std::vector<BookRecord> records)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(records.size());
    for (BookRecord& r : records) {
        const QFileInfo info(r.path);
        Row row{std::move(r), info.completeBaseName(), QDir::toNativeSeparators(info.absolutePath())};
        m_rows.push_back(std::move(row));
    }
    endResetModel();
}

void HistoryModel::RemoveRecord(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    const BookRecord& r = row.record;
    if (role == PathRole)
        return r.path;
    if (role == Qt::ToolTipRole)
        return QDir::toNativeSeparators(r.path);
    if (role == Qt::ForegroundRole) {
        if (row.exists < 0)
            row.exists = QFileInfo(r.path).isFile() ? 1 : 0;
        if (row.exists == 0)
            return QBrush(QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
        return {};
    }
    if (role == Qt::TextAlignmentRole && index.column() == ReadingTime)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    const bool sort = role == SortRole;
    if (!sort && role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Title:
        return row.title;
    case Progress:
        return sort ? QVariant(r.percent) : QVariant(QString::number(r.percent, 'f', 1) + u'%');
    case LastRead:
        return sort ? QVariant(static_cast<qlonglong>(r.lastOpened))
                    : QVariant(QDateTime::fromMSecsSinceEpoch(r.lastOpened)
                                   .toString(QStringLiteral("yyyy-MM-dd hh:mm")));
    case ReadingTime:
        return sort ? QVariant(static_cast<qlonglong>(r.readingSeconds))
                    : QVariant(FormatReadingTime(r.readingSeconds));
    case Folder:
        return row.folder;
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Title:
        return QStringLiteral("书名");
    case Progress:
        return QStringLiteral("进度");
    case LastRead:
        return QStringLiteral("最后阅读");
    case ReadingTime:
        return QStringLiteral("阅读时间");
    case Folder:
        return QStringLiteral("文件夹");
    default:
        return {};
    }
}
