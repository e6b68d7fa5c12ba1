// What the document needs of the window that shows it.
#pragma once

#include <QString>

class CMyView;

class DocumentHost
{
public:
    virtual ~DocumentHost() = default;
    virtual CMyView* ActiveView() const = 0;
    // The chapter pane forgets the book before it changes and reads it again afterwards.
    virtual void ChapterPaneClear() = 0;
    virtual void ChapterPaneRefresh() = 0;
    // Replaces the active view by a new reading view (false) or edit view (true); false on failure.
    virtual bool SwitchView(bool toEditView) = 0;
    // The save-as file dialog; empty when cancelled.
    virtual QString AskSaveAsPath(const QString& currentPath) = 0;
    // Shows the file list pane with the book's file selected.
    virtual void LocateInFileList(const QString& path) = 0;
    virtual void UpdateFrameTitle() = 0;
    // The document now is the file at `path` (after Save As).
    virtual void DocumentPathChanged(const QString& path) { (void)path; }
};
