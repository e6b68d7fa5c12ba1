// AddBookmarkDialog: names the current reading position and stores it as a bookmark.
#pragma once

#include "library/bookmarkfile.h"

#include <QDialog>
#include <cstdint>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// A name field above the sorted list of existing names; a click in the list takes that name, a
// double-click confirms it. Accepted only once the bookmark is written.
class AddBookmarkDialog : public QDialog
{
    Q_OBJECT

public:
    // `bookmarkFile` empty: the profile's bookmark file.
    AddBookmarkDialog(QWidget* parent, QString bookPath, std::int32_t position,
                      const QString& bookmarkFile = {});

    QLineEdit* NameEdit() const { return m_edit; }
    QListWidget* NameList() const { return m_list; }
    QPushButton* OkButton() const { return m_ok; }

    // The checks and the write behind the OK button; the dialog closes only when it wrote.
    void OnOK();

private:
    void FillList();
    void TakeName(QListWidgetItem* item);

    BookmarkFile m_file;
    QString m_bookPath;
    std::int32_t m_position;
    QLineEdit* m_edit = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
};

// The add-bookmark command of both views: true when a bookmark was written.
bool RunAddBookmarkDialog(QWidget* parent, const QString& path, std::int32_t position);
