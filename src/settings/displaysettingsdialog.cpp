// The display settings dialog: controls, enabling rules, live changes, colour schemes, OK and Cancel.
#include "settings/displaysettingsdialog.h"

#include "layout/bookface.h"

#include "images/bookpicture.h"
#include "layout/textmetrics.h"
#include "settings/messagesink.h"
#include "settings/settingspreview.h"
#include "ui/colourpicker.h"
#include "ui/waitcursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

const std::array<ColourScheme, 11> kColourSchemes = {{
    {u"CRT", 0x71B33C, 0x000000, 0xA0A0A0},
    {u"淡绿", 0x000000, 0xDDE6DC, 0xA0A0A0},
    {u"淡蓝", 0x000000, 0xF1EBE4, 0xA0A0A0},
    {u"淡褐", 0x000000, 0xA9C6CD, 0x666666},
    {u"淡黄", 0x000000, 0xDBE6EE, 0xA0A0A0},
    {u"淡青", 0x000000, 0xFFFFBF, 0xA0A0A0},
    {u"淡灰", 0x000000, 0xE5DCD9, 0xA0A0A0},
    {u"深灰", 0x000000, 0xC0C0C0, 0x808080},
    {u"收获时节", 0x00F8F8, 0x000000, 0xA0A0A0},
    {u"蓝天白云", 0xFFFFFF, 0x800000, 0xA0A0A0},
    {u"深夜时分", 0xC0C0C0, 0x000000, 0xA0A0A0},
}};

namespace {

// Control ids, also carried by the colour pickers' notifications.
constexpr int kIdDeskColour = 1009;
constexpr int kIdCoverColour = 1007;
constexpr int kIdPageColour = 1004;
constexpr int kIdTextColour = 1005;
constexpr int kIdLineColour = 1006;

constexpr int kDeskCoverPictures = 17;
constexpr int kPagePictures = 30;
constexpr int kFirstFontSize = 12;
constexpr int kLastFontSize = 100;

const QString kWidthTooLarge = QStringLiteral("单页书籍宽度不能超过当前屏幕宽度，请更正。");
const QString kWidthTooSmall = QStringLiteral("单页书籍宽度不能小于%1像素，请更正。");

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

// Scalable families, each once: the faces for Chinese first, each group in case-blind order.
QList<FaceName> FontFaces()
{
    QList<FaceName> faces;
    for (const FaceName& face : ReadingFaces())
        if (std::none_of(faces.begin(), faces.end(),
                         [&](const FaceName& f) { return f.family == face.family; }))
            faces.append(face);
    std::stable_sort(faces.begin(), faces.end(), [](const FaceName& a, const FaceName& b) {
        if (a.cjk != b.cjk)
            return a.cjk;
        const int c = a.shown.compare(b.shown, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.shown < b.shown;
    });
    return faces;
}

// The face asked for by the settings; the default font's family when none is named.
QString CurrentFace()
{
    const QString named = ParaGetString(PARA_TXT_FONT_NAME);
    const TextMetrics& metrics = TheTextMetrics();
    if (!named.isEmpty() || !metrics.HasFont())
        return named;
    const QFont& font = metrics.ReadingFont();
    return font.families().isEmpty() ? font.family() : font.families().first();
}

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
    for (const FaceName& face : FontFaces())
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

    // The first face that starts with the current one; none when nothing does.
    const QString face = CurrentFace();
    int selected = -1;
    for (int i = 0; !face.isEmpty() && i < m_font->count(); ++i) {
        if (m_font->itemData(i).toString().startsWith(face, Qt::CaseInsensitive)) {
            selected = i;
            break;
        }
    }
    m_font->setCurrentIndex(selected);
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
    const int width = m_singleWidth->text().toInt();
    // An empty box reads as 0.
    if (width < kMinSingleWidth || FullScreenWidth() < width) {
        ShowMessage(width < kMinSingleWidth ? kWidthTooSmall.arg(kMinSingleWidth) : kWidthTooLarge,
                    MsgIcon::Warning);
        m_singleWidth->setFocus();
        m_singleWidth->selectAll();
        return;
    }
    ParaSetInt(width, PARA_SINGLE_WIDTH);
    if (theParaBlock.IsSameAs(m_copy)) {
        reject();
        return;
    }
    m_layoutChanged = theParaBlock.GetString(PARA_TXT_FONT_NAME) != m_copy.GetString(PARA_TXT_FONT_NAME);
    for (int index : {PARA_SHOW_BOOK, PARA_LINE_PERCENT, PARA_FONT_SIZE, PARA_FONT_BOLD, PARA_SHOW_MODE,
                      PARA_SINGLE_WIDTH, PARA_LINE_BREAK_RULES})
        m_layoutChanged = m_layoutChanged || theParaBlock.GetInt(index) != m_copy.GetInt(index);
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
