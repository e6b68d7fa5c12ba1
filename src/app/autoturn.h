// "自动翻页": the reading view turns a page every PARA_AUTO_TURN_SECONDS until a key or a click
// pauses it or the last page is reached.
#pragma once

#include <QObject>

class CMainFrame;
class CLeafturnerView;
class QAction;
class QTimer;

class CAutoTurnCommand : public QObject
{
    Q_OBJECT
public:
    // A child of `frame`; adds the toggle and its interval to the page menu.
    explicit CAutoTurnCommand(CMainFrame* frame);
    ~CAutoTurnCommand() override;

    QAction* Action() const { return m_action; }
    bool IsRunning() const;
    void SetRunning(bool on);
    // Asks for the interval in seconds and stores it.
    void AskInterval();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Turn();
    CLeafturnerView* ReadingView() const;
    bool AtLastPage(const CLeafturnerView* view) const;

    CMainFrame* m_frame;
    QAction* m_action;
    QAction* m_intervalAction;
    QTimer* m_timer;
    bool m_filtering = false;
};
