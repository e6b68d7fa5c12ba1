// What a view needs of the main window around it.
#pragma once

#include <QPoint>

class CMyView;
class QWidget;

class ViewHost
{
public:
    virtual ~ViewHost() = default;
    // The status indicator shows the view's FormatStatusText (set only when it changed).
    virtual void PushStatusText(CMyView* view) = 0;
    // Queues a command for the command chain, as a posted message would.
    virtual void PostCommand(int id) = 0;
    // Runs a command through the command chain now.
    virtual void RunCommand(int id) = 0;
    // Pops up the context menu of the reading view (160) or the edit view (159) at a global position.
    virtual void ShowContextMenu(int menuId, const QPoint& globalPos) = 0;
    // The top-level window, parent of dialogs.
    virtual QWidget* FrameWidget() = 0;
};
