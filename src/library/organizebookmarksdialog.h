// OrganizeBookmarksDialog: lists the bookmarks to load one or delete them.
#pragma once

#include "library/bookmarkfile.h"
#include "ui/growabledialog.h"

#include <QString>
#include <functional>
#include <optional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Accepted with ChosenName() when a bookmark whose book still exists is loaded. The list grows with
// the dialog; the buttons and the hint keep to its right edge, the path line to its bottom.
class OrganizeBookmarksDialog : public CGrowableDialog
{
    Q_OBJECT

public:
    // `bookmarkFile` empty: the profile's bookmark file. The list starts with the keyboard and the
    // first bookmark of `openBook` selected, or the first bookmark when it has none.
    explicit OrganizeBookmarksDialog(QWidget* parent, const QString& bookmarkFile = {},
                                     const QString& openBook = {});

    QString ChosenName() const { return m_chosen; }

    QListWidget* List() const { return m_list; }
    QLabel* PathLine() const { return m_pathLine; }
    QPushButton* LoadButton() const { return m_load; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* CloseButton() const { return m_close; }
    QLabel* Hint() const { return m_hint; }

    void OnLoad();
    void OnDelete();

protected:
    void OnGrow(int dx, int dy) override;

private:
    void FillList();
    void SelectInitial(const QString& openBook);
    void ShowSelectedPath();
    QListWidgetItem* SelectedItem() const;
    void RemoveBookmark(const QString& name);

    BookmarkFile m_file;
    IniDocument m_snapshot; // the file as of the last fill, for the path line
    QString m_chosen;
    QListWidget* m_list = nullptr;
    QLabel* m_pathLine = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_hint = nullptr;
};

// Where the book of a missing path is now (empty when unknown); loading such a bookmark is then
// allowed and the opener relocates it. An empty function finds nothing.
void SetMovedBookFinder(std::function<QString(const QString& missingPath)> finder);

// The organise command: the chosen bookmark's name, or nothing when none was loaded.
std::optional<QString> RunOrganizeBookmarksDialog(QWidget* parent, const QString& openBook = {});
