// CLeafturnerView: the reading view: pages, navigation, history, input and re-layout.
#pragma once

#include "document/myview.h"
#include "views/gotopagedialog.h"
#include "views/navigationhistory.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>
#include <QSize>

class TextBuffer;
class ViewHost;

class CLeafturnerView : public QAbstractScrollArea, public CMyView, public GoToPageTarget
{
    Q_OBJECT
public:
    CLeafturnerView(CLeafturnerDoc* document, ViewHost* host, QWidget* parent);
    ~CLeafturnerView() override;

    // CMyView
    std::int32_t OffsetUnderMouse() override;
    // The start of the page drawn at `viewportPos`.
    std::int32_t OffsetAt(QPoint viewportPos) const;
    void GoToOffset(std::int32_t offset) override;
    QString FormatStatusText() const override;
    QString FormatPositionLabel(std::int32_t offset) const override;
    std::int32_t CurrentOffset() const override;
    std::uint64_t LayoutGeneration() const override { return m_layoutGeneration; }
    void Relayout() override;
    void OnInitialUpdate() override;

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

    // The common step of every page change: clamps, records history, writes PARA_LAST_POS, repaints.
    void ShowPage(int page);
    // After the display settings changed: new page size, re-layout, repaint.
    void SettingsChanged(bool layoutChanged);

    int CurrentPage() const { return m_currentPage; }
    int PageCount() const { return m_pageCount; }
    std::int32_t CurrentCharOffset() const { return m_currentOffset; }
    QSize PageSize() const { return m_pageSize; }
    bool IsSpread() const { return m_spread; }
    const NavigationHistory& History() const { return m_history; }

    // The picture of the client area at `page`, as the view draws it.
    QImage ComposePage(int page) const;

    // GoToPageTarget
    bool GoToIsEditView() const override { return false; }
    int GoToPageCount() const override { return m_pageCount; }
    int GoToCurrentPage() const override { return m_currentPage; }
    void GoToShowPage(int page) override { ShowPage(page); }
    int GoToFirstVisibleLine() const override { return 0; }
    int GoToLineCount() const override { return 0; }
    void GoToScrollToLine(int) override {}
    void GoToPushStatus() override;

signals:
    // A page of the book (not a page-turn frame, not the empty desk) was drawn.
    void PagePainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    TextBuffer* Buffer() const;
    void TurnPage(int target);
    void ComputeLayout(QSize* pageSize, bool* spread) const;
    void UpdateScrollRange();
    void SetScrollPosition(int page);
    void OnScrollAction(int action);
    void OnSliderReleased();
    void OnScrollValueChanged(int value);
    void ShowTrackedPage(int page);
    // Shows a page; false when it is already shown or there are no pages.
    bool MoveToPage(int page, bool recordHistory);
    // PARA_LAST_POS and the other position sinks, without waiting for the disk.
    void ReportPosition() const;
    void Repaint();

    ViewHost* m_host;
    int m_currentPage = 0;
    int m_pageCount = 0;
    std::uint64_t m_layoutGeneration = 0;
    std::int32_t m_currentOffset = 0;
    QSize m_pageSize{0, 0};
    bool m_spread = false;
    NavigationHistory m_history;
    bool m_settingScroll = false;
    int m_wheelRest = 0; // wheel delta short of a whole notch
    QImage m_turnFrame;  // a page-turn frame on its way to the screen
};
