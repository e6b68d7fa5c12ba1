// The display settings dialog: controls, enabling rules, live changes, OK and Cancel.
#include "settings/displaysettingsdialog.h"

#include "images/bookpicture.h"
#include "layout/textmetrics.h"
#include "settings/messagesink.h"
#include "settings/settingspreview.h"
#include "ui/colourpicker.h"
#include "ui/waitcursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <limits>

namespace {

int SelectedPicture(int setting, int length)
{
    return BuiltinPictureIndex(setting, length) + 1;
}

} // namespace

DisplaySettingsDialog::DisplaySettingsDialog(QWidget* parent)
    : CGrowableDialog(parent, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("DisplaySettingsDialog"));
    setWindowTitle(QStringLiteral("显示设置"));
    setWindowIcon(QApplication::windowIcon());
    m_copy.CopyFrom(theParaBlock);
    setWindowState(windowState() | Qt::WindowMaximized);

    BuildControls();
    FillLists();
    SelectCurrentValues();
    ApplyEnablingRules();

    connect(m_showMode, &QComboBox::currentIndexChanged, this, &DisplaySettingsDialog::OnShowMode);
    connect(m_showBook, &QCheckBox::toggled, this, &DisplaySettingsDialog::OnShowBook);
    for (QComboBox* list : {m_deskPicture, m_coverPicture, m_pagePicture})
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, list](int index) { OnPictureList(list, index); });
    connect(m_font, &QComboBox::currentIndexChanged, this, &DisplaySettingsDialog::OnFontFace);
    connect(m_fontSize, &QComboBox::currentIndexChanged, this, &DisplaySettingsDialog::OnFontSize);
    connect(m_bold, &QCheckBox::toggled, this, &DisplaySettingsDialog::OnBold);
    connect(m_lineHeight, &QComboBox::currentIndexChanged, this, &DisplaySettingsDialog::OnLineHeight);
    connect(m_seam, &QComboBox::currentIndexChanged, this, &DisplaySettingsDialog::OnSeam);
    connect(m_underline, &QCheckBox::toggled, this, &DisplaySettingsDialog::OnUnderline);
    connect(m_breakRules, &QCheckBox::toggled, this, &DisplaySettingsDialog::OnBreakRules);
    connect(m_animation, &QComboBox::currentIndexChanged, this, &DisplaySettingsDialog::OnAnimation);
    connect(m_scheme, &QComboBox::currentIndexChanged, this, &DisplaySettingsDialog::OnScheme);
    for (CColourPicker* picker : {m_deskColour, m_coverColour, m_pageColour, m_textColour, m_lineColour})
        connect(picker, &CColourPicker::selectionEnded, this, &DisplaySettingsDialog::OnColourPicked);
    connect(m_show, &QPushButton::clicked, m_preview, qOverload<>(&QWidget::update));
    connect(m_ok, &QPushButton::clicked, this, &DisplaySettingsDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &DisplaySettingsDialog::reject);
}

DisplaySettingsDialog::~DisplaySettingsDialog()
{
    // Destroyed without OK or Cancel (its parent went away): nothing may stay changed.
    if (!m_closed)
        RestoreSettings();
}

void DisplaySettingsDialog::SelectCurrentValues()
{
    m_showMode->setCurrentIndex(ParaGetInt(PARA_SHOW_MODE) > 0 ? 1 : 0);
    m_showBook->setChecked(ParaGetInt(PARA_SHOW_BOOK) != 0);
    m_deskPicture->setCurrentIndex(SelectedPicture(ParaGetInt(PARA_BACK_IMG), kDeskCoverPictures));
    m_singleWidth->setText(QString::number(ParaGetInt(PARA_SINGLE_WIDTH)));
    m_coverPicture->setCurrentIndex(SelectedPicture(ParaGetInt(PARA_COVER_IMAGE), kDeskCoverPictures));
    m_pagePicture->setCurrentIndex(SelectedPicture(ParaGetInt(PARA_TEXT_BG_IMAGE), kPagePictures));
    m_seam->setCurrentIndex(ParaGetInt(PARA_PAGE_MIDDLE));
    m_fontSize->setCurrentIndex(ParaGetInt(PARA_FONT_SIZE) - kFirstFontSize);
    m_lineHeight->setCurrentIndex(ParaGetInt(PARA_LINE_PERCENT));
    m_bold->setChecked(ParaGetInt(PARA_FONT_BOLD) != 0);
    m_underline->setChecked(ParaGetInt(PARA_TEXT_SHOW_LINE) != 0);
    m_breakRules->setChecked(ParaGetInt(PARA_LINE_BREAK_RULES) != 0);
    m_animation->setCurrentIndex(ParaGetInt(PARA_TURN_PAGE));
    m_scheme->setCurrentIndex(0);

    QStringList families;
    for (int i = 0; i < m_font->count(); ++i)
        families.append(m_font->itemData(i).toString());
    m_font->setCurrentIndex(FontFaceIndex(families, CurrentFontFace()));
}

void DisplaySettingsDialog::ApplyEnablingRules()
{
    const bool single = m_showMode->currentIndex() == 1;
    const bool book = m_showBook->isChecked();
    const bool noDesk = m_deskPicture->currentIndex() == 0;
    const bool noCover = m_coverPicture->currentIndex() == 0;
    const bool noPage = m_pagePicture->currentIndex() == 0;
    auto enable = [](bool on, std::initializer_list<QWidget*> widgets) {
        for (QWidget* w : widgets)
            w->setEnabled(on);
    };
    enable(single && book, {m_deskPicture, m_deskPictureLabel});
    enable(!single && book, {m_seam, m_seamLabel});
    enable(single && noDesk, {m_deskColour, m_deskColourLabel});
    enable(book, {m_coverPicture, m_coverPictureLabel});
    enable(book && noCover, {m_coverColour, m_coverColourLabel});
    enable(noPage, {m_pageColour, m_pageColourLabel, m_scheme, m_schemeLabel});
}

void DisplaySettingsDialog::Refresh()
{
    QMetaObject::invokeMethod(m_show, &QPushButton::click, Qt::QueuedConnection);
}

void DisplaySettingsDialog::SetPicture(int index, int value)
{
    if (theParaBlock.SetInt(index, value, false))
        LoadBuiltinPictures();
}

void DisplaySettingsDialog::RecreateFont()
{
    RebuildTextMetrics();
}

void DisplaySettingsDialog::OnShowMode()
{
    const WaitCursor wait;
    theParaBlock.SetInt(PARA_SHOW_MODE, m_showMode->currentIndex() == 1 ? 1 : 0, false);
    ApplyEnablingRules();
    if (m_preview->UpdatePageSize())
        m_preview->update();
}

void DisplaySettingsDialog::OnShowBook()
{
    const WaitCursor wait;
    theParaBlock.SetInt(PARA_SHOW_BOOK, m_showBook->isChecked() ? 1 : 0, false);
    ApplyEnablingRules();
    m_preview->Repaginate();
    Refresh();
}

void DisplaySettingsDialog::OnPictureList(QComboBox* list, int index)
{
    if (index < 0)
        return;
    const WaitCursor wait;
    const int setting = list == m_deskPicture    ? PARA_BACK_IMG
                        : list == m_coverPicture ? PARA_COVER_IMAGE
                                                 : PARA_TEXT_BG_IMAGE;
    SetPicture(setting, index - 1);
    Refresh();
    ApplyEnablingRules();
}

void DisplaySettingsDialog::OnFontFace()
{
    if (m_font->currentIndex() < 0)
        return;
    const WaitCursor wait;
    if (theParaBlock.SetString(PARA_TXT_FONT_NAME, m_font->currentData().toString(), false)) {
        RecreateFont();
        m_preview->Repaginate();
    }
    m_preview->update();
}

void DisplaySettingsDialog::OnFontSize()
{
    if (m_fontSize->currentIndex() < 0)
        return;
    const WaitCursor wait;
    if (theParaBlock.SetInt(PARA_FONT_SIZE, m_fontSize->currentIndex() + kFirstFontSize, false)) {
        RecreateFont();
        m_preview->Repaginate();
    }
    Refresh();
}

void DisplaySettingsDialog::OnBold()
{
    const WaitCursor wait;
    if (theParaBlock.SetInt(PARA_FONT_BOLD, m_bold->isChecked() ? 1 : 0, false)) {
        RecreateFont();
        m_preview->Repaginate();
    }
    Refresh();
}

void DisplaySettingsDialog::OnLineHeight()
{
    if (m_lineHeight->currentIndex() < 0)
        return;
    const WaitCursor wait;
    if (theParaBlock.SetInt(PARA_LINE_PERCENT, m_lineHeight->currentIndex(), false)) {
        RecreateFont();
        m_preview->Repaginate();
    }
    Refresh();
}

void DisplaySettingsDialog::OnSeam()
{
    if (m_seam->currentIndex() < 0)
        return;
    theParaBlock.SetInt(PARA_PAGE_MIDDLE, m_seam->currentIndex(), false);
    Refresh();
}

void DisplaySettingsDialog::OnUnderline()
{
    theParaBlock.SetInt(PARA_TEXT_SHOW_LINE, m_underline->isChecked() ? 1 : 0, false);
    Refresh();
}

void DisplaySettingsDialog::OnBreakRules()
{
    const WaitCursor wait;
    if (theParaBlock.SetInt(PARA_LINE_BREAK_RULES, m_breakRules->isChecked() ? 1 : 0, false))
        m_preview->Repaginate();
    Refresh();
}

void DisplaySettingsDialog::OnAnimation()
{
    if (m_animation->currentIndex() < 0)
        return;
    theParaBlock.SetInt(PARA_TURN_PAGE, m_animation->currentIndex(), false);
    Refresh();
}

void DisplaySettingsDialog::OnScheme()
{
    const int row = m_scheme->currentIndex() - 1;
    if (row < 0 || row >= static_cast<int>(kColourSchemes.size()))
        return;
    const WaitCursor wait;
    const ColourScheme& scheme = kColourSchemes[static_cast<std::size_t>(row)];
    m_textColour->AssignColour(scheme.text);
    m_pageColour->AssignColour(scheme.page);
    m_lineColour->AssignColour(scheme.line);
    {
        const QSignalBlocker block(m_pagePicture);
        m_pagePicture->setCurrentIndex(0);
    }
    SetPicture(PARA_TEXT_BG_IMAGE, -1);
    theParaBlock.SetInt(PARA_TEXT_BG_COLOR, static_cast<int>(scheme.page), false);
    theParaBlock.SetInt(PARA_TEXT_COLOR, static_cast<int>(scheme.text), false);
    theParaBlock.SetInt(PARA_TEXT_LINE_COLOR, static_cast<int>(scheme.line), false);
    ApplyEnablingRules();
    Refresh();
}

void DisplaySettingsDialog::OnColourPicked(COLORREF colour, int id)
{
    const WaitCursor wait;
    // "缺省" stands for the picker's default colour; the automatic marker itself is no colour to draw.
    if (colour == kAutomaticColour) {
        if (auto* picker = qobject_cast<CColourPicker*>(sender()))
            colour = picker->DefaultColour();
    }
    const int value = static_cast<int>(colour);
    switch (id) {
    case kIdCoverColour: {
        const QSignalBlocker block(m_coverPicture);
        m_coverPicture->setCurrentIndex(0);
        SetPicture(PARA_COVER_IMAGE, -1);
        theParaBlock.SetInt(PARA_COVER_COLOR, value, false);
        break;
    }
    case kIdPageColour: {
        const QSignalBlocker block(m_pagePicture);
        m_pagePicture->setCurrentIndex(0);
        SetPicture(PARA_TEXT_BG_IMAGE, -1);
        theParaBlock.SetInt(PARA_TEXT_BG_COLOR, value, false);
        break;
    }
    case kIdTextColour:
        theParaBlock.SetInt(PARA_TEXT_COLOR, value, false);
        break;
    case kIdLineColour:
        theParaBlock.SetInt(PARA_TEXT_LINE_COLOR, value, false);
        break;
    case kIdDeskColour:
        theParaBlock.SetInt(PARA_BACK_COLOR, value, false);
        break;
    default:
        return;
    }
    ApplyEnablingRules();
    Refresh();
}

int DisplaySettingsDialog::FullScreenWidth()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry().width();
    return std::numeric_limits<int>::max();
}

void DisplaySettingsDialog::RestoreSettings()
{
    theParaBlock.CopyFrom(m_copy);
    RebuildTextMetrics();
    LoadBuiltinPictures();
}

void DisplaySettingsDialog::accept()
{
    // An empty box reads as 0.
    const int width = m_singleWidth->text().toInt();
    if (const QString problem = SingleWidthProblem(width, FullScreenWidth()); !problem.isEmpty()) {
        ShowMessage(problem, MsgIcon::Warning);
        m_singleWidth->setFocus();
        m_singleWidth->selectAll();
        return;
    }
    ParaSetInt(width, PARA_SINGLE_WIDTH);
    if (theParaBlock.IsSameAs(m_copy)) {
        reject();
        return;
    }
    m_layoutChanged = NeedsNewLayout(m_copy, theParaBlock);
    theParaBlock.WriteChangesSince(m_copy);
    m_closed = true;
    CGrowableDialog::accept();
}

void DisplaySettingsDialog::reject()
{
    if (!m_closed)
        RestoreSettings();
    m_layoutChanged = false;
    m_closed = true;
    CGrowableDialog::reject();
}

bool RunDisplaySettingsDialog(QWidget* parent, bool* layoutChanged)
{
    DisplaySettingsDialog dialog(parent);
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (layoutChanged)
        *layoutChanged = ok && dialog.LayoutChanged();
    return ok;
}
