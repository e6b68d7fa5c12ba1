// CSimpleReformatDlg ("简单排版"): the simple reformat's three boxes and the way on to the complex one.
#pragma once

#include "reformat/reformatoptions.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

// The first dialog of the reformat command. Accepted with a choice: a simple reformat with the three
// boxes, the complex dialog next, or reloading the book as stored. The boxes start ticked every time.
class CSimpleReformatDlg : public QDialog
{
    Q_OBJECT
public:
    enum Choice : int
    {
        SimpleChoice = 0,
        ComplexChoice = 1,
        ReloadChoice = 2,
    };

    explicit CSimpleReformatDlg(QWidget* parent = nullptr);

    int ChoiceMade() const { return m_choice; }
    SimpleOptions Options() const;

    QCheckBox* DeleteBlankLinesBox() const { return m_deleteBlankLines; }
    QCheckBox* TrimBox() const { return m_trim; }
    QCheckBox* IndentBox() const { return m_indent; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* ComplexButton() const { return m_complex; }
    QPushButton* ReloadButton() const { return m_reload; }

private:
    void Finish(int choice);

    QCheckBox* m_deleteBlankLines = nullptr;
    QCheckBox* m_trim = nullptr;
    QCheckBox* m_indent = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_complex = nullptr;
    QPushButton* m_reload = nullptr;
    int m_choice = SimpleChoice;
};
