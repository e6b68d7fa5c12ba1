// CMainFrame: hiding the window to the notification area and showing it again.
#include "app/mainframe.h"
#include "app/traymenu.h"

#include <QSystemTrayIcon>

void CMainFrame::HideWindowToTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return; // the icon cannot be added: stay visible
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(windowIcon(), this);
        m_tray->setToolTip(kTitle);
        AttachTrayMenu(m_tray, this);
    }
    m_tray->show();
    if (!m_tray->isVisible())
        return;
    hide();
}

void CMainFrame::ShowFromTray()
{
    show();
    raise();
    activateWindow();
    if (m_tray)
        m_tray->hide();
}
