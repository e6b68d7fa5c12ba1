// Command identifiers shared by menus, toolbar, accelerators and the command handlers.
#pragma once

namespace Cmd {
enum : int
{
    // File
    FileOpen = 57601,
    FileSave = 57603,
    FileSaveAs = 57604,
    FileMruFirst = 57616, // twelve recent files: FileMruFirst .. FileMruFirst + 11
    FileMruLast = 57627,
    AppExit = 57665,
    AppAbout = 57664,
    Help = 32777,
    // Edit
    EditClear = 57632,
    EditCopy = 57634,
    EditCut = 57635,
    EditFind = 57636,
    EditPaste = 57637,
    EditRepeat = 57640,
    EditReplace = 57641,
    EditUndo = 57643,
    EditRedo = 57644,
    EditMode = 32776,
    Reformat = 32783,
    RepairGarbled = 32791,
    // The edit view's whole text in the chosen script.
    ConvertWholeText = 33202,
    // Navigation
    NextPage = 32771,
    PrevPage = 32772,
    FirstPage = 32797,
    LastPage = 32798,
    Back = 32819,
    Forward = 32820,
    GoToPage = 33123,
    // View and settings
    DisplaySettings = 32773,
    Vertical = 32781,
    ChapterList = 32779,
    CustomizeToolbar = 32780,
    FileNameInTitle = 32782,
    RestoreAtStartup = 32808,
    HideToTray = 32775,
    ViewToolbar = 59392,
    ViewStatusBar = 59393,
    // Bookmarks and library
    AddBookmark = 32795,
    OrganizeBookmarks = 32799,
    FileList = 32830,
    LocateFolder = 33157,
    LibraryManager = 33158,
    DefaultBookshelf = 33159,
    History = 33201, // the reading history dialog
};
} // namespace Cmd
