// CSearchPaneDlg: the "查找" pane's contents: pattern, options, result list and count line.
#pragma once

#include "search/searchhistory.h"
#include "search/searchquery.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

class CMyView;
class DocumentHost;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableView;
class SearchResultModel;
class SearchWorker;

// Searches the book of the reading view on a worker thread; hits stream into the list. Enter and F3
// go to the next hit after the reading position, Shift+F3 to the previous one, a row to its hit; the
// view shows the current hit highlighted. Everything that touches the view stays on the GUI thread.
class CSearchPaneDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CSearchPaneDlg(DocumentHost* host, QWidget* parent = nullptr);
    ~CSearchPaneDlg() override;

    // Starts the search in the text box unless it is the one already shown, then goes to the next hit.
    void FindNext();
    void FindPrevious();
    // Runs the search in the text box again from scratch.
    void Search();
    // The book is about to change or the view to switch: cancels at once, forgets the hits and the
    // highlight.
    void Clear();
    // Before the window closes: asks the search to stop.
    void End();
    bool WaitForSearch(int msecs);
    // Puts the keyboard in the text box with its text selected.
    void FocusPattern();

    bool IsSearching() const;
    int CurrentHit() const { return m_current; }
    QComboBox* PatternBox() const { return m_patternBox; }
    QCheckBox* RegexBox() const { return m_regexBox; }
    QCheckBox* CaseBox() const { return m_caseBox; }
    QCheckBox* WidthBox() const { return m_widthBox; }
    QTableView* List() const { return m_list; }
    QLabel* CountLine() const { return m_countLine; }
    const SearchResultModel& Results() const { return *m_model; }

signals:
    // The current search ended (its count line is final).
    void SearchFinished();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    CMyView* ReadingView() const;
    SearchQuery QueryFromControls() const;
    void StartSearch(const SearchQuery& query, int jump);
    void OnHitsReady(quint64 generation);
    void OnFinished(quint64 generation);
    void Go(int direction);
    void JumpTo(int index);
    void OnRowActivated(int row);
    void ShowHighlight(bool on);
    void UpdateCountLine();

    DocumentHost* m_host;
    QComboBox* m_patternBox = nullptr;
    QCheckBox* m_regexBox = nullptr;
    QCheckBox* m_caseBox = nullptr;
    QCheckBox* m_widthBox = nullptr;
    QTableView* m_list = nullptr;
    QLabel* m_countLine = nullptr;
    SearchResultModel* m_model = nullptr;
    std::unique_ptr<SearchWorker> m_worker;
    SearchHistory m_history;

    std::shared_ptr<const std::u16string> m_text; // the book as the shown hits know it
    std::uint64_t m_generation = 0;
    bool m_haveQuery = false; // m_query has been searched for (maybe still running)
    SearchQuery m_query;
    SearchOutcome m_outcome;
    bool m_finished = false;
    int m_pendingJump = 0; // +1/-1: go there once the first hits arrive
    int m_current = -1;
    std::int32_t m_shownAt = -1; // the view's position right after the last jump
    bool m_selecting = false;    // the pane itself moves the list's selection
};
