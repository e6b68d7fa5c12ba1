#include "history/historydialog.h"

#include "history/historymodel.h"
#include "history/historystore.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The percent with a small bar beneath it.
class ProgressDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const double percent = index.data(HistoryModel::SortRole).toDouble();
        const QRect cell = option.rect.adjusted(4, 0, -4, -2);
        const QRect bar(cell.left(), cell.bottom() - 2, cell.width(), 3);
        painter->save();
        painter->fillRect(bar, option.palette.color(QPalette::Midlight));
        QRect done = bar;
        done.setWidth(static_cast<int>(bar.width() * std::clamp(percent, 0.0, 100.0) / 100.0));
        painter->fillRect(done, option.palette.color(QPalette::Highlight));
        painter->restore();
    }
};

// Sorts by the numbers behind the numeric columns and filters on title and folder.
class HistoryProxy : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void SetNeedle(const QString& needle)
    {
        m_needle = needle.trimmed();
        invalidateFilter();
    }

protected:
    // The numeric columns compare the records themselves: ten thousand rows sort without a QVariant
    // per comparison.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const auto* model = static_cast<const HistoryModel*>(sourceModel());
        const BookRecord& a = model->Record(left.row());
        const BookRecord& b = model->Record(right.row());
        switch (left.column()) {
        case HistoryModel::Progress:
            return a.percent < b.percent;
        case HistoryModel::LastRead:
            return a.lastOpened < b.lastOpened;
        case HistoryModel::ReadingTime:
            return a.readingSeconds < b.readingSeconds;
        default:
            return QSortFilterProxyModel::lessThan(left, right);
        }
    }

    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        if (m_needle.isEmpty())
            return true;
        for (int column : {HistoryModel::Title, HistoryModel::Folder}) {
            const QString text = sourceModel()->index(row, column, parent).data().toString();
            if (text.contains(m_needle, Qt::CaseInsensitive))
                return true;
        }
        return false;
    }

private:
    QString m_needle;
};

} // namespace

HistoryDialog::HistoryDialog(HistoryStore& store, QWidget* parent) : QDialog(parent), m_store(store)
{
    setWindowTitle(QStringLiteral("阅读记录"));
    m_model = new HistoryModel(this);
    auto* proxy = new HistoryProxy(this);
    m_proxy = proxy;
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(HistoryModel::SortRole);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortLocaleAware(true);

    m_filter = new QLineEdit(this);
    m_filter->setPlaceholderText(QStringLiteral("筛选书名或文件夹"));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);

    m_view = new QTreeView(this);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setModel(m_proxy);
    m_view->setSortingEnabled(true);
    m_view->setItemDelegateForColumn(HistoryModel::Progress, new ProgressDelegate(m_view));
    m_view->installEventFilter(this);
    m_view->header()->setStretchLastSection(true);

    m_open = new QPushButton(QStringLiteral("打开"), this);
    m_open->setDefault(true);
    m_remove = new QPushButton(QStringLiteral("从记录中删除"), this);
    m_removeMissing = new QPushButton(QStringLiteral("清除已不存在的文件"), this);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    m_remove->setAutoDefault(false);
    m_removeMissing->setAutoDefault(false);
    close->setAutoDefault(false);
    const bool writable = !m_store.IsReadOnly();
    m_removeMissing->setEnabled(writable);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_remove);
    buttons->addWidget(m_removeMissing);
    buttons->addStretch();
    buttons->addWidget(m_open);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_filter);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    connect(m_filter, &QLineEdit::textChanged, this, [this, proxy](const QString& text) {
        proxy->SetNeedle(text);
        if (!Current().isValid() && m_proxy->rowCount() > 0)
            m_view->setCurrentIndex(m_proxy->index(0, 0));
        UpdateButtons();
    });
    connect(m_view, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            OnOpen();
    });
    connect(m_open, &QPushButton::clicked, this, &HistoryDialog::OnOpen);
    connect(m_remove, &QPushButton::clicked, this, &HistoryDialog::OnRemove);
    connect(m_removeMissing, &QPushButton::clicked, this, &HistoryDialog::OnRemoveMissing);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    Reload();
    m_view->sortByColumn(HistoryModel::LastRead, Qt::DescendingOrder);
    const QFontMetrics fm(m_view->font());
    m_view->setColumnWidth(HistoryModel::Title,
                           fm.horizontalAdvance(QStringLiteral("长篇小说的书名十二个字")));
    m_view->setColumnWidth(HistoryModel::Progress, fm.horizontalAdvance(QStringLiteral("100.0%  ")) + 16);
    m_view->setColumnWidth(HistoryModel::LastRead,
                           fm.horizontalAdvance(QStringLiteral("0000-00-00 00:00  ")));
    m_view->setColumnWidth(HistoryModel::ReadingTime, fm.horizontalAdvance(QStringLiteral("000小时00分  ")));
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 90, fm.height() * 30);
    if (m_proxy->rowCount() > 0)
        m_view->setCurrentIndex(m_proxy->index(0, 0));
    UpdateButtons();
    m_view->setFocus();
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { UpdateButtons(); });
}

void HistoryDialog::Reload()
{
    m_model->SetRecords(m_store.All());
}

QModelIndex HistoryDialog::Current() const
{
    const QModelIndex index = m_view->currentIndex();
    return index.isValid() ? m_proxy->mapToSource(index) : QModelIndex();
}

void HistoryDialog::UpdateButtons()
{
    const bool any = Current().isValid();
    m_open->setEnabled(any);
    m_remove->setEnabled(any && !m_store.IsReadOnly());
}

void HistoryDialog::OnOpen()
{
    const QModelIndex index = Current();
    if (!index.isValid())
        return;
    m_chosen = m_model->Record(index.row()).path;
    accept();
}

void HistoryDialog::OnRemove()
{
    const QModelIndex index = Current();
    if (!index.isValid() || m_store.IsReadOnly())
        return;
    const int proxyRow = m_view->currentIndex().row();
    if (!m_store.Remove(m_model->Record(index.row()).path))
        return;
    m_model->RemoveRecord(index.row());
    if (m_proxy->rowCount() > 0)
        m_view->setCurrentIndex(m_proxy->index(std::min(proxyRow, m_proxy->rowCount() - 1), 0));
    UpdateButtons();
}

void HistoryDialog::OnRemoveMissing()
{
    if (m_store.RemoveMissing() > 0)
        Reload();
    if (!Current().isValid() && m_proxy->rowCount() > 0)
        m_view->setCurrentIndex(m_proxy->index(0, 0));
    UpdateButtons();
}

bool HistoryDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == m_view && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            OnOpen();
            return true;
        }
        if (watched == m_view && key == Qt::Key_Delete) {
            OnRemove();
            return true;
        }
        if (watched == m_filter &&
            (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageDown || key == Qt::Key_PageUp)) {
            QApplication::sendEvent(m_view, event); // move in the list while typing
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<QString> RunHistoryDialog(HistoryStore& store, QWidget* parent)
{
    HistoryDialog dialog(store, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenPath().isEmpty())
        return std::nullopt;
    return dialog.ChosenPath();
}
