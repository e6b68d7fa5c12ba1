// CComplexReformatDlg ("复杂排版"): the signs that start a paragraph and how paragraphs are laid out.
#pragma once

#include "reformat/reformatoptions.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Shows the eleven complex options; OK stores them in the settings record before closing. Moving a
// spin ticks its box, since a count only matters when its sign is on.
class CComplexReformatDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CComplexReformatDlg(const ComplexOptions& options, QWidget* parent = nullptr);

    // The values as the controls show them now.
    ComplexOptions Options() const;

    void accept() override;

    QCheckBox* ChnSpaceBox() const { return m_beginWithChn; }
    QCheckBox* EngSpaceBox() const { return m_beginWithEng; }
    QCheckBox* LineLengthBox() const { return m_checkLineLen; }
    QCheckBox* BlankLineBox() const { return m_beginWithBlankLine; }
    QCheckBox* EndCharsBox() const { return m_endWithSpec; }
    QCheckBox* IndentBox() const { return m_addChnSpace; }
    QCheckBox* AddBlankLineBox() const { return m_addBlankLine; }
    QSpinBox* ChnSpaceSpin() const { return m_chnSpace; }
    QSpinBox* EngSpaceSpin() const { return m_engSpace; }
    QSpinBox* TailSpaceSpin() const { return m_tailSpace; }
    QLineEdit* EndCharsEdit() const { return m_paraEnd; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

private:
    QCheckBox* m_beginWithChn = nullptr;
    QCheckBox* m_beginWithEng = nullptr;
    QCheckBox* m_checkLineLen = nullptr;
    QCheckBox* m_beginWithBlankLine = nullptr;
    QCheckBox* m_endWithSpec = nullptr;
    QCheckBox* m_addChnSpace = nullptr;
    QCheckBox* m_addBlankLine = nullptr;
    QSpinBox* m_chnSpace = nullptr;
    QSpinBox* m_engSpace = nullptr;
    QSpinBox* m_tailSpace = nullptr;
    QLineEdit* m_paraEnd = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
