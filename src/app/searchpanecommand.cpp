// CSearchPaneCommand: creating, showing and driving the "查找" pane.
#include "app/searchpanecommand.h"

#include "document/myview.h"
#include "search/searchpanedlg.h"
#include "ui/commandids.h"
#include "ui/panehostbar.h"

#include <QAction>
#include <QComboBox>
#include <QKeySequence>

CSearchPaneCommand::CSearchPaneCommand(CMainFrame* frame) : QObject(frame), m_frame(frame)
{
    setObjectName(QStringLiteral("SearchPaneCommand"));
    frame->AddCommandHandler(this);
    frame->AddBookClearHook([this] {
        if (m_pane)
            m_pane->Clear();
    });
    frame->AddCloseHook([this] {
        if (m_bar)
            m_bar->SavePaneState(kStatePrefix);
        if (m_pane)
            m_pane->End();
    });
    frame->AddWorkerWait([this](int msecs) { return !m_pane || m_pane->WaitForSearch(msecs); });
    auto* previous = new QAction(QStringLiteral("查找上一个"), frame);
    previous->setObjectName(QStringLiteral("SearchPrevious"));
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(previous, &QAction::triggered, this, &CSearchPaneCommand::FindPrevious);
    frame->addAction(previous);
}

PaneHostBar* CSearchPaneCommand::Bar() const
{
    return m_bar;
}

CSearchPaneDlg* CSearchPaneCommand::Pane() const
{
    return m_pane;
}

bool CSearchPaneCommand::ReadingViewActive() const
{
    const CMyView* view = m_frame->ActiveView();
    return view && !view->IsEditView();
}

bool CSearchPaneCommand::OnCmdMsg(int id)
{
    if ((id != Cmd::EditFind && id != Cmd::EditRepeat) || !ReadingViewActive())
        return false;
    if (id == Cmd::EditRepeat && m_pane && !m_pane->PatternBox()->currentText().isEmpty()) {
        m_pane->FindNext();
        return true;
    }
    ShowPane();
    return true;
}

bool CSearchPaneCommand::OnUpdateCmdUI(int id, CmdUI& ui)
{
    if ((id != Cmd::EditFind && id != Cmd::EditRepeat) || !ReadingViewActive())
        return false;
    ui.enabled = true;
    return true;
}

void CSearchPaneCommand::ShowPane()
{
    if (!m_bar) {
        auto* bar = new PaneHostBar(m_frame, kBarId, PaneMode::None);
        auto* pane = new CSearchPaneDlg(m_frame, bar);
        bar->setWindowTitle(QStringLiteral("查找"));
        bar->SetContent(pane);
        bar->LoadPaneState(kStatePrefix);
        bar->PlaceAsSaved();
        m_bar = bar;
        m_pane = pane;
    }
    m_bar->show();
    m_pane->FocusPattern();
}

void CSearchPaneCommand::FindPrevious()
{
    if (m_pane && ReadingViewActive())
        m_pane->FindPrevious();
}
