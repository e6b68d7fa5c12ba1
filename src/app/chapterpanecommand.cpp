// CChapterPaneCommand: creating, toggling and closing the chapter pane.
#include "app/chapterpanecommand.h"

#include "chapters/chapterlistdlg.h"
#include "ui/commandids.h"
#include "ui/panehostbar.h"

CChapterPaneCommand::CChapterPaneCommand(CMainFrame* frame) : QObject(frame), m_frame(frame)
{
    setObjectName(QStringLiteral("ChapterPaneCommand"));
    // The frame outlives this child, so nothing is unregistered on the way out.
    frame->AddCommandHandler(this);
    frame->SetChapterPaneLink(this);
    frame->RegisterPane(QStringLiteral("Pane%1").arg(kBarId), Cmd::ChapterList);
    frame->AddCloseHook([this] { OnFrameClosing(); });
    frame->AddWorkerWait([this](int msecs) { return WaitForSearch(msecs); });
}

PaneHostBar* CChapterPaneCommand::Bar() const
{
    return m_bar;
}

CChapterListDlg* CChapterPaneCommand::Pane() const
{
    return m_pane;
}

bool CChapterPaneCommand::OnCmdMsg(int id)
{
    if (id != Cmd::ChapterList)
        return false;
    if (m_bar)
        m_bar->setVisible(m_bar->isHidden());
    else
        CreatePane();
    FocusView();
    return true;
}

bool CChapterPaneCommand::OnUpdateCmdUI(int id, CmdUI& ui)
{
    if (id != Cmd::ChapterList)
        return false;
    ui.checked = m_bar && !m_bar->isHidden();
    return true;
}

void CChapterPaneCommand::CreatePane()
{
    // The regular-expression engine is part of the program: there is nothing to probe first.
    auto* bar = new PaneHostBar(m_frame, kBarId, PaneMode::Chapters);
    auto* pane = new CChapterListDlg(m_frame, m_frame, bar);
    bar->SetContent(pane);
    bar->LoadPaneState(kStatePrefix);
    if (!bar->TakeLaidOutPlace())
        bar->PlaceAsSaved();
    m_bar = bar;
    m_pane = pane;
}

void CChapterPaneCommand::FocusView()
{
    if (QWidget* view = m_frame->ActiveViewWidget())
        view->setFocus();
}

void CChapterPaneCommand::Clear()
{
    if (m_pane)
        m_pane->Clear();
}

void CChapterPaneCommand::Refresh()
{
    if (m_pane)
        m_pane->Refresh();
}

void CChapterPaneCommand::OnFrameClosing()
{
    if (m_bar)
        m_bar->SavePaneState(kStatePrefix);
    if (m_pane)
        m_pane->End();
}

bool CChapterPaneCommand::WaitForSearch(int msecs)
{
    return !m_pane || m_pane->WaitForSearch(msecs);
}
