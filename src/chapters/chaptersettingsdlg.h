// CChapterSettingsDlg: the chapter conditions with their ticks and the seven chapter settings.
#pragma once

#include "chapters/chapterconditionlist.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

// Works on a copy of the conditions; on OK the settings are stored and the copy is rebuilt from the
// rows as they stand (ticked rows enabled). The caller takes WorkingCopy() when exec() gave Accepted.
class CChapterSettingsDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CChapterSettingsDlg(const ChapterConditionList& conditions, QWidget* parent = nullptr);

    const ChapterConditionList& WorkingCopy() const { return m_workingCopy; }
    // The texts of the rows as they stand, without the enabled mark.
    QStringList RowTexts() const;
    QTableWidget* List() const { return m_list; }

    void accept() override;

    void OnAdd();
    void OnEdit();
    void OnDelete();
    void SetAllTicks(bool ticked);

private:
    void AppendRow(const QString& text, bool ticked);
    int SelectedRow() const;

    ChapterConditionList m_workingCopy;
    QTableWidget* m_list;
    QCheckBox* m_engDigit;
    QCheckBox* m_chnDigit;
    QCheckBox* m_chnLower;
    QCheckBox* m_chnUpper;
    QLineEdit* m_lineHead;
    QCheckBox* m_sepBlank;
    QCheckBox* m_noDupChapter;
};
