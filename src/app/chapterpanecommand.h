// CChapterPaneCommand: the chapter-list command of the main frame and the link to the chapter pane.
#pragma once

#include "app/mainframe.h"

#include <QObject>
#include <QPointer>

class CChapterListDlg;
class PaneHostBar;

// Builds the chapter pane on the first "章节列表" and shows or hides it afterwards; passes the
// frame's Clear and Refresh on to it; saves its state and ends its search when the window closes.
// It is a child of the frame and registers itself there.
class CChapterPaneCommand : public QObject, public CCmdTarget, public ChapterPaneLink
{
    Q_OBJECT
public:
    static constexpr int kBarId = 124;
    static inline const QString kStatePrefix = QStringLiteral("Charpter");

    explicit CChapterPaneCommand(CMainFrame* frame);

    // Null until the first "章节列表".
    PaneHostBar* Bar() const;
    CChapterListDlg* Pane() const;

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

    void Clear() override;
    void Refresh() override;

private:
    void CreatePane();
    void FocusView();
    void OnFrameClosing();
    bool WaitForSearch(int msecs);

    CMainFrame* m_frame;
    QPointer<PaneHostBar> m_bar;
    QPointer<CChapterListDlg> m_pane;
};
