// CSizingControlBarG: the gripper strip with its close button, drawn and driven by the pane.
#include "ui/sizingcontrolbarg.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

// The title bar widget of the pane. Presses outside the close button are left to the dock widget,
// which moves the pane on a drag and docks or floats it on a double click.
class GripperStrip : public QWidget
{
public:
    explicit GripperStrip(CSizingControlBarG* bar) : QWidget(bar), m_bar(bar)
    {
        setObjectName(QStringLiteral("Gripper"));
        setMouseTracking(true);
    }

    QSize sizeHint() const override
    {
        // The dock widget reads the width of a vertical strip and the height of a horizontal one.
        return {CSizingControlBarG::kGripperSize, CSizingControlBarG::kGripperSize};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QPalette& pal = palette();
        const QRect button = m_bar->CloseButtonRect();
        // Two raised bars, three pixels thick and three apart, along the strip up to the button.
        if (m_bar->IsGripperVertical()) {
            const int top = button.top() + 14;
            for (int x : {2, 8})
                if (height() - 2 > top)
                    qDrawShadePanel(&p, QRect(x, top, 3, height() - 2 - top), pal, false, 1);
        } else {
            const int right = button.left() - 3;
            for (int y : {2, 8})
                if (right > 2)
                    qDrawShadePanel(&p, QRect(2, y, right - 2, 3), pal, false, 1);
        }
        if (m_bar->IsClosePushed())
            qDrawShadePanel(&p, button, pal, true, 1);
        else if (m_bar->IsCloseHot())
            qDrawShadePanel(&p, button, pal, false, 1);
        // The cross of the close glyph, two pixels in from the frame.
        p.setPen(QPen(pal.color(QPalette::ButtonText), 1.2));
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF glyph = QRectF(button).adjusted(3, 3, -3, -3);
        p.drawLine(glyph.topLeft(), glyph.bottomRight());
        p.drawLine(glyph.topRight(), glyph.bottomLeft());
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && OverButton(event)) {
            m_pressedOnButton = true;
            m_bar->SetCloseState(false, true);
            event->accept();
            return;
        }
        event->ignore();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        const bool inside = OverButton(event);
        const bool down = (event->buttons() & Qt::LeftButton) != 0;
        m_bar->SetCloseState(inside && !down, inside && down && m_pressedOnButton);
        if (m_pressedOnButton)
            event->accept();
        else
            event->ignore();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || !m_pressedOnButton) {
            event->ignore();
            return;
        }
        m_pressedOnButton = false;
        const bool inside = OverButton(event);
        m_bar->SetCloseState(inside, false);
        event->accept();
        if (inside)
            m_bar->OnCloseButton();
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (OverButton(event))
            event->accept(); // a quick second click on the button is not a dock/float toggle
        else
            event->ignore();
    }

    void leaveEvent(QEvent*) override
    {
        if (!m_pressedOnButton)
            m_bar->SetCloseState(false, false);
    }

private:
    bool OverButton(const QMouseEvent* event) const
    {
        return m_bar->CloseButtonRect().contains(event->position().toPoint());
    }

    CSizingControlBarG* m_bar;
    bool m_pressedOnButton = false;
};

CSizingControlBarG::CSizingControlBarG(const QString& title, QWidget* parent, int barId)
    : CSizingControlBar(title, parent, barId)
{
    setTitleBarWidget(new GripperStrip(this));
}

bool CSizingControlBarG::IsGripperVertical() const
{
    return features().testFlag(QDockWidget::DockWidgetVerticalTitleBar);
}

QRect CSizingControlBarG::CloseButtonRect() const
{
    const QWidget* strip = titleBarWidget();
    const int w = strip ? strip->width() : kGripperSize;
    if (IsGripperVertical())
        return {0, 1, kCloseButtonSize, kCloseButtonSize};
    return {w - kCloseButtonSize - 1, 0, kCloseButtonSize, kCloseButtonSize};
}

void CSizingControlBarG::SetCloseState(bool hot, bool pushed)
{
    if (hot == m_closeHot && pushed == m_closePushed)
        return;
    m_closeHot = hot;
    m_closePushed = pushed;
    if (QWidget* strip = titleBarWidget())
        strip->update();
}

void CSizingControlBarG::OnCloseButton()
{
    hide();
}

void CSizingControlBarG::OnDockStateChanged(DockState state)
{
    // Docked along the top or bottom the strip stands at the pane's left end.
    QDockWidget::DockWidgetFeatures f = features();
    f.setFlag(QDockWidget::DockWidgetVerticalTitleBar, state == DockState::Horizontal);
    setFeatures(f);
}
