// CFullScreenCommand: entering and leaving full-screen reading.
#include "app/fullscreen.h"

#include "app/framemenu.h"
#include "app/mainframe.h"

#include <QAction>
#include <QDockWidget>
#include <QEvent>
#include <QStatusBar>
#include <QToolBar>

namespace {
constexpr int kReadingContextMenu = 160;
}

CFullScreenCommand::CFullScreenCommand(CMainFrame* frame) : QObject(frame), m_frame(frame)
{
    m_action = new QAction(QStringLiteral("全屏阅读"), frame);
    m_action->setCheckable(true);
    m_action->setShortcut(QKeySequence(Qt::Key_F11));
    // On the frame itself, so F11 still works while the menu bar is hidden.
    frame->addAction(m_action);
    connect(m_action, &QAction::triggered, this, [this](bool on) { SetActive(on); });
    if (QMenu* view = FindFrameMenu(frame, QStringLiteral("查看(&V)"))) {
        view->addSeparator();
        view->addAction(m_action);
    }
    if (QMenu* context = frame->ContextMenu(kReadingContextMenu)) {
        context->addSeparator();
        context->addAction(m_action);
    }
    frame->installEventFilter(this);
}

void CFullScreenCommand::SetActive(bool on)
{
    if (on != m_active) {
        if (on)
            Enter();
        else
            Leave();
    }
    m_action->setChecked(m_active);
}

void CFullScreenCommand::Enter()
{
    m_barState = m_frame->saveState();
    m_geometry = m_frame->saveGeometry();
    m_windowState = m_frame->windowState();
    m_menuBarShown = !m_frame->menuBar()->isHidden();
    m_statusBarShown = !m_frame->statusBar()->isHidden();
    m_active = true;

    m_frame->menuBar()->hide();
    m_frame->statusBar()->hide();
    for (QToolBar* bar : m_frame->findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
        bar->hide();
    for (QDockWidget* pane : m_frame->findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly))
        pane->hide();
    m_frame->setWindowState((m_windowState & ~Qt::WindowMinimized) | Qt::WindowFullScreen);
    if (QWidget* view = m_frame->ActiveViewWidget())
        view->setFocus();
}

void CFullScreenCommand::Leave()
{
    m_active = false;
    m_frame->setWindowState(m_windowState & ~Qt::WindowFullScreen);
    if (!(m_windowState & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        m_frame->restoreGeometry(m_geometry);
    m_frame->restoreState(m_barState);
    m_frame->menuBar()->setVisible(m_menuBarShown);
    m_frame->statusBar()->setVisible(m_statusBarShown);
    m_frame->UpdateCommandUI();
}

bool CFullScreenCommand::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_frame && event->type() == QEvent::Close && m_active)
        SetActive(false);
    return QObject::eventFilter(watched, event);
}
