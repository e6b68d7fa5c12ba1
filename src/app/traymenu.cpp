// The tray icon's menu and activation.
#include "app/traymenu.h"

#include "app/mainframe.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

QMenu* AttachTrayMenu(QSystemTrayIcon* tray, CMainFrame* frame)
{
    auto* menu = new QMenu(frame);
    QObject::connect(menu->addAction(QStringLiteral("显示主窗口")), &QAction::triggered, frame,
                     [frame] { frame->ShowFromTray(); });
    menu->addSeparator();
    // Closing asks about unsaved edits as the File menu's exit does; a frame hidden in the tray
    // closing is not "the last window closed", so the loop is ended here.
    QObject::connect(menu->addAction(QStringLiteral("退出")), &QAction::triggered, frame, [frame] {
        if (frame->close())
            QCoreApplication::quit();
    });
    tray->setContextMenu(menu);
    QObject::connect(tray, &QSystemTrayIcon::activated, frame,
                     [frame](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick ||
                             reason == QSystemTrayIcon::MiddleClick)
                             frame->ShowFromTray();
                     });
    return menu;
}
