// The "以其他编码重新打开" submenu and the status-bar pane naming the open book's encoding.
#pragma once

#include <QObject>

class CLeafturnerApp;
class CLeafturnerDoc;
class QLabel;
class QMenu;
class QWidget;
struct EncodingChoice;

class EncodingMenu : public QObject
{
public:
    explicit EncodingMenu(QWidget* frame);

    // One menu, shown in the File menu and in the reading view's context menu.
    QMenu* Menu() const { return m_menu; }
    QLabel* Pane() const { return m_pane; }
    // The pane's text and the menu's state for the document as it is now.
    void Refresh(const CLeafturnerDoc* document);

    // Reads the open book again in `choice`, asking to save edits first, and remembers the choice
    // for the book; false when nothing was reopened (the old choice then stays).
    static bool Reopen(CLeafturnerApp& app, const EncodingChoice& choice);

private:
    QMenu* m_menu = nullptr;
    QLabel* m_pane = nullptr;
};
