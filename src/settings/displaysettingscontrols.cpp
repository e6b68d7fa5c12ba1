// The display settings dialog's controls: built, laid out beside the sample page and filled.
#include "settings/displaysettingsdialog.h"

#include "settings/settingspreview.h"
#include "ui/colourpicker.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

QString Text(const char16_t* s)
{
    return QString::fromUtf16(s);
}

QComboBox* MakeList(QWidget* parent, const char* name)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setMaxVisibleItems(20);
    return list;
}

QLabel* MakeLabel(const QString& text, QWidget* buddy, const char* name)
{
    auto* label = new QLabel(text);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    return label;
}

CColourPicker* MakePicker(QWidget* parent, int id, const char* name, COLORREF defaultColour, COLORREF colour)
{
    auto* picker = new CColourPicker(parent, id);
    picker->setObjectName(QString::fromLatin1(name));
    picker->ChooseSelectionMode(CColourPicker::kEditBackgroundColour);
    picker->AssignDefaultColour(defaultColour);
    picker->AssignDefaultBoxText(QStringLiteral("缺省"));
    picker->AssignCustomBoxText(QStringLiteral("其它..."));
    picker->AssignColour(colour);
    picker->setMinimumWidth(72);
    return picker;
}

void FillPictureList(QComboBox* list, int count)
{
    list->addItem(QStringLiteral("无"));
    for (int i = 1; i <= count; ++i)
        list->addItem(QString::asprintf("%02d", i));
}

} // namespace

void DisplaySettingsDialog::BuildControls()
{
    // Layout group: display mode, book, desk.
    auto* layoutGroup = new QGroupBox(QStringLiteral("页面布局"), this);
    m_showMode = MakeList(layoutGroup, "ShowModeList");
    m_showBook = new QCheckBox(QStringLiteral("显示书本和桌面"), layoutGroup);
    m_showBook->setObjectName(QStringLiteral("ShowBookCheck"));
    m_deskPicture = MakeList(layoutGroup, "DeskPictureList");
    m_deskColour = MakePicker(layoutGroup, kIdDeskColour, "DeskColourPicker", 0,
                              static_cast<COLORREF>(ParaGetInt(PARA_BACK_COLOR)));
    m_singleWidth = new QLineEdit(layoutGroup);
    m_singleWidth->setObjectName(QStringLiteral("SingleWidthEdit"));
    m_singleWidth->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), m_singleWidth));
    m_singleWidth->setFixedWidth(m_singleWidth->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) +
                                 12);
    m_deskPictureLabel = MakeLabel(QStringLiteral("桌面图案:"), m_deskPicture, "DeskPictureLabel");
    m_deskColourLabel = MakeLabel(QStringLiteral("颜色:"), m_deskColour, "DeskColourLabel");
    {
        auto* grid = new QGridLayout(layoutGroup);
        grid->addWidget(MakeLabel(QStringLiteral("显示模式:"), m_showMode, "ShowModeLabel"), 0, 0);
        grid->addWidget(m_showMode, 0, 1);
        grid->addWidget(m_showBook, 1, 0, 1, 2);
        grid->addWidget(m_deskPictureLabel, 2, 0);
        grid->addWidget(m_deskPicture, 2, 1);
        grid->addWidget(m_deskColourLabel, 3, 0);
        grid->addWidget(m_deskColour, 3, 1, Qt::AlignLeft);
        auto* widthRow = new QHBoxLayout;
        widthRow->addWidget(
            MakeLabel(QStringLiteral("单页模式下书籍宽度:"), m_singleWidth, "SingleWidthLabel"));
        widthRow->addWidget(m_singleWidth);
        widthRow->addWidget(new QLabel(QStringLiteral("像素")));
        widthRow->addStretch(1);
        grid->addLayout(widthRow, 4, 0, 1, 2);
        grid->setColumnStretch(1, 1);
    }

    auto* coverGroup = new QGroupBox(QStringLiteral("封面"), this);
    m_coverPicture = MakeList(coverGroup, "CoverPictureList");
    m_coverColour = MakePicker(coverGroup, kIdCoverColour, "CoverColourPicker", 0x800000,
                               static_cast<COLORREF>(ParaGetInt(PARA_COVER_COLOR)));
    m_coverPictureLabel = MakeLabel(QStringLiteral("内置图案:"), m_coverPicture, "CoverPictureLabel");
    m_coverColourLabel = MakeLabel(QStringLiteral("颜色:"), m_coverColour, "CoverColourLabel");
    {
        auto* grid = new QGridLayout(coverGroup);
        grid->addWidget(m_coverPictureLabel, 0, 0);
        grid->addWidget(m_coverPicture, 0, 1);
        grid->addWidget(m_coverColourLabel, 1, 0);
        grid->addWidget(m_coverColour, 1, 1, Qt::AlignLeft);
        grid->setColumnStretch(1, 1);
    }

    auto* pageGroup = new QGroupBox(QStringLiteral("页面"), this);
    m_pagePicture = MakeList(pageGroup, "PagePictureList");
    m_pageColour = MakePicker(pageGroup, kIdPageColour, "PageColourPicker",
                              RefFromQColor(QApplication::palette().color(QPalette::Base)),
                              static_cast<COLORREF>(ParaGetInt(PARA_TEXT_BG_COLOR)));
    m_scheme = MakeList(pageGroup, "SchemeList");
    m_seam = MakeList(pageGroup, "SeamList");
    m_pageColourLabel = MakeLabel(QStringLiteral("颜色:"), m_pageColour, "PageColourLabel");
    m_schemeLabel = MakeLabel(QStringLiteral("预设颜色方案:"), m_scheme, "SchemeLabel");
    m_seamLabel = MakeLabel(QStringLiteral("中缝:"), m_seam, "SeamLabel");
    {
        auto* grid = new QGridLayout(pageGroup);
        grid->addWidget(MakeLabel(QStringLiteral("内置图案:"), m_pagePicture, "PagePictureLabel"), 0, 0);
        grid->addWidget(m_pagePicture, 0, 1);
        grid->addWidget(m_pageColourLabel, 1, 0);
        grid->addWidget(m_pageColour, 1, 1, Qt::AlignLeft);
        grid->addWidget(m_schemeLabel, 2, 0);
        grid->addWidget(m_scheme, 2, 1);
        grid->addWidget(m_seamLabel, 3, 0);
        grid->addWidget(m_seam, 3, 1);
        grid->setColumnStretch(1, 1);
    }

    auto* textGroup = new QGroupBox(QStringLiteral("文字"), this);
    m_font = MakeList(textGroup, "FontList");
    // Long family names must not widen the dialog past a small screen.
    m_font->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_font->setMinimumContentsLength(14);
    m_textColour = MakePicker(textGroup, kIdTextColour, "TextColourPicker", 0,
                              static_cast<COLORREF>(ParaGetInt(PARA_TEXT_COLOR)));
    m_fontSize = MakeList(textGroup, "FontSizeList");
    m_lineHeight = MakeList(textGroup, "LineHeightList");
    m_bold = new QCheckBox(QStringLiteral("加粗"), textGroup);
    m_bold->setObjectName(QStringLiteral("BoldCheck"));
    m_underline = new QCheckBox(QStringLiteral("显示下划线"), textGroup);
    m_underline->setObjectName(QStringLiteral("UnderlineCheck"));
    m_lineColour = MakePicker(textGroup, kIdLineColour, "UnderlineColourPicker", 0xC0C0C0,
                              static_cast<COLORREF>(ParaGetInt(PARA_TEXT_LINE_COLOR)));
    m_breakRules = new QCheckBox(QStringLiteral("标点避头尾"), textGroup);
    m_breakRules->setObjectName(QStringLiteral("LineBreakRulesCheck"));
    m_breakRules->setToolTip(QStringLiteral("句末标点不出现在行首，开引号、开括号不留在行尾"));
    {
        auto* grid = new QGridLayout(textGroup);
        grid->addWidget(MakeLabel(QStringLiteral("字体:"), m_font, "FontLabel"), 0, 0);
        grid->addWidget(m_font, 0, 1, 1, 2);
        grid->addWidget(MakeLabel(QStringLiteral("颜色:"), m_textColour, "TextColourLabel"), 1, 0);
        grid->addWidget(m_textColour, 1, 1, Qt::AlignLeft);
        grid->addWidget(MakeLabel(QStringLiteral("大小:"), m_fontSize, "FontSizeLabel"), 2, 0);
        grid->addWidget(m_fontSize, 2, 1);
        grid->addWidget(MakeLabel(QStringLiteral("高度:"), m_lineHeight, "LineHeightLabel"), 3, 0);
        grid->addWidget(m_lineHeight, 3, 1);
        grid->addWidget(new QLabel(QStringLiteral("%")), 3, 2);
        grid->addWidget(m_bold, 4, 0, 1, 3);
        grid->addWidget(m_underline, 5, 0, 1, 3);
        grid->addWidget(MakeLabel(QStringLiteral("下划线颜色:"), m_lineColour, "UnderlineColourLabel"), 6, 0);
        grid->addWidget(m_lineColour, 6, 1, Qt::AlignLeft);
        grid->addWidget(m_breakRules, 7, 0, 1, 3);
        grid->setColumnStretch(1, 1);
    }

    auto* turnGroup = new QGroupBox(QStringLiteral("翻页"), this);
    m_animation = MakeList(turnGroup, "AnimationList");
    {
        auto* grid = new QGridLayout(turnGroup);
        grid->addWidget(MakeLabel(QStringLiteral("动画:"), m_animation, "AnimationLabel"), 0, 0);
        grid->addWidget(m_animation, 0, 1);
        grid->setColumnStretch(1, 1);
    }

    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("放弃"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAutoDefault(false);
    // Repaints the sample; changes reach it through a click posted here, as a queued repaint.
    m_show = new QPushButton(QStringLiteral("Show"), this);
    m_show->setObjectName(QStringLiteral("ShowButton"));
    m_show->setAutoDefault(false);
    m_show->hide();

    m_preview = new SettingsPreview(this);

    // Two columns of groups beside the sample page, which takes all the room that is left.
    auto* controls = new QGridLayout;
    controls->addWidget(layoutGroup, 0, 0);
    controls->addWidget(coverGroup, 1, 0);
    controls->addWidget(turnGroup, 2, 0);
    controls->addWidget(pageGroup, 0, 1);
    controls->addWidget(textGroup, 1, 1, 2, 1);
    controls->setRowStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    controls->addLayout(buttons, 4, 0, 1, 2);

    auto* top = new QHBoxLayout(this);
    top->addLayout(controls, 0);
    top->addWidget(m_preview, 1);
}

void DisplaySettingsDialog::FillLists()
{
    m_showMode->addItems({QStringLiteral("自适应单双页"), QStringLiteral("单页显示")});
    for (int size = kFirstFontSize; size <= kLastFontSize; ++size)
        m_fontSize->addItem(QString::asprintf("%d", size) + QStringLiteral("点"));
    FillPictureList(m_deskPicture, kDeskCoverPictures);
    FillPictureList(m_coverPicture, kDeskCoverPictures);
    FillPictureList(m_pagePicture, kPagePictures);
    for (int percent : kLineHeightTable)
        m_lineHeight->addItem(QString::asprintf("%02d", percent));
    for (const FaceName& face : DisplayFontFaces())
        m_font->addItem(face.shown, face.family);
    m_seam->addItems({QStringLiteral("（无）"), QStringLiteral("阴影"), QStringLiteral("黑线")});
    m_animation->addItems({QStringLiteral("（无）"), QStringLiteral("模式1"), QStringLiteral("模式2"),
                           QStringLiteral("模式3"), QStringLiteral("波浪"), QStringLiteral("垂直"),
                           QStringLiteral("侧向"), QStringLiteral("滑移"), QStringLiteral("平推"),
                           QStringLiteral("斜推"), QStringLiteral("渐显")});
    m_scheme->addItem(QStringLiteral("(预设配色)"));
    for (const ColourScheme& scheme : kColourSchemes)
        m_scheme->addItem(Text(scheme.name));
}
