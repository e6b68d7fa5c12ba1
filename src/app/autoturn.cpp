// CAutoTurnCommand: the timer, its pause on input and its stop at the end of the book.
#include "app/autoturn.h"

#include "app/framemenu.h"
#include "app/mainframe.h"
#include "settings/parablock.h"
#include "ui/commandids.h"
#include "views/leafturnerview.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <algorithm>

CAutoTurnCommand::CAutoTurnCommand(CMainFrame* frame)
    : QObject(frame), m_frame(frame), m_timer(new QTimer(this))
{
    m_action = new QAction(QStringLiteral("自动翻页"), frame);
    m_action->setCheckable(true);
    connect(m_action, &QAction::triggered, this, [this](bool on) { SetRunning(on); });
    m_intervalAction = new QAction(QStringLiteral("自动翻页间隔..."), frame);
    connect(m_intervalAction, &QAction::triggered, this, &CAutoTurnCommand::AskInterval);
    if (QMenu* go = FindFrameMenu(frame, QStringLiteral("翻页(&G)"))) {
        go->addSeparator();
        go->addAction(m_action);
        go->addAction(m_intervalAction);
        // Only a reading view with a book can turn pages by itself.
        connect(go, &QMenu::aboutToShow, this,
                [this] { m_action->setEnabled(IsRunning() || ReadingView()); });
    }
    connect(m_timer, &QTimer::timeout, this, &CAutoTurnCommand::Turn);
}

CAutoTurnCommand::~CAutoTurnCommand()
{
    if (m_filtering)
        qApp->removeEventFilter(this);
}

bool CAutoTurnCommand::IsRunning() const
{
    return m_timer->isActive();
}

void CAutoTurnCommand::SetRunning(bool on)
{
    CLeafturnerView* view = ReadingView();
    if (on && view && !AtLastPage(view)) {
        const int seconds =
            std::clamp(ParaGetInt(PARA_AUTO_TURN_SECONDS), kAutoTurnMinSeconds, kAutoTurnMaxSeconds);
        m_timer->start(seconds * 1000);
        if (!m_filtering) {
            qApp->installEventFilter(this);
            m_filtering = true;
        }
    } else {
        m_timer->stop();
        if (m_filtering) {
            qApp->removeEventFilter(this);
            m_filtering = false;
        }
    }
    m_action->setChecked(IsRunning());
}

void CAutoTurnCommand::AskInterval()
{
    bool ok = false;
    const int seconds = QInputDialog::getInt(
        m_frame, QStringLiteral("自动翻页"), QStringLiteral("翻页间隔（秒）："),
        ParaGetInt(PARA_AUTO_TURN_SECONDS), kAutoTurnMinSeconds, kAutoTurnMaxSeconds, 1, &ok);
    if (!ok)
        return;
    ParaSetInt(seconds, PARA_AUTO_TURN_SECONDS);
    if (IsRunning())
        m_timer->start(seconds * 1000);
}

CLeafturnerView* CAutoTurnCommand::ReadingView() const
{
    auto* view = qobject_cast<CLeafturnerView*>(m_frame->ActiveViewWidget());
    return view && view->PageCount() > 0 ? view : nullptr;
}

bool CAutoTurnCommand::AtLastPage(const CLeafturnerView* view) const
{
    return view->CurrentPage() + (view->IsSpread() ? 2 : 1) >= view->PageCount();
}

void CAutoTurnCommand::Turn()
{
    CLeafturnerView* view = ReadingView();
    // The book was closed or the edit view took over: nothing left to turn.
    if (!view || AtLastPage(view)) {
        SetRunning(false);
        return;
    }
    // Through the command, so the chosen page-turn animation plays as on PgDn.
    m_frame->RouteCommand(Cmd::NextPage);
    if (AtLastPage(view))
        SetRunning(false);
}

bool CAutoTurnCommand::eventFilter(QObject* watched, QEvent* event)
{
    // Opening the menu to switch it off must not pause it first.
    if (qobject_cast<QMenu*>(watched) || qobject_cast<QMenuBar*>(watched))
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The reader wants to read at its own pace now; the key or click still does its work.
        SetRunning(false);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
