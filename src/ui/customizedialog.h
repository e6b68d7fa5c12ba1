// CCustomizeDialog: rearranging the toolbar's buttons and choosing its label and icon options.
#pragma once

#include <QDialog>

class CToolBarEx;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// Works on the toolbar directly: buttons added, removed or moved show at once, as do the label
// option and the label height; the icon size is only remembered and taken by the toolbar when the
// dialog closes.
class CCustomizeDialog : public QDialog
{
    Q_OBJECT
public:
    // Control ids of the three option lists, kept as the lists' object names' suffixes.
    static constexpr int kTextOptionList = 1000;
    static constexpr int kIconOptionList = 1001;
    static constexpr int kTextHeightList = 1139;

    explicit CCustomizeDialog(CToolBarEx* toolbar, QWidget* parent = nullptr);

    // The icon option chosen in the panel.
    int IconOption() const { return m_iconOption; }

    QListWidget* AvailableList() const { return m_available; }
    QListWidget* CurrentList() const { return m_current; }
    QComboBox* TextOptionList() const { return m_textList; }
    QComboBox* TextHeightList() const { return m_heightList; }
    QComboBox* IconOptionList() const { return m_iconList; }

    void AddSelected();
    void RemoveSelected();
    void MoveSelected(int delta);
    // Every default button in table order, no labels, small icons, normal label height.
    void Reset();

private:
    void FillLists();
    void UpdateButtons();
    void UpdateEnabling();

    CToolBarEx* m_toolbar;
    int m_iconOption;
    QListWidget* m_available = nullptr;
    QListWidget* m_current = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_up = nullptr;
    QPushButton* m_down = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_close = nullptr;
    QComboBox* m_textList = nullptr;
    QComboBox* m_heightList = nullptr;
    QComboBox* m_iconList = nullptr;
    QLabel* m_heightLabel = nullptr;
};
