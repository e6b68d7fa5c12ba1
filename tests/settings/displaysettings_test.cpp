// Display settings dialog: live changes, OK and Cancel against the settings file, enabling rules,
// colour schemes, the width check, the font list and the colour pickers inside the dialog.
#include "settings/displaysettingsdialog.h"

#include "document/textbuffer.h"
#include "images/bookpicture.h"
#include "layout/layoutengine.h"
#include "layout/textmetrics.h"
#include "settings/inifile.h"
#include "settings/messagesink.h"
#include "settings/settingspreview.h"
#include "ui/colourpicker.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>

void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

int ScreenWidth()
{
    return QGuiApplication::primaryScreen()->availableGeometry().width();
}

const QString kSection = QStringLiteral("ParaBlock");

class DisplaySettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        Reload();
    }

    // The settings file from the presets, loaded as at start-up, with fonts and pictures to match.
    void Reload()
    {
        m_ini = m_dir.filePath(QStringLiteral("Leafturner.ini"));
        IniFile(m_ini).WriteString(kSection, QStringLiteral("PARA_TURN_PAGE"), QStringLiteral("0"));
        for (const auto& [key, value] : m_presets)
            IniFile(m_ini).WriteString(kSection, key, value);
        // Defaults made for the screen the dialog checks against.
        LoadParaBlock(m_ini, ParaScreen{ScreenWidth(), 0xFFFFFF});
        EnsureUnicodeIniFile(m_ini, kSection);
        InstallLayoutEngine();
        TextMetrics::PinDefaultFamily(QStringLiteral("Noto Sans CJK SC"));
        RebuildTextMetrics();
        LoadBuiltinPictures();
        m_before = Bytes();
    }

    void TearDown() override
    {
        m_dialog.reset();
        theParaBlock.ResetToDefaults(ParaScreen{});
        theParaBlock.SetIniPath(QString());
    }

    // Settings in the file before the dialog opens.
    void Preset(const QString& key, const QString& value) { m_presets.emplace_back(key, value); }

    QByteArray Bytes() const
    {
        QFile f(m_ini);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString Stored(const char* key) const
    {
        return IniFile(m_ini).ReadString(kSection, QString::fromLatin1(key), QStringLiteral("<none>"));
    }

    DisplaySettingsDialog* Open()
    {
        m_dialog = std::make_unique<DisplaySettingsDialog>();
        m_dialog->setWindowState(Qt::WindowNoState);
        m_dialog->resize(1200, 700);
        m_dialog->show();
        QApplication::processEvents();
        return m_dialog.get();
    }

    template <typename T> T* Child(const char* name) const
    {
        T* w = m_dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void Key(const char* name, Qt::Key key, int times = 1)
    {
        QWidget* w = Child<QWidget>(name);
        for (int i = 0; i < times; ++i)
            QTest::keyClick(w, key);
        QApplication::processEvents();
    }

    void Click(const char* name)
    {
        QTest::mouseClick(Child<QWidget>(name), Qt::LeftButton);
        QApplication::processEvents();
    }

    // Opens the picker's popup and clicks one of its cells.
    void PickColour(const char* picker, int cell)
    {
        auto* p = Child<CColourPicker>(picker);
        QTest::mouseClick(p, Qt::LeftButton);
        CColourPopup* popup = p->Popup();
        ASSERT_NE(popup, nullptr);
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->CellRect(cell).center());
        QApplication::processEvents();
    }

    bool Enabled(const char* name) const { return Child<QWidget>(name)->isEnabled(); }

    QTemporaryDir m_dir;
    QString m_ini;
    QByteArray m_before;
    std::vector<std::pair<QString, QString>> m_presets;
    RecordingMessageSink m_sink;
    ScopedMessageSink m_scoped{&m_sink};
    std::unique_ptr<DisplaySettingsDialog> m_dialog;
};

TEST_F(DisplaySettingsTest, SizeChangeThenCancelPutsEverythingBackAndWritesNothing)
{
    DisplaySettingsDialog* dialog = Open();
    const int cell = CellSize();
    SettingsPreview* preview = dialog->Preview();
    const int pagesBefore = preview->PageCount();
    ASSERT_GT(pagesBefore, 0);

    Key("FontSizeList", Qt::Key_Down, 10);
    EXPECT_EQ(ParaGetInt(PARA_FONT_SIZE), 36);
    EXPECT_GT(CellSize(), cell);
    EXPECT_GT(preview->PageCount(), pagesBefore) << "the sample was not laid out again";
    Key("PagePictureList", Qt::Key_Home);
    EXPECT_EQ(ParaGetInt(PARA_TEXT_BG_IMAGE), -1);
    EXPECT_EQ(PagePicture(), nullptr);
    EXPECT_EQ(Bytes(), m_before) << "nothing is written while the dialog is open";

    Click("CancelButton");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(ParaGetInt(PARA_FONT_SIZE), 26);
    EXPECT_EQ(ParaGetInt(PARA_TEXT_BG_IMAGE), 11);
    EXPECT_EQ(CellSize(), cell);
    EXPECT_NE(PagePicture(), nullptr);
    EXPECT_EQ(Bytes(), m_before);
}

TEST_F(DisplaySettingsTest, DestroyedWithoutClosingPutsEverythingBack)
{
    Open();
    Key("FontSizeList", Qt::Key_Down, 3);
    Click("BoldCheck");
    m_dialog.reset();
    EXPECT_EQ(ParaGetInt(PARA_FONT_SIZE), 26);
    EXPECT_EQ(ParaGetInt(PARA_FONT_BOLD), 1);
    EXPECT_EQ(Bytes(), m_before);
}

TEST_F(DisplaySettingsTest, OkWithoutChangeWritesNothingAndClosesAsCancel)
{
    DisplaySettingsDialog* dialog = Open();
    // A change undone before OK is no change.
    Key("SeamList", Qt::Key_Down);
    Key("SeamList", Qt::Key_Up);
    Click("OkButton");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->LayoutChanged());
    EXPECT_EQ(Bytes(), m_before);
}

TEST_F(DisplaySettingsTest, UnderlineColourAloneWritesOnlyItsKeyWithoutRelayout)
{
    DisplaySettingsDialog* dialog = Open();
    PickColour("UnderlineColourPicker", 16); // "Red"
    EXPECT_EQ(ParaGetInt(PARA_TEXT_LINE_COLOR), 0x0000FF);
    EXPECT_EQ(Bytes(), m_before);
    Click("OkButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->LayoutChanged());
    EXPECT_EQ(Stored("PARA_TEXT_LINE_COLOR"), QStringLiteral("255"));
    // Only that key was added: the file before plus one entry.
    QStringList keys = IniFile(m_ini).Load().Keys(kSection);
    keys.sort();
    EXPECT_EQ(keys, (QStringList{QStringLiteral("PARA_TEXT_LINE_COLOR"), QStringLiteral("PARA_TURN_PAGE")}));
}

TEST_F(DisplaySettingsTest, LayoutFlagFollowsTheSettingsThatMovePages)
{
    DisplaySettingsDialog* dialog = Open();
    Key("FontSizeList", Qt::Key_Down);
    Key("UnderlineCheck", Qt::Key_Space);
    Click("OkButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->LayoutChanged());
    EXPECT_EQ(Stored("PARA_FONT_SIZE"), QStringLiteral("27"));
    EXPECT_EQ(Stored("PARA_TEXT_SHOW_LINE"), QStringLiteral("0"));
    EXPECT_EQ(Stored("PARA_FONT_BOLD"), QStringLiteral("<none>"));
    EXPECT_EQ(ParaGetInt(PARA_FONT_SIZE), 27);
}

TEST_F(DisplaySettingsTest, BlueSkySchemeSetsPlainPageAndItsThreeColours)
{
    DisplaySettingsDialog* dialog = Open();
    EXPECT_FALSE(Enabled("SchemeList")) << "a page picture hides the page colour";
    EXPECT_FALSE(Enabled("PageColourPicker"));
    Key("PagePictureList", Qt::Key_Home);
    ASSERT_TRUE(Enabled("SchemeList"));
    Key("SchemeList", Qt::Key_Down, 10);
    EXPECT_EQ(Child<QComboBox>("SchemeList")->currentText(), QStringLiteral("蓝天白云"));
    EXPECT_EQ(ParaGetInt(PARA_TEXT_BG_IMAGE), -1);
    EXPECT_EQ(Child<QComboBox>("PagePictureList")->currentText(), QStringLiteral("无"));
    EXPECT_EQ(ParaGetInt(PARA_TEXT_COLOR), 0xFFFFFF);
    EXPECT_EQ(ParaGetInt(PARA_TEXT_BG_COLOR), 0x800000);
    EXPECT_EQ(ParaGetInt(PARA_TEXT_LINE_COLOR), 0xA0A0A0);
    EXPECT_EQ(Child<CColourPicker>("TextColourPicker")->CurrentColour(), 0xFFFFFFu);
    EXPECT_EQ(Child<CColourPicker>("PageColourPicker")->CurrentColour(), 0x800000u);
    EXPECT_EQ(Child<CColourPicker>("UnderlineColourPicker")->CurrentColour(), 0xA0A0A0u);
    EXPECT_TRUE(Enabled("PageColourPicker"));
    EXPECT_TRUE(Enabled("SchemeList"));

    // The sample shows the scheme: a page pixel away from the text carries the page colour.
    const QImage picture = dialog->Preview()->Picture();
    EXPECT_TRUE(picture.pixelColor(picture.width() / 4, picture.height() - 60) == QColor(0, 0, 0x80) ||
                picture.pixelColor(picture.width() / 4, 60) == QColor(0, 0, 0x80));

    // Back to "(预设配色)": nothing changes.
    Key("SchemeList", Qt::Key_Home);
    EXPECT_EQ(ParaGetInt(PARA_TEXT_COLOR), 0xFFFFFF);

    Click("OkButton");
    EXPECT_EQ(Stored("PARA_TEXT_BG_IMAGE"), QStringLiteral("-1"));
    EXPECT_EQ(Stored("PARA_TEXT_BG_COLOR"), QString::number(0x800000));
    EXPECT_FALSE(dialog->LayoutChanged());
}

TEST_F(DisplaySettingsTest, SingleWidthMayEqualTheScreenButNotExceedIt)
{
    DisplaySettingsDialog* dialog = Open();
    const int screenWidth = ScreenWidth();
    ASSERT_EQ(DisplaySettingsDialog::FullScreenWidth(), screenWidth);
    auto* edit = Child<QLineEdit>("SingleWidthEdit");

    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("x") + QString::number(screenWidth + 1));
    EXPECT_EQ(edit->text(), QString::number(screenWidth + 1)) << "digits only";
    Click("OkButton");
    EXPECT_EQ(m_sink.Last(), QStringLiteral("单页书籍宽度不能超过当前屏幕宽度，请更正。"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Bytes(), m_before);

    edit->selectAll();
    QTest::keyClicks(edit, QString::number(screenWidth));
    m_sink.Clear();
    Click("OkButton");
    EXPECT_TRUE(m_sink.Messages().isEmpty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->LayoutChanged());
    EXPECT_EQ(Stored("PARA_SINGLE_WIDTH"), QString::number(screenWidth));
}

TEST_F(DisplaySettingsTest, SingleWidthBelowAReadableMinimumIsRefused)
{
    DisplaySettingsDialog* dialog = Open();
    auto* edit = Child<QLineEdit>("SingleWidthEdit");
    // An emptied box and widths too narrow for a line of text.
    for (const QString& typed : {QString(), QStringLiteral("0"), QStringLiteral("199")}) {
        edit->selectAll();
        edit->del();
        QTest::keyClicks(edit, typed);
        m_sink.Clear();
        Click("OkButton");
        EXPECT_EQ(m_sink.Last(), QStringLiteral("单页书籍宽度不能小于200像素，请更正。"))
            << typed.toStdString();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(Bytes(), m_before);
    }
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("200"));
    m_sink.Clear();
    Click("OkButton");
    EXPECT_TRUE(m_sink.Messages().isEmpty());
    EXPECT_EQ(Stored("PARA_SINGLE_WIDTH"), QStringLiteral("200"));
}

TEST_F(DisplaySettingsTest, EnablingRulesInBothDisplayModes)
{
    Open();
    // "自适应单双页" with the book shown (defaults: desk "05", cover "02", page "12").
    EXPECT_FALSE(Enabled("DeskPictureList"));
    EXPECT_FALSE(Enabled("DeskPictureLabel"));
    EXPECT_TRUE(Enabled("SeamList"));
    EXPECT_TRUE(Enabled("SeamLabel"));
    EXPECT_FALSE(Enabled("DeskColourPicker"));
    EXPECT_TRUE(Enabled("CoverPictureList"));
    EXPECT_FALSE(Enabled("CoverColourPicker"));

    Key("ShowModeList", Qt::Key_Down);
    EXPECT_EQ(ParaGetInt(PARA_SHOW_MODE), 1);
    EXPECT_TRUE(Enabled("DeskPictureList"));
    EXPECT_FALSE(Enabled("SeamList"));
    EXPECT_FALSE(Enabled("SeamLabel"));
    EXPECT_FALSE(Enabled("DeskColourPicker")) << "a desk picture hides the desk colour";

    Key("DeskPictureList", Qt::Key_Home);
    EXPECT_EQ(ParaGetInt(PARA_BACK_IMG), -1);
    EXPECT_TRUE(Enabled("DeskColourPicker"));
    EXPECT_TRUE(Enabled("DeskColourLabel"));
    Key("CoverPictureList", Qt::Key_Home);
    EXPECT_TRUE(Enabled("CoverColourPicker"));

    Key("ShowBookCheck", Qt::Key_Space);
    EXPECT_EQ(ParaGetInt(PARA_SHOW_BOOK), 0);
    EXPECT_FALSE(Enabled("DeskPictureList"));
    EXPECT_FALSE(Enabled("SeamList"));
    EXPECT_FALSE(Enabled("CoverPictureList"));
    EXPECT_FALSE(Enabled("CoverColourPicker"));
    EXPECT_TRUE(Enabled("DeskColourPicker"));

    Key("ShowModeList", Qt::Key_Up);
    EXPECT_FALSE(Enabled("DeskColourPicker"));
    EXPECT_FALSE(Enabled("SeamList")) << "no seam without the book";
}

TEST_F(DisplaySettingsTest, ListsShowTheStoredSettings)
{
    Open();
    EXPECT_EQ(Child<QComboBox>("FontSizeList")->currentText(), QStringLiteral("26点"));
    EXPECT_EQ(Child<QComboBox>("LineHeightList")->currentText(), QStringLiteral("150"));
    EXPECT_EQ(Child<QComboBox>("CoverPictureList")->currentText(), QStringLiteral("02"));
    EXPECT_EQ(Child<QComboBox>("PagePictureList")->currentText(), QStringLiteral("12"));
    EXPECT_EQ(Child<QComboBox>("SchemeList")->currentText(), QStringLiteral("(预设配色)"));
    EXPECT_EQ(Child<QComboBox>("SeamList")->currentText(), QStringLiteral("阴影"));

    auto* fonts = Child<QComboBox>("FontList");
    ASSERT_GT(fonts->count(), 0);
    // The faces for Chinese come first, then the others; each group sorted, every face once.
    const auto chinese = [](const QString& family) {
        return QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese) ||
               QFontDatabase::writingSystems(family).contains(QFontDatabase::TraditionalChinese);
    };
    ASSERT_TRUE(chinese(fonts->itemData(0).toString())) << "fonts-noto-cjk is installed";
    for (int i = 1; i < fonts->count(); ++i) {
        const bool a = chinese(fonts->itemData(i - 1).toString());
        const bool b = chinese(fonts->itemData(i).toString());
        EXPECT_TRUE(a || !b) << "a Chinese face after another: " << fonts->itemText(i).toStdString();
        if (a == b) {
            EXPECT_LE(fonts->itemText(i - 1).compare(fonts->itemText(i), Qt::CaseInsensitive), 0);
        }
        EXPECT_NE(fonts->itemData(i - 1), fonts->itemData(i));
    }
    // No face named: the default font's family is selected.
    EXPECT_EQ(fonts->currentText(), TheTextMetrics().ReadingFont().families().value(0));
}

TEST_F(DisplaySettingsTest, FontListSelectsTheFirstFaceStartingWithTheNameIgnoringCase)
{
    ParaSetString(PARA_TXT_FONT_NAME, QStringLiteral("noto sans cjk"));
    Open();
    auto* fonts = Child<QComboBox>("FontList");
    ASSERT_GE(fonts->currentIndex(), 0);
    EXPECT_TRUE(fonts->currentText().startsWith(QStringLiteral("Noto Sans CJK")));
    for (int i = 0; i < fonts->currentIndex(); ++i)
        EXPECT_FALSE(fonts->itemText(i).startsWith(QStringLiteral("noto sans cjk"), Qt::CaseInsensitive));
    m_dialog->reject();

    ParaSetString(PARA_TXT_FONT_NAME, QStringLiteral("No Such Face"));
    m_before = Bytes();
    DisplaySettingsDialog* dialog = Open();
    EXPECT_EQ(Child<QComboBox>("FontList")->currentIndex(), -1);
    Click("OkButton");
    EXPECT_EQ(dialog->result(), QDialog::Rejected) << "the face stays as it was";
    EXPECT_EQ(ParaGetString(PARA_TXT_FONT_NAME), QStringLiteral("No Such Face"));
    EXPECT_EQ(Bytes(), m_before);
}

TEST_F(DisplaySettingsTest, ChoosingAFaceRebuildsTheFontAndSetsTheLayoutFlag)
{
    DisplaySettingsDialog* dialog = Open();
    auto* fonts = Child<QComboBox>("FontList");
    const int start = fonts->currentIndex();
    Key("FontList", start > 0 ? Qt::Key_Up : Qt::Key_Down);
    const QString chosen = fonts->currentText();
    ASSERT_NE(chosen, QString());
    EXPECT_EQ(ParaGetString(PARA_TXT_FONT_NAME), chosen);
    EXPECT_EQ(TheTextMetrics().ReadingFont().families().value(0), chosen);
    Click("OkButton");
    EXPECT_TRUE(dialog->LayoutChanged());
    EXPECT_EQ(IniFile(m_ini).ReadString(kSection, QStringLiteral("PARA_TXT_FONT_NAME")), chosen);
}

TEST_F(DisplaySettingsTest, CoverColourPickedClearsThePictureAndDefaultBoxMeansTheDefaultColour)
{
    Open();
    Key("CoverPictureList", Qt::Key_Home);
    ASSERT_TRUE(Enabled("CoverColourPicker"));
    EXPECT_EQ(CoverPicture(), nullptr);
    PickColour("CoverColourPicker", 39); // "White"
    EXPECT_EQ(ParaGetInt(PARA_COVER_COLOR), 0xFFFFFF);
    PickColour("CoverColourPicker", CColourPopup::kHotDefaultBox);
    EXPECT_EQ(ParaGetInt(PARA_COVER_COLOR), 0x800000) << "the automatic marker must not be stored";
}

TEST_F(DisplaySettingsTest, PickersOpenOnTheirColourAndACancelledColourDialogChangesNothing)
{
    Preset(QStringLiteral("PARA_TEXT_COLOR"), QString::number(RGBRef(0, 0, 94)));
    Preset(QStringLiteral("PARA_TEXT_BG_IMAGE"), QStringLiteral("-1"));
    Preset(QStringLiteral("PARA_TEXT_BG_COLOR"), QString::number(RGBRef(1, 2, 3)));
    Reload();
    DisplaySettingsDialog* dialog = Open();

    auto* text = Child<CColourPicker>("TextColourPicker");
    EXPECT_EQ(text->DefaultBoxText(), QStringLiteral("缺省"));
    EXPECT_EQ(text->CustomBoxText(), QStringLiteral("其它..."));
    QTest::mouseClick(text, Qt::LeftButton);
    ASSERT_NE(text->Popup(), nullptr);
    EXPECT_EQ(CColourPopup::ColourName(text->Popup()->HotCell()), QStringLiteral("Dark Teal"));
    QTest::keyClick(text->Popup(), Qt::Key_Escape);
    QApplication::processEvents();

    auto* page = Child<CColourPicker>("PageColourPicker");
    bool asked = false;
    page->SetColourDialogRunner([&](const QColor& initial, QWidget*) -> std::optional<QColor> {
        asked = true;
        EXPECT_EQ(initial, QColor(1, 2, 3));
        return std::nullopt;
    });
    QTest::mouseClick(page, Qt::LeftButton);
    CColourPopup* popup = page->Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->HotCell(), CColourPopup::kHotCustomBox);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->CellRect(CColourPopup::kHotCustomBox).center());
    QApplication::processEvents();
    EXPECT_TRUE(asked);
    EXPECT_EQ(page->CurrentColour(), RGBRef(1, 2, 3));
    EXPECT_EQ(ParaGetInt(PARA_TEXT_BG_COLOR), static_cast<int>(RGBRef(1, 2, 3)));

    Click("OkButton");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Bytes(), m_before);
}

TEST_F(DisplaySettingsTest, FitsASmallScreenWithTheSampleTakingTheRest)
{
    DisplaySettingsDialog* dialog = Open();
    const QSize least = dialog->minimumSizeHint().expandedTo(dialog->minimumSize());
    EXPECT_LE(least.width(), 1366);
    EXPECT_LE(least.height(), 768 - 60);
    dialog->resize(1366, 700);
    QApplication::processEvents();
    SettingsPreview* preview = dialog->Preview();
    EXPECT_GE(preview->width(), 600);
    EXPECT_GE(preview->height(), 550);
    EXPECT_GT(preview->PageCount(), 1);
    // The sample grows with the dialog and is laid out for its new size.
    const QSize pageBefore = preview->PageSize();
    dialog->resize(1600, 900);
    QApplication::processEvents();
    EXPECT_GT(preview->width(), 600 + 200);
    EXPECT_NE(preview->PageSize(), pageBefore);
}

} // namespace
