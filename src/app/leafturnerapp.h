// CLeafturnerApp: start-up in its fixed order, opening books, recent files, Help and About.
#pragma once

#include "ui/cmdtarget.h"

#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

class CHistoryCommand;
class CLeafturnerDoc;
class CMainFrame;
class QWidget;

class CLeafturnerApp : public CCmdTarget
{
public:
    CLeafturnerApp();
    ~CLeafturnerApp() override;

    // Everything from the settings to the restored book; false when start-up fails (the program ends).
    // `args` are the command-line arguments without the program name.
    bool InitInstance(const QStringList& args);
    // Frees the process-wide pictures; no setting is written here.
    void ExitInstance();

    // Every way of opening a book goes through here. False when the file could not be opened.
    // The book already open is kept where it is.
    bool OpenDocumentFile(const QString& path);
    // Loads the file again even when it is the book open (to throw away edits).
    bool ReloadDocumentFile(const QString& path);
    // Whether `path` names the book open now.
    bool IsOpenBook(const QString& path) const;
    // Opens the book of bookmark `name` at its position and focuses the view; false when its book
    // is missing or could not be opened.
    bool OpenBookmark(const QString& name);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CLeafturnerDoc* Document() const { return m_document.get(); }
    // The reading history; null before the frame exists.
    CHistoryCommand* History() const;

    QStringList RecentFiles() const { return m_recent; }
    void AddToRecentFiles(const QString& path);

    // The Open dialog with its checks; empty when cancelled or refused.
    QString AskOpenPath(QWidget* parent);
    // Checks a path the open dialog returned: refuses a NUL or a missing file with a message.
    static bool CheckChosenPath(const QString& path, bool mustExist);

    // A file shipped with the reader ("Leafturner.htm", "sample/..."): beside the program, in the
    // installed data folder, or in the source tree the program was built from. Empty when missing.
    static QString DataFilePath(const QString& relative);
    static QString HelpFilePath();

    // The book opened on a start without a book named and nothing to restore (a first start).
    void SetFirstRunBook(const QString& path) { m_firstRunBook = path; }

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

private:
    void LoadRecentFiles();
    void SaveRecentFiles();
    void ShowHelp();
    void ShowAbout();
    void RestoreLastBook();
    // Opens `path` at `position`; with none, where the reading history left it (else the start).
    bool LoadAt(const QString& path, std::optional<std::int32_t> position);

    std::unique_ptr<CLeafturnerDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
    QStringList m_recent;
    QString m_firstRunBook;
    QPointer<CHistoryCommand> m_history; // a child of the frame
};

// The one application object while the reader runs (null otherwise).
CLeafturnerApp* TheApp();
