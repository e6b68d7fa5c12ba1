// CSizingControlBarG: a sizing pane with a gripper strip and a close button.
#pragma once

#include "ui/sizingcontrolbar.h"

#include <QRect>

// The gripper runs along the top of the pane (docked left or right, or floating) or down its left
// side (docked top or bottom); dragging it moves the pane, a double click docks or floats it. The
// small close button at its end hides the pane.
class CSizingControlBarG : public CSizingControlBar
{
    Q_OBJECT
public:
    static constexpr int kGripperSize = 12;
    static constexpr int kCloseButtonSize = 11;

    CSizingControlBarG(const QString& title, QWidget* parent, int barId);

    // Hot: the mouse is over the close button with the left button up; pushed: down on it.
    bool IsCloseHot() const { return m_closeHot; }
    bool IsClosePushed() const { return m_closePushed; }
    // The close button in the coordinates of the gripper strip (titleBarWidget()).
    QRect CloseButtonRect() const;
    bool IsGripperVertical() const;

protected:
    // The close button was clicked: the pane hides.
    virtual void OnCloseButton();
    void OnDockStateChanged(DockState state) override;

private:
    friend class GripperStrip;
    void SetCloseState(bool hot, bool pushed);

    bool m_closeHot = false;
    bool m_closePushed = false;
};
