// LibraryManagerDialog: editing the list of bookshelf folders.
#pragma once

#include "ui/growabledialog.h"

#include <QStringList>
#include <functional>

class BookshelfList;
class QPushButton;
class QTableWidget;

// Works on a copy of the list's entries; OK writes them to the bookshelf file (or removes the file
// when none are left) and reloads the list, Cancel leaves both alone. "打开" hands a row's folder
// to the file list pane and keeps the dialog open. Folders and files dropped on the dialog add
// their folder.
class LibraryManagerDialog : public CGrowableDialog
{
    Q_OBJECT

public:
    // The selected row's background, 0x6BD8FF as a COLORREF.
    static constexpr QRgb kSelectedRow = 0xFFFFD86B;

    explicit LibraryManagerDialog(QWidget* parent = nullptr, BookshelfList* list = nullptr);

    // Called by "打开" with an existing folder.
    void SetFolderOpener(std::function<void(const QString&)> open) { m_openFolder = std::move(open); }

    QStringList Rows() const;
    QTableWidget* List() const { return m_list; }
    QPushButton* Button(const QString& text) const;

    void OnAdd();
    // Appends `folder` unless a row holds exactly that text, which is reported instead.
    bool AddFolder(const QString& folder);
    // Each dropped item adds its folder: a folder itself, a file the folder it is in.
    void AddDropped(const QStringList& localPaths);
    void OnDelete();
    void OnClear();
    void OnSetDefault();
    void OnOpen();

public slots:
    void accept() override;

protected:
    void OnGrow(int dx, int dy) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int SelectedRow() const;
    void AppendRow(const QString& text);

    BookshelfList* m_shelves;
    QTableWidget* m_list = nullptr;
    QList<QPushButton*> m_buttons;
    std::function<void(const QString&)> m_openFolder;
};

// The "书库管理..." command: true when the dialog was closed with OK.
bool RunLibraryManagerDialog(QWidget* parent, std::function<void(const QString&)> openFolder);
