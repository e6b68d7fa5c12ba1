// CLeafturnerDoc: the one open book, its path, saving and the switch between reading and editing.
#pragma once

#include "document/textbuffer.h"
#include "ui/cmdtarget.h"

#include <QString>
#include <memory>

class CMyView;
class DocumentHost;

// The document keeps no modified flag of its own: the active view holds it.
class CLeafturnerDoc : public CCmdTarget
{
public:
    explicit CLeafturnerDoc(DocumentHost* host = nullptr);
    ~CLeafturnerDoc() override;

    void SetHost(DocumentHost* host) { m_host = host; }

    TextBuffer* Buffer() const { return m_buffer.get(); }
    bool HasText() const { return m_buffer && m_buffer->HasText(); }
    QString PathName() const { return m_path; }
    QString Title() const { return m_title; }

    bool IsModified() const;
    void SetModifiedFlag(bool modified);

    // An empty document: no book.
    void OnNewDocument();
    // Opens `path` (see the open rules); false, with the book that was open kept, when the file
    // cannot be read.
    bool OnOpenDocument(const QString& path);
    // A regular file we may read; found out without waiting (a FIFO never blocks here).
    static bool IsOpenable(const QString& path);
    // Writes the book to `path`; false (with a message) when it cannot be written.
    bool OnSaveDocument(const QString& path);
    // Replaces the text by decoded bytes held in memory (a reformat result) and keeps the path.
    bool ReplaceTextFromBytes(const QByteArray& bytes);

    // Asks to save unsaved edits (Yes/No/Cancel) before the book is closed or replaced; false on Cancel
    // or a failed save. No with `staying` reads the book's text from the file again when the buffer
    // holds text that never reached it (a reformat, a commit whose save failed).
    bool SaveModified(bool staying = true);
    // Commits the view's edits and saves them when modified (used by the chapter pane); false when
    // that failed.
    bool SaveBeforeLeaving();
    // The reading/edit toggle; false when the user cancelled or the switch failed.
    bool ToggleEditMode();

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

private:
    CMyView* ActiveView() const;
    bool DoSave(const QString& path, bool changePath);
    bool CommitViewEdits();
    bool RestoreStoredText();
    void DeleteContents();

    DocumentHost* m_host;
    std::unique_ptr<TextBuffer> m_buffer;
    QString m_path;
    QString m_title;
    // The encoding the file holds now, which a save may have to change.
    SourceEncoding m_storedEncoding = SourceEncoding::Ansi;
    // The buffer may hold text that is not in the file.
    bool m_textNotOnDisk = false;
};
