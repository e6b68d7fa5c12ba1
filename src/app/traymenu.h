// The notification-area icon's menu: "显示主窗口" and "退出"; a click on the icon shows the window.
#pragma once

class CMainFrame;
class QMenu;
class QSystemTrayIcon;

// Gives `tray` its menu and click handling; the menu is a child of `frame`.
QMenu* AttachTrayMenu(QSystemTrayIcon* tray, CMainFrame* frame);
