// "全屏阅读" (F11): the book alone on the screen; leaving brings back placement and bars as they were.
#pragma once

#include <QByteArray>
#include <QObject>

class CMainFrame;
class QAction;

class CFullScreenCommand : public QObject
{
    Q_OBJECT
public:
    // A child of `frame`; adds itself to the view menu and the reading view's context menu.
    explicit CFullScreenCommand(CMainFrame* frame);

    QAction* Action() const { return m_action; }
    bool IsActive() const { return m_active; }
    void SetActive(bool on);

protected:
    // Leaves full screen before the frame closes, so the normal placement and bars are saved.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Enter();
    void Leave();

    CMainFrame* m_frame;
    QAction* m_action;
    bool m_active = false;
    QByteArray m_barState;
    QByteArray m_geometry;
    Qt::WindowStates m_windowState;
    bool m_menuBarShown = true;
    bool m_statusBarShown = true;
};
