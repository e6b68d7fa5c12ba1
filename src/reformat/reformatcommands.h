// The edit view's reformat ("排版...") and garbled-character repair ("破除乱码") commands.
#pragma once

#include <QString>
#include <functional>

class CMyRichEditView;

// What the commands need of the application around the edit view.
struct ReformatCommandHooks
{
    // Opens a book as a freshly opened document (the reload choice); false when that failed.
    std::function<bool(const QString& path)> openDocument;
    // The chapter pane reads the book's new text.
    std::function<void()> refreshChapters;
};

// Plugs both commands into every edit view; until then they stay disabled.
void InstallReformatCommands(ReformatCommandHooks hooks);

// The reformat command on `view`: the simple dialog, then a simple or complex reformat of the
// whole text, or reloading the book as stored.
void RunReformatCommand(CMyRichEditView& view, const ReformatCommandHooks& hooks);
// The garbled-character repair of the view's selection, as one undoable replacement.
void RunRepairCommand(CMyRichEditView& view);
