// CColourPopup: the drop-down grid of named colours shown by the colour picker.
#pragma once

#include "ui/colourpalette.h"

#include <QWidget>
#include <functional>
#include <optional>

// Runs the full colour dialog from `initial`; nullopt when the user cancels.
using ColourDialogRunner = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;

// A top-level popup that grabs mouse and keyboard while it is open, reports the hot colour as it
// moves and ends exactly once, with either selectionEnded or selectionCancelled; then it deletes itself.
class CColourPopup : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kHotDefaultBox = -3;
    static constexpr int kHotCustomBox = -2;
    static constexpr int kHotNone = -1;
    static constexpr int kColumns = 8;
    static constexpr int kRows = (kColourPaletteSize + kColumns - 1) / kColumns;

    // `picker` owns the popup; an empty text means that box is absent.
    CColourPopup(QWidget* picker, COLORREF initial, const QString& defaultText, const QString& customText,
                 ColourDialogRunner runner);

    // Shows the popup under `anchor` (global coordinates), kept on the screen that holds it.
    void PopUpBelow(const QRect& anchor);

    // Where a popup of `size` goes for a button at `anchor` so that it stays inside `screen`.
    static QPoint PlaceOnScreen(const QSize& size, const QRect& anchor, const QRect& screen);

    int HotCell() const { return m_hot; }
    COLORREF InitialColour() const { return m_initial; }
    // Cell geometry in popup coordinates; cells are 0..39, kHotDefaultBox or kHotCustomBox.
    QRect CellRect(int cell) const;
    int CellAt(const QPoint& pos) const;
    // The tooltip of a grid cell.
    static QString ColourName(int index);

signals:
    void selectionChanged(COLORREF colour);
    void selectionEnded(COLORREF colour);
    void selectionCancelled(COLORREF colour);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void ComputeLayout();
    int InitialHotCell() const;
    COLORREF CellColour(int cell) const;
    bool HasCell(int cell) const;
    int Neighbour(int cell, int key) const;
    void SetHot(int cell);
    void Choose(int cell);
    void RunColourDialog();
    void Finish(COLORREF colour, bool ended);
    void PaintTextBox(QPainter& p, int cell, const QString& text);

    COLORREF m_initial;
    QString m_defaultText;
    QString m_customText;
    ColourDialogRunner m_runner;
    int m_hot = kHotNone;
    int m_chosen = kHotNone;
    bool m_finished = false;
    bool m_inDialog = false;

    int m_margin = 2;
    int m_cellSize = 18;
    QPoint m_gridOrigin;
    QRect m_defaultRect;
    QRect m_customRect;
};
