// Finding one of the frame's menus by its title, for capabilities that add their own entries.
#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

inline QMenu* FindFrameMenu(QMainWindow* frame, const QString& title)
{
    for (QAction* action : frame->menuBar()->actions())
        if (action->menu() && action->text() == title)
            return action->menu();
    return nullptr;
}
