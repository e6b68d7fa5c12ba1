// FindReplaceDialog: the modeless find and replace dialog of the edit view, and the last search.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// What was searched for last; F3 and a new dialog start from it. One per process, so it outlives a
// switch of views.
struct FindSettings
{
    QString findWhat;
    QString replaceWith;
    bool matchCase = false;
    bool wholeWord = false;
    bool down = true;
};
FindSettings& LastFindSettings();

// Find what, replace with (replace dialog only), match case, whole word and the direction. The
// buttons only signal; the view does the searching.
class FindReplaceDialog : public QDialog
{
    Q_OBJECT
public:
    FindReplaceDialog(bool replace, const FindSettings& settings, QWidget* parent);

    bool IsReplaceDialog() const { return m_replace; }
    // The dialog's fields as search settings.
    FindSettings Settings() const;

    QLineEdit* FindEdit() const { return m_find; }
    QLineEdit* ReplaceEdit() const { return m_replaceWith; }
    QCheckBox* MatchCaseBox() const { return m_matchCase; }
    QCheckBox* WholeWordBox() const { return m_wholeWord; }
    QRadioButton* UpButton() const { return m_up; }
    QRadioButton* DownButton() const { return m_down; }

signals:
    void FindNextRequested();
    void ReplaceRequested();
    void ReplaceAllRequested();

private:
    void UpdateButtons();

    bool m_replace;
    QLineEdit* m_find = nullptr;
    QLineEdit* m_replaceWith = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QRadioButton* m_up = nullptr;
    QRadioButton* m_down = nullptr;
    QPushButton* m_findNext = nullptr;
    QPushButton* m_replaceOne = nullptr;
    QPushButton* m_replaceAll = nullptr;
};
