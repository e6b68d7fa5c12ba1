// DisplaySettingsDialog: the look of the book, changed live on a sample page and kept or undone.
#pragma once

#include "settings/displaychoices.h"
#include "settings/parablock.h"
#include "ui/growabledialog.h"

class CColourPicker;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SettingsPreview;

// Every change goes to theParaBlock in memory at once, so the sample and the view behind show it;
// nothing reaches the settings file before OK, which writes only the keys that changed. Cancel (or
// closing the window) puts every value back.
class DisplaySettingsDialog : public CGrowableDialog
{
    Q_OBJECT

public:
    explicit DisplaySettingsDialog(QWidget* parent = nullptr);
    ~DisplaySettingsDialog() override;

    // Set on OK when the change needs the pages laid out again.
    bool LayoutChanged() const { return m_layoutChanged; }

    SettingsPreview* Preview() const { return m_preview; }
    // The full-screen width the single-page width is checked against.
    static int FullScreenWidth();

public slots:
    void accept() override;
    void reject() override;

private:
    // Control ids, also carried by the colour pickers' notifications.
    static constexpr int kIdDeskColour = 1009;
    static constexpr int kIdCoverColour = 1007;
    static constexpr int kIdPageColour = 1004;
    static constexpr int kIdTextColour = 1005;
    static constexpr int kIdLineColour = 1006;

    // The controls, laid out, and the lists' entries.
    void BuildControls();
    void FillLists();
    void SelectCurrentValues();
    void ApplyEnablingRules();
    void Refresh();

    void OnShowMode();
    void OnShowBook();
    void OnPictureList(QComboBox* list, int index);
    void OnFontFace();
    void OnFontSize();
    void OnBold();
    void OnLineHeight();
    void OnSeam();
    void OnUnderline();
    void OnBreakRules();
    void OnAnimation();
    void OnScheme();
    void OnColourPicked(COLORREF colour, int id);

    // Stores a picture index; reloads the pictures when it changed.
    void SetPicture(int index, int value);
    void RecreateFont();
    // Every value back as it was when the dialog opened, with the font and pictures to match.
    void RestoreSettings();

    CParaBlock m_copy;
    bool m_layoutChanged = false;
    bool m_closed = false;

    QComboBox* m_showMode = nullptr;
    QCheckBox* m_showBook = nullptr;
    QComboBox* m_deskPicture = nullptr;
    CColourPicker* m_deskColour = nullptr;
    QLineEdit* m_singleWidth = nullptr;
    QComboBox* m_coverPicture = nullptr;
    CColourPicker* m_coverColour = nullptr;
    QComboBox* m_pagePicture = nullptr;
    CColourPicker* m_pageColour = nullptr;
    QComboBox* m_scheme = nullptr;
    QComboBox* m_seam = nullptr;
    QComboBox* m_font = nullptr;
    CColourPicker* m_textColour = nullptr;
    QComboBox* m_fontSize = nullptr;
    QComboBox* m_lineHeight = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_breakRules = nullptr;
    CColourPicker* m_lineColour = nullptr;
    QComboBox* m_animation = nullptr;
    SettingsPreview* m_preview = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_show = nullptr;

    QLabel* m_deskPictureLabel = nullptr;
    QLabel* m_deskColourLabel = nullptr;
    QLabel* m_coverPictureLabel = nullptr;
    QLabel* m_coverColourLabel = nullptr;
    QLabel* m_pageColourLabel = nullptr;
    QLabel* m_schemeLabel = nullptr;
    QLabel* m_seamLabel = nullptr;
};

// Runs the dialog modally for a view. True on OK, with `layoutChanged` (may be null) telling whether
// the pages must be laid out again; false on Cancel, when every setting is as before.
bool RunDisplaySettingsDialog(QWidget* parent, bool* layoutChanged);
