// CFileListCommand: the file list pane and the library commands of the main frame.
#pragma once

#include "app/mainframe.h"

#include <QObject>
#include <QPointer>

class CDlgFileBrowse;
class PaneHostBar;

// Builds the file list pane on first use (docked at the left, at least 350 pixels or a third of the
// window wide) and runs "文件列表", "缺省书架" and "书库管理...". The pane's open requests reach the
// frame as queued open-or-select requests; the frame's show-folder and select-file requests reach
// the pane. It is a child of the frame and registers itself there.
class CFileListCommand : public QObject, public CCmdTarget, public FileListLink
{
    Q_OBJECT
public:
    static constexpr int kBarId = 123;

    explicit CFileListCommand(CMainFrame* frame);

    PaneHostBar* Bar() const;
    CDlgFileBrowse* Pane() const;
    bool IsPaneVisible() const;

    // Creates or shows the pane, gives the keyboard back to the view, then shows `folder` when it
    // is an existing folder.
    void ShowFolderInFileList(const QString& folder = {});

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

    void ShowFolder(const QString& folder) override;
    void SelectFile(const QString& path) override;

    // Where the browser starts: the desktop folder where there is one, else the home folder.
    static QString InitialFolder();

private:
    void CreatePane();
    void TogglePane();
    void FocusView();
    void UpdatePlaces();
    void SyncCheck();

    CMainFrame* m_frame;
    QPointer<PaneHostBar> m_bar;
    QPointer<CDlgFileBrowse> m_pane;
};
