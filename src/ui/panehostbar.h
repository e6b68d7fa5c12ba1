// PaneHostBar: the docking bar that hosts the file list pane or the chapter pane.
#pragma once

#include "ui/sizingcontrolbarg.h"

#include <QPoint>
#include <cstdint>

class QMainWindow;

enum class PaneMode
{
    None = 0,
    FileList = 1,
    Chapters = 2,
};

// Bar style bits kept in the pane's "style" entry: the docking side and whether the pane floats.
// The values are the classic control-bar style values, so settings files written before stay valid.
namespace PaneStyle {
constexpr std::uint32_t kFloating = 0x0001;
constexpr std::uint32_t kAlignLeft = 0x1000;
constexpr std::uint32_t kAlignTop = 0x2000;
constexpr std::uint32_t kAlignRight = 0x4000;
constexpr std::uint32_t kAlignBottom = 0x8000;
constexpr std::uint32_t kAlignAny = 0xF000;
} // namespace PaneStyle

// A gripper pane of the main window around one content widget. Besides its three sizes it keeps its
// style (docking side, floating) and the screen position of the window that holds it, so that it
// comes back where it was. Its object name is "Pane<id>" (the chapter pane is "Pane124").
class PaneHostBar : public CSizingControlBarG
{
    Q_OBJECT
public:
    PaneHostBar(QMainWindow* frame, int barId, PaneMode mode);

    PaneMode Mode() const { return m_mode; }
    // The file list starts at least 350 pixels or a third of the main window wide.
    void SetPaneMode(PaneMode mode);

    void SetContent(QWidget* content) { setWidget(content); }

    std::uint32_t BarStyle() const { return m_style; }
    void SetBarStyle(std::uint32_t style) { m_style = style; }
    // Left and top of the floating window, or of the pane when docked, as last loaded or saved.
    QPoint SavedPos() const { return m_pos; }

    // Also "style", "posx" and "posy".
    void LoadPaneState(const QString& prefix) override;
    void SavePaneState(const QString& prefix) override;

    // Floats the pane at the saved point when the style says floating; otherwise docks it at the
    // right edge when the saved top is negative, else at the side the style names (top, left,
    // bottom in that order; right when none).
    void PlaceAsSaved();
    // Takes and shows the place the main window's restored layout kept for this pane; false when
    // that layout has none for it.
    bool TakeLaidOutPlace();

protected:
    // Hidden, and the keyboard goes back to the main window's view.
    void OnCloseButton() override;
    void OnDockStateChanged(DockState state) override;

private:
    QPoint CurrentPos() const;

    PaneMode m_mode;
    std::uint32_t m_style = 0;
    QPoint m_pos{-1, -1};
};
