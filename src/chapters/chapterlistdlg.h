// CChapterListDlg: the chapter pane's contents: the chapter list, its buttons and its font size.
#pragma once

#include "chapters/chapterconditionlist.h"
#include "chapters/chaptertable.h"

#include <QWidget>
#include <cstdint>

class CMyView;
class ChapterSearchWorker;
class DocumentHost;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;
class ViewHost;

// Shows the chapters of the open book, highlights the one being read every 200 ms and moves the
// view to a chapter the user selects. The search runs on a worker thread; the rows, their position
// labels and every call into the view and the document stay on the GUI thread.
class CChapterListDlg : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kFollowIntervalMs = 200;
    static constexpr int kTitleRole = Qt::UserRole + 1; // the book's own title of a row

    // `host` gives the active view and its document, `viewHost` takes the hide-to-tray command.
    // The conditions are read from the condition file here.
    CChapterListDlg(DocumentHost* host, ViewHost* viewHost, QWidget* parent = nullptr);
    ~CChapterListDlg() override;

    // Searches the open book again (after the unsaved-changes question) and refills the list.
    void Refresh();
    // Stops following, cancels a running search and waits for it, empties the list.
    void Clear();
    // Before the window closes: stops following and asks the search to stop.
    void End();
    // True when no search runs after at most `msecs`.
    bool WaitForSearch(int msecs);
    // Moves the view to the chapter of the selected row.
    void GoToSelection();
    // The settings dialog; on OK the conditions are stored and the list refreshed.
    void OpenSettings();

    // True from the start of a search until its rows are in the list.
    bool IsSearching() const { return m_searching; }
    bool IsFollowing() const;
    QTableWidget* List() const { return m_list; }
    // What the last search left out (the step limit, the table cap); hidden when nothing.
    QLabel* Status() const { return m_status; }
    const ChapterTable& Table() const { return m_table; }
    const ChapterConditionList& Conditions() const { return m_conditions; }

signals:
    // The rows of a search are in the list.
    void RefreshFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CMyView* ActiveView() const;
    // The pane's own refreshes (button, settings) give the list the focus; the frame's keep it
    // on the view.
    void RunRefresh(bool focusList);
    void StopFollowing();
    void EmptyList();
    void OnSearchFinished(quint64 generation);
    void FollowReader();
    // Labels every row for the view's present layout.
    void LabelRows();
    // The titles in the script the pages are shown in; the book's own under kTitleRole.
    void TitleRows();
    void OnSelectionChanged();
    void OnFontSizeChanged(int index);
    void UpdateColumnWidths();

    DocumentHost* m_host;
    ViewHost* m_viewHost;
    QTableWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QComboBox* m_sizeCombo = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_settingsButton = nullptr;
    QTimer* m_followTimer = nullptr;
    ChapterSearchWorker* m_worker = nullptr;
    int m_baseHeight = 12;
    std::uint64_t m_generation = 0;
    // From the start of a search until its rows are in the list (or it was dropped).
    bool m_searching = false;
    bool m_focusListWhenDone = false;
    // Set while the pane itself changes the selection, which must not move the view.
    bool m_busy = false;
    ChapterConditionList m_conditions;
    ChapterTable m_table;
    // The view's layout the labels were made for.
    std::uint64_t m_labelledLayout = 0;
    std::uint64_t m_titledScript = 0;
};
