// Command routing: objects that handle commands and report whether a command is enabled or checked.
#pragma once

#include <QString>

// The state a command shows in menus and on the toolbar.
struct CmdUI
{
    bool enabled = true;
    bool checked = false;
    QString text; // replaces the menu text when not empty
};

// A link in the command chain (active view, document, main frame, application). A handler returns
// true when it took the command; the first one that does ends the routing.
class CCmdTarget
{
public:
    virtual ~CCmdTarget() = default;
    virtual bool OnCmdMsg(int id)
    {
        (void)id;
        return false;
    }
    virtual bool OnUpdateCmdUI(int id, CmdUI& ui)
    {
        (void)id;
        (void)ui;
        return false;
    }
};
