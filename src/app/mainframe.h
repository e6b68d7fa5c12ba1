// CMainFrame: the single top-level window with its menus, status bar, panes and command routing.
#pragma once

#include "document/documenthost.h"
#include "ui/cmdtarget.h"
#include "views/viewhost.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class CCoolMenuManager;
class CLeafturnerApp;
class CLeafturnerDoc;
class CToolBarEx;
class ConversionMenu;
class EncodingMenu;
class CMyView;
class QAction;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTimer;

// Links to the dockable panes; the panes install them when they are built.
class ChapterPaneLink
{
public:
    virtual ~ChapterPaneLink() = default;
    virtual void Clear() = 0;
    virtual void Refresh() = 0;
};

class FileListLink
{
public:
    virtual ~FileListLink() = default;
    virtual void ShowFolder(const QString& folder) = 0;
    virtual void SelectFile(const QString& path) = 0;
};

class CMainFrame : public QMainWindow, public DocumentHost, public ViewHost, public CCmdTarget
{
    Q_OBJECT
public:
    CMainFrame(CLeafturnerApp* app, CLeafturnerDoc* document);
    ~CMainFrame() override;

    CLeafturnerDoc* Document() const { return m_document; }
    QAction* Action(int id) const { return m_actions.value(id); }
    QMenu* ContextMenu(int menuId) const;

    // Command chain: the active view, the document, this frame, the application.
    void RouteCommand(int id);
    void UpdateCommandUI();

    // Creates the view the settings ask for (PARA_VIEW_MODE) as the first view.
    void CreateInitialView();
    QWidget* ActiveViewWidget() const { return m_viewWidget; }
    // The view's initial update after a document was opened.
    void InitialUpdateView();

    void UpdateIndicator();
    void UpdateTitle();
    void UpdateRecentFiles();

    // Window placement from "WindowState"/"WindowPlacement"; call before the window is shown.
    void RestorePlacement();
    void SavePlacement();

    void SetChapterPaneLink(ChapterPaneLink* link) { m_chapterLink = link; }
    void SetFileListLink(FileListLink* link) { m_fileListLink = link; }
    // Extra command handlers of subsystems (bookmarks, library, panes...), asked after the frame.
    void AddCommandHandler(CCmdTarget* target) { m_extraTargets.append(target); }
    void RemoveCommandHandler(CCmdTarget* target) { m_extraTargets.removeAll(target); }
    // Run when the window closes, before the placement is saved (panes save their state here).
    void AddCloseHook(std::function<void()> hook) { m_closeHooks.push_back(std::move(hook)); }
    // Run with the chapter pane's Clear: before the open book is replaced or the view switched.
    void AddBookClearHook(std::function<void()> hook) { m_bookClearHooks.push_back(std::move(hook)); }
    // Run after the window closed, with the milliseconds left of the 5,000 all workers share;
    // returns whether its worker ended in time.
    void AddWorkerWait(std::function<bool(int msecs)> wait) { m_workerWaits.push_back(std::move(wait)); }
    static constexpr int kWorkerWaitMs = 5000;

    CToolBarEx* ToolBar() const { return m_toolBar; }
    CCoolMenuManager* MenuManager() const { return m_menuManager; }
    QLabel* Indicator() const { return m_indicator; }
    EncodingMenu* Encodings() const { return m_encodingMenu; }
    ConversionMenu* Conversions() const { return m_conversionMenu; }
    // The docking layout under "BarSec"; it is loaded only when every bar named in it exists now
    // or is a registered pane (which takes its place when it is built).
    bool LoadBarState();
    void SaveBarState();
    // An on-demand pane, by object name, and the command that shows it.
    void RegisterPane(const QString& name, int command) { m_paneCommands.insert(name, command); }
    // Shows again the registered panes that were open when the window last closed.
    void ReopenPanes();
    // The file list's request (kind 1: select only; 3: open only; else open, then select).
    // Ignored while an earlier one is still being handled.
    void OpenOrSelectFile(const QString& path, int kind);
    QMenu* createPopupMenu() override;

    // DocumentHost
    CMyView* ActiveView() const override { return m_view; }
    void ChapterPaneClear() override;
    void ChapterPaneRefresh() override;
    bool SwitchView(bool toEditView) override;
    QString AskSaveAsPath(const QString& currentPath) override;
    void LocateInFileList(const QString& path) override;
    void UpdateFrameTitle() override { UpdateTitle(); }
    void DocumentPathChanged(const QString& path) override;

    // ViewHost
    void PushStatusText(CMyView* view) override;
    void PostCommand(int id) override;
    void RunCommand(int id) override { RouteCommand(id); }
    void ShowContextMenu(int menuId, const QPoint& globalPos) override;
    QWidget* FrameWidget() override { return this; }

    // CCmdTarget
    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(int id, CmdUI& ui) override;

    void HideWindowToTray();
    void ShowFromTray();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateStatusBar();
    void CreateToolBar();
    QAction* MakeAction(int id, const QString& text, const QKeySequence& key = {});
    bool InstallView(bool editView);

    // The title without a book, and the tray icon's tooltip.
    static inline const QString kTitle = QStringLiteral("Leafturner");

    CLeafturnerApp* m_app;
    CLeafturnerDoc* m_document;
    QHash<int, QAction*> m_actions;
    QHash<int, QMenu*> m_contextMenus;
    QHash<QString, int> m_paneCommands;
    QMenu* m_recentMenu = nullptr;
    QLabel* m_indicator = nullptr;
    EncodingMenu* m_encodingMenu = nullptr;
    ConversionMenu* m_conversionMenu = nullptr;
    QString m_lastIndicator;
    QTimer* m_updateTimer = nullptr;
    QPointer<QWidget> m_viewWidget;
    CMyView* m_view = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    ChapterPaneLink* m_chapterLink = nullptr;
    FileListLink* m_fileListLink = nullptr;
    QList<CCmdTarget*> m_extraTargets;
    std::vector<std::function<void()>> m_closeHooks;
    std::vector<std::function<void()>> m_bookClearHooks;
    std::vector<std::function<bool(int)>> m_workerWaits;
    CToolBarEx* m_toolBar = nullptr;
    CCoolMenuManager* m_menuManager = nullptr;
    bool m_openingFile = false;
};
