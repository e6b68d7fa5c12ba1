// CColourPicker: a push button showing a colour that drops down a palette to change it.
#pragma once

#include "ui/colourpopup.h"

#include <QPointer>
#include <QPushButton>

// Shows its colour as a swatch beside a drop-down arrow. While the popup is open the picker is
// "active"; every step is reported to the owner through the five signals, each carrying the
// colour and the picker's control id.
class CColourPicker : public QPushButton
{
    Q_OBJECT

public:
    static constexpr int kEditTextColour = 1;
    static constexpr int kEditBackgroundColour = 2;

    explicit CColourPicker(QWidget* parent = nullptr, int controlId = 0);

    // Sets the colour the selection mode edits.
    void AssignColour(COLORREF colour);
    // The colour the selection mode edits; kAutomaticColour when automatic.
    COLORREF CurrentColour() const;
    void AssignAutomaticColour();
    // An empty text removes the box from the popup.
    void AssignDefaultBoxText(const QString& text);
    void AssignCustomBoxText(const QString& text);
    // When on, the swatch follows the popup's hot cell while it is open.
    void EnableLiveTracking(bool on);
    // kEditTextColour or kEditBackgroundColour; anything else is ignored.
    void ChooseSelectionMode(int mode);
    // Painted when the colour is automatic or the button is disabled.
    void AssignDefaultColour(COLORREF colour);

    COLORREF BackgroundColour() const { return m_background; }
    COLORREF TextColour() const { return m_text; }
    COLORREF DefaultColour() const { return m_default; }
    QString DefaultBoxText() const { return m_defaultText; }
    QString CustomBoxText() const { return m_customText; }
    int SelectionMode() const { return m_mode; }
    int ControlId() const { return m_id; }
    void SetControlId(int id) { m_id = id; }
    bool IsActive() const { return m_active; }
    // The open popup, or nullptr.
    CColourPopup* Popup() const { return m_popup; }
    // Replaces the full colour dialog (tests, or callers with their own chooser).
    void SetColourDialogRunner(ColourDialogRunner runner);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void selectionChanged(COLORREF colour, int id);
    void dropDown(COLORREF colour, int id);
    void closeUp(COLORREF colour, int id);
    void selectionEnded(COLORREF colour, int id);
    void selectionCancelled(COLORREF colour, int id);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void OpenPopup();
    void OnPopupChanged(COLORREF colour);
    void OnPopupEnded(COLORREF colour);
    void OnPopupCancelled(COLORREF colour);
    void StoreColour(COLORREF colour);
    int ArrowWidth() const;

    COLORREF m_background;
    COLORREF m_text;
    COLORREF m_default;
    int m_mode = kEditBackgroundColour;
    QString m_defaultText;
    QString m_customText;
    bool m_track = false;
    bool m_active = false;
    int m_id;
    ColourDialogRunner m_runner;
    QPointer<CColourPopup> m_popup;
};
