// One answer to "how wide is the screen, what colour is a window" for every program.
#include "layout/screendefaults.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

ParaScreen ScreenDefaults()
{
    ParaScreen screen; // what is assumed without a screen
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return screen;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return screen;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screen.fullScreenWidth = primary->availableGeometry().width();
    const QColor base = QGuiApplication::palette().color(QPalette::Base);
    screen.windowColour = RGBRef(base.red(), base.green(), base.blue());
    return screen;
}
