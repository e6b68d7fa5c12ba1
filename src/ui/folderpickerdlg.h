// CFolderPickerDlg: choosing a folder from a tree or by typing its path.
#pragma once

#include <QDialog>

class QFileSystemModel;
class QLineEdit;
class QTreeView;

// A modal folder chooser with a typed-path box. OK with a typed path runs the folder checks, offers
// to create a missing folder (when creation is allowed) and stays open on any problem.
class CFolderPickerDlg : public QDialog
{
    Q_OBJECT

public:
    CFolderPickerDlg(const QString& caption, const QString& prompt, const QString& initialFolder,
                     QWidget* owner = nullptr);

    // The accepted folder; empty until OK succeeds.
    QString ChosenPath() const { return m_chosen; }
    QLineEdit* PathEdit() const { return m_edit; }
    QTreeView* FolderTree() const { return m_tree; }

    // Process-wide: whether a typed folder that does not exist may be created (on by default).
    static void AllowFolderCreation(bool allow);
    static bool IsFolderCreationAllowed();

    // The checks of OK for a typed path, with their questions and messages. True accepts it.
    static bool ConfirmTypedFolder(const QString& path);

public slots:
    void accept() override;

private:
    void OnCurrentFolderChanged();

    QFileSystemModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QLineEdit* m_edit = nullptr;
    QString m_chosen;
};
