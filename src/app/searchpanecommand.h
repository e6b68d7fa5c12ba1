// CSearchPaneCommand: Ctrl+F, F3 and Shift+F3 of the reading view and the link to the "查找" pane.
#pragma once

#include "app/mainframe.h"

#include <QObject>
#include <QPointer>

class CSearchPaneDlg;
class PaneHostBar;

// Builds the pane on the first Ctrl+F in the reading view (the edit view keeps its own find), shows
// it again afterwards, runs next/previous, cancels its search when the book changes and saves its
// placement when the window closes. A child of the frame; registers itself there.
class CSearchPaneCommand : public QObject, public CCmdTarget
{
    Q_OBJECT
public:
    static constexpr int kBarId = 125;
    static inline const QString kStatePrefix = QStringLiteral("Search");

    explicit CSearchPaneCommand(CMainFrame* frame);

    // Null until the first Ctrl+F in the reading view.
    PaneHostBar* Bar() const;
    CSearchPaneDlg* Pane() const;

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

private:
    bool ReadingViewActive() const;
    void ShowPane();
    void FindPrevious();

    CMainFrame* m_frame;
    QPointer<PaneHostBar> m_bar;
    QPointer<CSearchPaneDlg> m_pane;
};
