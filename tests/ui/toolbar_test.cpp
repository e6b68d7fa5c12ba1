// The customizable toolbar, its customization dialog, its images and the menu icons.
#include "images/builtinpicturetable.h"
#include "images/cximage.h"
#include "settings/inifile.h"
#include "settings/profile.h"
#include "ui/commandids.h"
#include "ui/coolmenumanager.h"
#include "ui/customizedialog.h"
#include "ui/toolbarex.h"
#include "ui/toolbarimages.h"
#include "ui/toolbarresource.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A main window with one action per toolbar command, as the frame has.
class ToolbarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetProfileDir(m_dir.path());
        MakeFrame();
    }
    void TearDown() override
    {
        m_frame.reset();
        SetProfileDir(QString());
    }

    void MakeFrame()
    {
        m_frame.reset();
        m_frame = std::make_unique<QMainWindow>();
        m_actions.clear();
        m_triggered.clear();
        for (const ToolbarResourceItem& item : MainToolbarResource()) {
            if (item.commandId == 0)
                continue;
            auto* a = new QAction(QStringLiteral("menu text %1").arg(item.commandId), m_frame.get());
            a->setData(item.commandId);
            const int id = item.commandId;
            QObject::connect(a, &QAction::triggered, [this, id] { m_triggered.append(id); });
            m_frame->addAction(a);
            m_actions.insert(item.commandId, a);
        }
        m_toolbar = new CToolBarEx(QStringLiteral("工具栏"), m_frame.get());
        m_toolbar->setObjectName(QStringLiteral("ToolBar"));
        m_frame->addToolBar(m_toolbar);
        m_toolbar->LoadToolBar(
            MainToolbarResource(), [this](int id) { return m_actions.value(id); }, kToolbarBitmap.resource);
        m_toolbar->SetBitmapResource(kIconStrip.resource);
        m_toolbar->BuildButtonTable();
        m_toolbar->MarkDefaultButtons();
        m_toolbar->LoadToolbarState();
        m_frame->resize(900, 500);
        m_frame->show();
    }

    QList<int> ResourceOrder() const
    {
        QList<int> ids;
        for (const ToolbarResourceItem& item : MainToolbarResource())
            ids.append(item.commandId);
        return ids;
    }

    QToolButton* Button(int id) const
    {
        return qobject_cast<QToolButton*>(m_toolbar->widgetForAction(m_toolbar->ButtonAction(id)));
    }

    // Runs Customize() and lets `work` drive the open dialog before it is closed with its button.
    void Customize(const std::function<void(CCustomizeDialog*)>& work)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CCustomizeDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "no customize dialog";
                return;
            }
            ran = true;
            work(dialog);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CloseButton")), Qt::LeftButton);
        });
        m_toolbar->Customize();
        EXPECT_TRUE(ran);
    }

    static void Choose(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        QApplication::processEvents();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QMainWindow> m_frame;
    QHash<int, QAction*> m_actions;
    QList<int> m_triggered;
    CToolBarEx* m_toolbar = nullptr;
};

TEST_F(ToolbarTest, ButtonTableFollowsTheResource)
{
    const auto items = MainToolbarResource();
    ASSERT_EQ(items.size(), 44u);
    const auto& table = m_toolbar->ButtonTable();
    ASSERT_EQ(table.size(), 44u);
    int image = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(table[i].commandId, items[i].commandId);
        EXPECT_TRUE(table[i].isDefault);
        if (items[i].commandId == 0) {
            EXPECT_EQ(table[i].style, ToolbarBits::StyleSeparator);
            continue;
        }
        EXPECT_EQ(table[i].imageIndex, image++);
        EXPECT_EQ(table[i].label, QString::fromUtf16(items[i].label));
    }
    EXPECT_EQ(image, 32);
    EXPECT_EQ(m_toolbar->Layout(), ResourceOrder());
    // Defaults: no labels, 16-pixel icons, normal label height.
    EXPECT_EQ(m_toolbar->TextOption(), CToolBarEx::kTextNone);
    EXPECT_EQ(m_toolbar->IconOption(), CToolBarEx::kIconSmall);
    EXPECT_EQ(m_toolbar->TextHeightOption(), 0);
    EXPECT_EQ(m_toolbar->iconSize(), QSize(16, 16));
    EXPECT_EQ(m_toolbar->NormalImages().size(), 32);
    EXPECT_EQ(m_toolbar->HotImages().size(), 32);
    EXPECT_EQ(m_toolbar->DisabledImages().size(), 32);
    EXPECT_EQ(m_toolbar->NormalImages()[0].size(), QSize(16, 16));
}

TEST_F(ToolbarTest, ButtonsMirrorAndTriggerTheirCommands)
{
    QAction* source = m_actions.value(Cmd::Vertical);
    source->setCheckable(true);
    QAction* button = m_toolbar->ButtonAction(Cmd::Vertical);
    ASSERT_NE(button, nullptr);
    EXPECT_NE(button, source);
    QTest::mouseClick(Button(Cmd::Vertical), Qt::LeftButton);
    EXPECT_EQ(m_triggered, QList<int>{Cmd::Vertical});
    EXPECT_TRUE(button->isChecked());
    source->setChecked(false);
    EXPECT_FALSE(button->isChecked());
    source->setEnabled(false);
    EXPECT_FALSE(Button(Cmd::Vertical)->isEnabled());
    QTest::mouseClick(Button(Cmd::Vertical), Qt::LeftButton);
    EXPECT_EQ(m_triggered.size(), 1);
    // The toolbar's icons stay off the frame's actions, whose menus have their own.
    EXPECT_TRUE(source->icon().isNull());
    EXPECT_FALSE(button->icon().isNull());
}

TEST_F(ToolbarTest, ResetRestoresTheResourceButtonsWithoutLabels)
{
    Customize([this](CCustomizeDialog* d) {
        // Rearrange: remove the first button, move another, add a separator, show labels, big icons.
        d->CurrentList()->setCurrentRow(0);
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("RemoveButton")), Qt::LeftButton);
        d->CurrentList()->setCurrentRow(3);
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("MoveUpButton")), Qt::LeftButton);
        d->AvailableList()->setCurrentRow(0);
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("AddButton")), Qt::LeftButton);
        Choose(d->TextOptionList(), CToolBarEx::kTextBelow);
        Choose(d->TextHeightList(), 4);
        Choose(d->IconOptionList(), CToolBarEx::kIconLarge);
        EXPECT_NE(m_toolbar->Layout(), ResourceOrder());
        EXPECT_FALSE(m_toolbar->Layout().contains(Cmd::FileOpen));
        EXPECT_EQ(d->AvailableList()->count(), 2); // the separator and 打开
        EXPECT_EQ(m_toolbar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);

        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("ResetButton")), Qt::LeftButton);
        EXPECT_EQ(m_toolbar->Layout(), ResourceOrder());
        EXPECT_EQ(d->CurrentList()->count(), 44);
        EXPECT_EQ(d->AvailableList()->count(), 1);
        EXPECT_EQ(d->TextOptionList()->currentIndex(), CToolBarEx::kTextNone);
        EXPECT_EQ(d->TextHeightList()->currentIndex(), 0);
        EXPECT_EQ(d->IconOptionList()->currentIndex(), CToolBarEx::kIconSmall);
        EXPECT_FALSE(d->TextHeightList()->isEnabled());
        // The icon size waits for the dialog to close.
        EXPECT_EQ(m_toolbar->IconOption(), CToolBarEx::kIconSmall);
    });
    EXPECT_EQ(m_toolbar->Layout(), ResourceOrder());
    EXPECT_EQ(m_toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_EQ(m_toolbar->iconSize(), QSize(16, 16));
    EXPECT_EQ(QFontInfo(m_toolbar->font()).pixelSize(), QFontInfo(CToolBarEx::LabelFont(0)).pixelSize());
    // Separators sit where the resource has them.
    const QList<QAction*> shown = m_toolbar->actions();
    ASSERT_EQ(shown.size(), 44);
    for (int i = 0; i < 44; ++i)
        EXPECT_EQ(shown[i]->isSeparator(), ResourceOrder()[i] == 0) << i;
}

TEST_F(ToolbarTest, LabelOptionsInTheDialog)
{
    Customize([this](CCustomizeDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("自定义工具栏 - 工具栏"));
        EXPECT_FALSE(d->TextHeightList()->isEnabled());
        Choose(d->TextOptionList(), CToolBarEx::kTextRight);
        EXPECT_TRUE(d->TextHeightList()->isEnabled());
        EXPECT_EQ(m_toolbar->TextOption(), CToolBarEx::kTextRight);
        for (const ToolbarResourceItem& item : MainToolbarResource()) {
            if (item.commandId == 0)
                continue;
            QToolButton* b = Button(item.commandId);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
            EXPECT_EQ(b->text(), QString::fromUtf16(item.label));
            EXPECT_EQ(m_toolbar->TableEntry(item.commandId)->style,
                      ToolbarBits::StyleAutoSize | ToolbarBits::StyleShowText);
        }
        // A label height applies at once.
        Choose(d->TextHeightList(), 4);
        EXPECT_EQ(m_toolbar->font().pixelSize(), 2 * QFontInfo(CToolBarEx::LabelFont(0)).pixelSize());
        Choose(d->TextOptionList(), CToolBarEx::kTextNone);
        EXPECT_FALSE(d->TextHeightList()->isEnabled());
        EXPECT_EQ(Button(Cmd::FileOpen)->toolButtonStyle(), Qt::ToolButtonIconOnly);
        Choose(d->TextOptionList(), CToolBarEx::kTextBelow);
        EXPECT_TRUE(d->TextHeightList()->isEnabled());
        EXPECT_EQ(Button(Cmd::FileOpen)->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        // Icon sizes wait for the close.
        Choose(d->IconOptionList(), CToolBarEx::kIconMedium);
        EXPECT_EQ(m_toolbar->iconSize(), QSize(16, 16));
    });
    EXPECT_EQ(m_toolbar->iconSize(), QSize(24, 24));
    EXPECT_EQ(m_toolbar->TextOption(), CToolBarEx::kTextBelow);
}

TEST_F(ToolbarTest, CustomizedToolbarSurvivesARestart)
{
    Customize([](CCustomizeDialog* d) {
        Choose(d->IconOptionList(), CToolBarEx::kIconMedium);
        Choose(d->TextOptionList(), CToolBarEx::kTextBelow);
        Choose(d->TextHeightList(), 2);
        d->CurrentList()->setCurrentRow(1); // 保存
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("RemoveButton")), Qt::LeftButton);
    });
    const QByteArray block =
        IniFile(SettingsFilePath()).ReadBinary(QStringLiteral("WindowState"), QStringLiteral("ToolBarEx1"));
    ASSERT_EQ(block.size(), 12 + 4 * 43);
    EXPECT_EQ(qFromLittleEndian<std::int32_t>(block.constData()), 1);
    EXPECT_EQ(qFromLittleEndian<std::int32_t>(block.constData() + 4), 0);
    EXPECT_EQ(qFromLittleEndian<std::int32_t>(block.constData() + 8), 2);
    EXPECT_EQ(qFromLittleEndian<std::int32_t>(block.constData() + 12), Cmd::FileOpen);

    MakeFrame(); // the old toolbar is gone, so the new one is number 1 again
    EXPECT_EQ(m_toolbar->StateKey(), QStringLiteral("ToolBarEx1"));
    EXPECT_EQ(m_toolbar->IconOption(), CToolBarEx::kIconMedium);
    EXPECT_EQ(m_toolbar->iconSize(), QSize(24, 24));
    EXPECT_EQ(m_toolbar->NormalImages()[0].size(), QSize(24, 24));
    EXPECT_EQ(m_toolbar->TextOption(), CToolBarEx::kTextBelow);
    EXPECT_EQ(m_toolbar->TextHeightOption(), 2);
    EXPECT_FALSE(m_toolbar->Layout().contains(Cmd::FileSave));
    EXPECT_EQ(m_toolbar->Layout().size(), 43);
    // Removed buttons stay in the table as non-default-order choices.
    EXPECT_NE(m_toolbar->TableEntry(Cmd::FileSave), nullptr);
}

TEST_F(ToolbarTest, DamagedStateBlocksLoseNothing)
{
    const QList<int> before = m_toolbar->Layout();
    EXPECT_FALSE(m_toolbar->ApplyStateBlock(QByteArray(11, '\0')));
    EXPECT_EQ(m_toolbar->Layout(), before);

    // Options out of range are ignored; unknown and repeated commands are dropped.
    QByteArray block(12 + 4 * 5, '\0');
    const std::int32_t values[] = {7, -1, 99, Cmd::Help, 4242, Cmd::Help, 0, Cmd::FileOpen};
    for (int i = 0; i < 8; ++i)
        qToLittleEndian(values[i], block.data() + 4 * i);
    EXPECT_TRUE(m_toolbar->ApplyStateBlock(block));
    EXPECT_EQ(m_toolbar->Layout(), (QList<int>{Cmd::Help, 0, Cmd::FileOpen}));
    EXPECT_EQ(m_toolbar->IconOption(), CToolBarEx::kIconSmall);
    EXPECT_EQ(m_toolbar->TextOption(), CToolBarEx::kTextNone);
    EXPECT_EQ(m_toolbar->TextHeightOption(), 0);

    // A block of endless separators is cut short.
    QByteArray separators(12 + 4 * 100000, '\0');
    EXPECT_TRUE(m_toolbar->ApplyStateBlock(separators));
    EXPECT_EQ(m_toolbar->Layout().size(), CToolBarEx::kMaxButtons);

    // A corrupt hex value in the settings file reads as no state.
    IniFile(SettingsFilePath())
        .WriteString(QStringLiteral("WindowState"), QStringLiteral("ToolBarEx1"), QStringLiteral("zz!"));
    MakeFrame();
    EXPECT_EQ(m_toolbar->Layout(), ResourceOrder());
}

TEST_F(ToolbarTest, ContextMenuListsTheBarsAndCustomize)
{
    std::unique_ptr<QMenu> menu(m_toolbar->CreateBarsMenu(nullptr));
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QStringLiteral("工具栏"));
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), QStringLiteral("自定义工具栏..."));
    EXPECT_EQ(items[2]->data().toInt(), CToolBarEx::kCustomizeCommand);
    items[0]->trigger();
    EXPECT_FALSE(m_toolbar->isVisible());

    m_toolbar->SetLayout({});
    EXPECT_EQ(m_toolbar->CreateBarsMenu(nullptr), nullptr);
}

// A 2-icon strip of 4x4 pixels: icon 0 black, icon 1 white, opaque, except one clear pixel.
CxImage TwoIconStrip()
{
    CxImage strip;
    strip.Create(8, 4, 24);
    strip.AlphaCreate();
    for (int y = 0; y < 4; ++y) {
        std::uint8_t* row = strip.Row(y);
        for (int x = 0; x < 8; ++x)
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = x < 4 ? 0 : 255;
        std::fill_n(strip.AlphaRow(y), 8, std::uint8_t{255});
    }
    strip.AlphaRow(3)[0] = 0; // top-left as displayed: transparent
    return strip;
}

TEST(ToolbarImages, DisabledBlackIs104AndWhite219)
{
    const COLORREF face = RGBRef(10, 200, 30);
    const CxImage strip = TwoIconStrip();
    const ToolbarStrip disabled = MakeToolbarStrip(strip, 4, 2, ToolbarImageKind::Disabled, face);
    ASSERT_FALSE(disabled.image.isNull());
    EXPECT_EQ(disabled.image.size(), QSize(8, 4));
    EXPECT_EQ(disabled.image.pixel(1, 1), qRgb(104, 104, 104));
    EXPECT_EQ(disabled.image.pixel(5, 2), qRgb(219, 219, 219));
    // The clear pixel took the button face and is the mask colour.
    EXPECT_EQ(disabled.image.pixel(0, 0), qRgb(10, 200, 30));
    EXPECT_EQ(disabled.maskColour & 0xFFFFFF, qRgb(10, 200, 30) & 0xFFFFFF);
    const QList<QPixmap> cells = SplitToolbarStrip(disabled, 4);
    ASSERT_EQ(cells.size(), 2);
    const QImage first = cells[0].toImage();
    EXPECT_EQ(qAlpha(first.pixel(0, 0)), 0);
    EXPECT_EQ(first.pixel(1, 0), qRgb(104, 104, 104));

    // Hot icons are darker by gamma 1.6; black and white stay.
    const ToolbarStrip hot = MakeToolbarStrip(strip, 4, 2, ToolbarImageKind::Hot, face);
    EXPECT_EQ(hot.image.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(hot.image.pixel(5, 1), qRgb(255, 255, 255));

    // Scaled when neither side fits; a strip already at the size is kept.
    const ToolbarStrip scaled = MakeToolbarStrip(strip, 2, 2, ToolbarImageKind::Normal, face);
    EXPECT_EQ(scaled.image.size(), QSize(4, 2));
    EXPECT_TRUE(MakeToolbarStrip(CxImage(), 16, 2, ToolbarImageKind::Normal, face).image.isNull());
}

TEST(ToolbarImages, RealStripGivesGrayDisabledIcons)
{
    CxImage strip;
    ASSERT_TRUE(strip.LoadFromResource(kIconStrip.resource));
    const ToolbarStrip disabled =
        MakeToolbarStrip(strip, 32, 32, ToolbarImageKind::Disabled, RGBRef(0, 0, 255));
    ASSERT_EQ(disabled.image.size(), QSize(1024, 32));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const QRgb p = disabled.image.pixel(x, y);
            // Opaque pixels are gray in the toned range; others are blended towards the blue face.
            if (qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) {
                ASSERT_GE(qRed(p), 104);
                ASSERT_LE(qRed(p), 219);
            }
        }
    }
}

TEST_F(ToolbarTest, MenusGetTheToolbarIcons)
{
    CCoolMenuManager manager;
    auto* late = new QAction(QStringLiteral("late"), m_frame.get());
    late->setData(Cmd::Help);
    auto* other = new QAction(QStringLiteral("other"), m_frame.get());
    other->setData(Cmd::AppExit);
    m_frame->addAction(other);
    manager.AttachToFrame(m_frame.get());
    ASSERT_TRUE(manager.LoadMenuIcons(MainToolbarResource(), 16, 15, kIconStrip.resource));
    EXPECT_EQ(manager.IconSize(), 16);
    EXPECT_EQ(manager.ImageIndex(Cmd::FileOpen), 0);
    EXPECT_EQ(manager.ImageIndex(Cmd::Help), 31);
    EXPECT_EQ(manager.ImageIndex(Cmd::AppExit), -1);
    // Another size is refused once the first has fixed it.
    EXPECT_FALSE(manager.LoadMenuIcons(MainToolbarResource(), 24, 24, kIconStrip.resource));

    QAction* open = m_actions.value(Cmd::FileOpen);
    ASSERT_FALSE(open->icon().isNull());
    EXPECT_EQ(open->icon().pixmap(16, QIcon::Normal).toImage(), manager.NormalImages()[0].toImage());
    const QImage disabled = open->icon().pixmap(16, QIcon::Disabled).toImage();
    EXPECT_EQ(disabled, manager.DisabledImages()[0].toImage());
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb p = disabled.pixel(x, y);
            if (qAlpha(p) == 255 && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) {
                EXPECT_GE(qRed(p), 104);
            }
        }
    }
    EXPECT_TRUE(other->icon().isNull());
    m_frame->addAction(late); // added after attaching
    EXPECT_FALSE(late->icon().isNull());
}

} // namespace
