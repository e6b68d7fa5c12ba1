// CDlgFileBrowse: the file browser inside the file list pane.
#pragma once

#include <QStringList>
#include <QWidget>
#include <memory>

class QComboBox;
class QFileIconProvider;
class QFileSystemModel;
class QListView;
class QModelIndex;
class QToolButton;

// A folder box with back and up, the folder's files and folders, and a type filter (text files or
// all files). Selecting only highlights, so the arrow keys can move through a folder: Enter or a
// double click enters a folder or asks for a file to be opened, Backspace goes up one folder.
// Enter and Esc never reach the main window's shortcuts (Enter in the folder box goes to the typed
// folder; Esc does nothing).
class CDlgFileBrowse : public QWidget
{
    Q_OBJECT

public:
    static inline const QString kTextFilter = QStringLiteral("*.[Tt][Xx][Tt]");

    explicit CDlgFileBrowse(const QString& initialFolder, QWidget* host = nullptr);
    ~CDlgFileBrowse() override;

    // Shows `folder` unless it is the one shown already. The reader's request: the file last
    // opened stays remembered.
    void NavigateToFolder(const QString& folder);
    // Shows the file's folder and selects the file, scrolled into view, without opening it.
    void LocateFile(const QString& path);

    // The type filter: 0 text files, 1 all files.
    void SetTypeFilter(int index);
    // Folders offered in the folder box below the current folder's path (home, bookshelves...).
    void SetPlaces(const QStringList& folders);

    QString CurrentFolder() const { return m_folder; }
    QString LastOpenedPath() const { return m_lastOpened; }
    // The selected file or folder; empty when none.
    QString SelectedPath() const;

    QComboBox* FolderBox() const { return m_folderBox; }
    QListView* FileView() const { return m_view; }
    QComboBox* TypeBox() const { return m_typeBox; }
    QToolButton* BackButton() const { return m_back; }
    QToolButton* UpButton() const { return m_up; }
    QFileSystemModel* Model() const { return m_model; }

signals:
    // The user chose `path`, an existing file; the main window opens it.
    void OpenBookRequested(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows `folder`. The user's own folder changes forget the file last opened, so that it can be
    // opened again after coming back.
    bool ShowFolder(const QString& folder, bool byUser);
    void GoBack();
    void GoUp();
    void GoToTyped();
    void OnSelectionChanged();
    // Enter or a double click: into a folder, or the file asked to be opened.
    void Activate(const QModelIndex& index);
    void OnDirectoryLoaded(const QString& folder);
    void RequestOpen(const QString& path);
    void FillFolderBox();
    void SelectPending();

    // The model's reader thread uses it: the destructor ends the model first.
    std::unique_ptr<QFileIconProvider> m_iconProvider;
    QFileSystemModel* m_model = nullptr;
    QListView* m_view = nullptr;
    QComboBox* m_folderBox = nullptr;
    QComboBox* m_typeBox = nullptr;
    QToolButton* m_back = nullptr;
    QToolButton* m_up = nullptr;
    QString m_folder;
    QStringList m_history;
    QStringList m_places;
    QString m_lastOpened;
    // The file LocateFile selects once its folder has been read.
    QString m_pendingSelect;
    // Set while the browser acts for the reader: its selection changes open nothing.
    bool m_suppress = false;
};
