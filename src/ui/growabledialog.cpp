// The growable dialog base: minimum size and growth notifications.
#include "ui/growabledialog.h"

#include <QResizeEvent>

CGrowableDialog::CGrowableDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    setSizeGripEnabled(true);
}

void CGrowableDialog::OnGrow(int, int) {}

void CGrowableDialog::RecordInitialSize()
{
    if (m_initial.isValid())
        return;
    QSize base = size();
    // Opened maximised: the size it would have as a normal window is the one to keep.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        const QSize normal = normalGeometry().size();
        if (normal.isValid() && !normal.isEmpty())
            base = normal;
        else if (!testAttribute(Qt::WA_Resized))
            base = sizeHint().expandedTo(minimumSizeHint());
    }
    m_initial = base;
    m_last = base;
    setMinimumSize(base);
}

void CGrowableDialog::showEvent(QShowEvent* e)
{
    RecordInitialSize();
    QDialog::showEvent(e);
    if (size() != m_last) {
        const QSize now = size();
        const QSize before = m_last;
        m_last = now;
        OnGrow(now.width() - before.width(), now.height() - before.height());
    }
}

void CGrowableDialog::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    if (!m_initial.isValid() || isMinimized() || e->size().isEmpty())
        return;
    const QSize now = e->size();
    if (now == m_last)
        return;
    const QSize before = m_last;
    m_last = now;
    OnGrow(now.width() - before.width(), now.height() - before.height());
}
