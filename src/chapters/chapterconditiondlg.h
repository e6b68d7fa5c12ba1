// CChapterConditionDlg: the text of one chapter condition, for adding or editing it.
#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;

// The text is trimmed on OK. A text already in the list is refused in add mode and taken as
// Cancel in edit mode.
class CChapterConditionDlg : public QDialog
{
    Q_OBJECT
public:
    // With a leading "*" an enabled condition must still fit the condition list.
    static constexpr int kMaxTextUnits = 4093;

    // `rows`: the texts of the settings dialog's rows as they stand.
    CChapterConditionDlg(bool addMode, const QString& text, QStringList rows, QWidget* parent = nullptr);

    QString Text() const { return m_text; }
    bool IsAddMode() const { return m_addMode; }
    QLineEdit* Edit() const { return m_edit; }

    void accept() override;

private:
    QLineEdit* m_edit;
    QString m_text;
    bool m_addMode;
    QStringList m_rows;
};
