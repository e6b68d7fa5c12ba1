// HistoryDialog ("阅读记录"): the remembered books, to reopen one or tidy the list.
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class HistoryModel;
class HistoryStore;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTreeView;

// Accepted with ChosenPath() when a book is opened (Enter, double-click or "打开"). Rows sort by any
// column (last read first at the start); the filter matches title and folder.
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    HistoryDialog(HistoryStore& store, QWidget* parent = nullptr);

    QString ChosenPath() const { return m_chosen; }

    QLineEdit* Filter() const { return m_filter; }
    QTreeView* View() const { return m_view; }
    QSortFilterProxyModel* Proxy() const { return m_proxy; }
    QPushButton* OpenButton() const { return m_open; }
    QPushButton* RemoveButton() const { return m_remove; }
    QPushButton* RemoveMissingButton() const { return m_removeMissing; }

    void OnOpen();
    void OnRemove();
    void OnRemoveMissing();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Reload();
    void UpdateButtons();
    QModelIndex Current() const;

    HistoryStore& m_store;
    QString m_chosen;
    HistoryModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QLineEdit* m_filter = nullptr;
    QTreeView* m_view = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_removeMissing = nullptr;
};

// The command: the path of the book to open, or nothing.
std::optional<QString> RunHistoryDialog(HistoryStore& store, QWidget* parent);
