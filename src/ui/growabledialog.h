// CGrowableDialog: a dialog base that cannot shrink below its first size and reports growth.
#pragma once

#include <QDialog>

// Records its size when first shown and makes it the minimum. Every later change of size that is
// not a minimise is handed to OnGrow as the change since the last one, so a derived dialog can move
// or stretch the controls it places itself.
class CGrowableDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CGrowableDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The size recorded when the dialog was first shown (invalid before).
    QSize InitialSize() const { return m_initial; }

protected:
    // Called with the change of the client size since the last call.
    virtual void OnGrow(int dx, int dy);

    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void RecordInitialSize();

    QSize m_initial;
    QSize m_last;
};
