// CHistoryCommand: the reading history in the reader: the open book's row, its position as the
// reader moves, the "阅读记录" dialog, moved bookmarks and the percent in the recent-file menu.
#pragma once

#include "document/bookencoding.h"
#include "document/bookfingerprint.h"
#include "ui/cmdtarget.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <utility>

class CLeafturnerApp;
class CMainFrame;
class HistoryStore;

// A child of the frame, registered there as a command handler. The open book's position is read
// (as the views keep it in PARA_LAST_POS) a few times a second and handed to the store, which writes at most
// once a second on its own thread, so a page turn never waits for the disk.
class CHistoryCommand : public QObject, public CCmdTarget, public BookEncodingMemory
{
    Q_OBJECT
public:
    CHistoryCommand(CMainFrame* frame, CLeafturnerApp* app);
    ~CHistoryCommand() override;

    HistoryStore* Store() const { return m_store.get(); }

    // A book was opened into the view. Unless the route brings its own position (a bookmark, the
    // start-up restore), the view goes to where the book was left.
    void BookOpened(bool routeHasPosition);
    // The open book is about to be replaced or the reader ends: its last position is written.
    void BookLeaving();

    // A bookmark's book is no longer at `missingPath`: where the same book is now (empty when not
    // found). When found, asks to update bookmark `name` in the bookmark file.
    QString RelocateBookmark(const QString& name, const QString& missingPath, std::int32_t position);
    // Where the book of `missingPath` is now, without asking; empty when unknown.
    QString FindMovedBook(const QString& missingPath) const;
    // "45.2%" for a remembered book, empty otherwise.
    QString ProgressText(const QString& path) const;

    // The encoding chosen for each book lives in its row, so it holds across restarts.
    QString ChosenEncoding(const QString& path) override;
    void SetChosenEncoding(const QString& path, const QString& name) override;

    // The display conversion chosen for each book (ConvertConfigName; empty when never chosen).
    QString ChosenConversion(const QString& path) const;
    void SetChosenConversion(const QString& path, const QString& name);

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

private:
    void Poll();
    // The first character the active view shows; -1 when there is no book in it.
    std::int32_t ShownOffset() const;

    CMainFrame* m_frame;
    CLeafturnerApp* m_app;
    std::unique_ptr<HistoryStore> m_store;
    QTimer m_poll;
    // What was last handed to the store for the open book.
    QString m_path;
    BookFingerprint m_fingerprint;
    std::int32_t m_offset = -1;
    std::int32_t m_length = -1;
    // An encoding chosen for a book the history has no row for yet: (path, name).
    std::pair<QString, QString> m_pendingEncoding;
    // The same for a display conversion.
    std::pair<QString, QString> m_pendingConversion;
};
