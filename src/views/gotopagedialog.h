// GoToPageDialog ("跳页"): jump to a page number or a percentage; CMyEdit, its filtered target box.
#pragma once

#include <QDialog>
#include <QLineEdit>

class QComboBox;
class QLabel;

// What the dialog needs of the view it works for.
class GoToPageTarget
{
public:
    virtual ~GoToPageTarget() = default;
    virtual bool GoToIsEditView() const = 0;
    virtual int GoToPageCount() const = 0;
    virtual int GoToCurrentPage() const = 0;
    virtual void GoToShowPage(int page) = 0;
    virtual int GoToFirstVisibleLine() const = 0;
    virtual int GoToLineCount() const = 0;
    // Scrolls so that `line` is the first visible one and puts the caret at its start.
    virtual void GoToScrollToLine(int line) = 0;
    virtual void GoToPushStatus() = 0;
};

// An edit box that lets through only what its filter mode allows: 0 everything, 1 digits,
// 2 digits and '.' or the locale's decimal point. Ctrl+A/C/V/X/Z select all, copy, paste, cut, undo.
class CMyEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CMyEdit(QWidget* parent = nullptr);
    void SetFilterMode(int mode) { m_filterMode = mode; }
    int FilterMode() const { return m_filterMode; }
    void SetAllowPercent(bool allow) { m_allowPercent = allow; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_filterMode = 0;
    bool m_allowPercent = false;
};

class GoToPageDialog : public QDialog
{
    Q_OBJECT
public:
    GoToPageDialog(GoToPageTarget* target, QWidget* parent);

    CMyEdit* TargetBox() const { return m_target; }
    QComboBox* ModeBox() const { return m_mode; }
    QLabel* UnitLabel() const { return m_unit; }

    // "跳转": performs the jump and stays open.
    void Jump();
    // "离开" and Esc: remembers the mode and closes.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Fill(int mode);
    void Leave();

    GoToPageTarget* m_view;
    CMyEdit* m_target;
    QLabel* m_unit;
    QComboBox* m_mode;
    bool m_left = false;
};
