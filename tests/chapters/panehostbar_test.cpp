// Docking panes: remembered sizes and their minimums, placement from the saved style and position,
// the state section round trip and the close button.
#include "settings/inifile.h"
#include "settings/profile.h"
#include "support/temporaryprofile.h"
#include "ui/panehostbar.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kSection = QStringLiteral("Charpter-SCBar-124");

class PaneHostBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(UseAsProfile(m_dir.path()));
        m_frame = std::make_unique<QMainWindow>();
        m_central = new QLabel(QStringLiteral("view"));
        m_central->setFocusPolicy(Qt::StrongFocus);
        m_frame->setCentralWidget(m_central);
        m_frame->resize(900, 700);
        m_frame->show();
        Settle();
    }

    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }
    void Write(const char* key, int value)
    {
        IniFile(SettingsFilePath()).WriteString(kSection, QLatin1String(key), QString::number(value));
    }
    QString Read(const char* key) const
    {
        return IniFile(SettingsFilePath()).ReadString(kSection, QLatin1String(key));
    }
    // A pane as the chapter-list command makes it: loaded, then placed.
    PaneHostBar* MakeBar()
    {
        auto* bar = new PaneHostBar(m_frame.get(), 124, PaneMode::Chapters);
        bar->SetContent(new QLabel(QStringLiteral("pane")));
        bar->LoadPaneState(QStringLiteral("Charpter"));
        bar->PlaceAsSaved();
        Settle();
        return bar;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QMainWindow> m_frame;
    QLabel* m_central = nullptr;
};

TEST_F(PaneHostBarTest, StoredSizesLoadWithTheirMinimums)
{
    PaneHostBar fresh(m_frame.get(), 124, PaneMode::Chapters);
    fresh.LoadPaneState(QStringLiteral("Charpter"));
    EXPECT_EQ(fresh.SizeHorz(), QSize(200, 200));
    EXPECT_EQ(fresh.SizeVert(), QSize(200, 200));
    EXPECT_EQ(fresh.SizeFloat(), QSize(200, 200));
    EXPECT_EQ(fresh.BarStyle(), 0u);
    EXPECT_EQ(fresh.objectName(), QStringLiteral("Pane124"));

    Write("sizeVertCX", 10);
    Write("sizeVertCY", 500);
    Write("sizeHorzCY", 5);
    Write("sizeFloatCX", 36);
    Write("sizeFloatCY", 2000000000);
    PaneHostBar bar(m_frame.get(), 124, PaneMode::Chapters);
    bar.LoadPaneState(QStringLiteral("Charpter"));
    EXPECT_EQ(bar.SizeVert(), QSize(33, 500));
    EXPECT_EQ(bar.SizeHorz(), QSize(200, 32));
    EXPECT_EQ(bar.SizeFloat(), QSize(37, CSizingControlBar::kMaxDimension));

    // The file list pane starts wide enough for file names.
    PaneHostBar files(m_frame.get(), 123, PaneMode::FileList);
    EXPECT_EQ(files.SizeVert().width(), 350);
}

TEST_F(PaneHostBarTest, PlacedWhereTheSavedStyleSays)
{
    struct Case
    {
        std::uint32_t style;
        int posy;
        Qt::DockWidgetArea area;
    };
    const Case cases[] = {
        {PaneStyle::kAlignLeft, 10, Qt::LeftDockWidgetArea},
        {PaneStyle::kAlignTop | PaneStyle::kAlignLeft, 10, Qt::TopDockWidgetArea},
        {PaneStyle::kAlignBottom, 10, Qt::BottomDockWidgetArea},
        {PaneStyle::kAlignRight, 10, Qt::RightDockWidgetArea},
        {0, 10, Qt::RightDockWidgetArea},
        {PaneStyle::kAlignLeft, -4, Qt::RightDockWidgetArea},
    };
    Write("sizeVertCX", 260);
    Write("sizeHorzCY", 150);
    for (const Case& c : cases) {
        Write("style", static_cast<int>(c.style));
        Write("posy", c.posy);
        std::unique_ptr<PaneHostBar> bar(MakeBar());
        EXPECT_FALSE(bar->isFloating());
        EXPECT_EQ(m_frame->dockWidgetArea(bar.get()), c.area) << c.style << " " << c.posy;
        if (c.area == Qt::LeftDockWidgetArea || c.area == Qt::RightDockWidgetArea) {
            EXPECT_EQ(bar->width(), 260);
            EXPECT_FALSE(bar->IsGripperVertical());
        } else {
            EXPECT_EQ(bar->height(), 150);
            EXPECT_TRUE(bar->IsGripperVertical());
        }
    }
}

TEST_F(PaneHostBarTest, EachDockingStateGetsItsOwnSizeBack)
{
    Write("sizeVertCX", 250);
    Write("sizeHorzCY", 140);
    PaneHostBar* bar = MakeBar();
    ASSERT_EQ(m_frame->dockWidgetArea(bar), Qt::RightDockWidgetArea);
    EXPECT_EQ(bar->width(), 250);

    // The user drags the inner edge: the new width is remembered for the vertical state.
    m_frame->resizeDocks({bar}, {300}, Qt::Horizontal);
    Settle();
    EXPECT_EQ(bar->SizeVert().width(), 300);

    m_frame->addDockWidget(Qt::BottomDockWidgetArea, bar);
    Settle();
    EXPECT_EQ(bar->height(), 140);
    EXPECT_EQ(bar->SizeVert().width(), 300);
    EXPECT_EQ(bar->BarStyle() & PaneStyle::kAlignAny, PaneStyle::kAlignBottom);

    m_frame->addDockWidget(Qt::LeftDockWidgetArea, bar);
    Settle();
    EXPECT_EQ(bar->width(), 300);
    EXPECT_EQ(bar->SizeHorz().height(), 140);

    bar->SavePaneState(QStringLiteral("Charpter"));
    EXPECT_EQ(Read("sizeVertCX"), QStringLiteral("300"));
    EXPECT_EQ(Read("sizeHorzCY"), QStringLiteral("140"));
    EXPECT_EQ(Read("style").toInt() & 0xF001, 0x1000);
}

TEST_F(PaneHostBarTest, FloatingPositionRoundTrip)
{
    Write("sizeFloatCX", 240);
    Write("sizeFloatCY", 330);
    PaneHostBar* bar = MakeBar();
    bar->setFloating(true);
    Settle();
    EXPECT_EQ(bar->size(), QSize(240, 330));
    bar->move(100, 120);
    Settle();
    bar->SavePaneState(QStringLiteral("Charpter"));
    EXPECT_EQ(Read("posx"), QStringLiteral("100"));
    EXPECT_EQ(Read("posy"), QStringLiteral("120"));
    const int style = Read("style").toInt();
    EXPECT_EQ(style & 0xF001, 0x2001); // floating, docking back at the top
    delete bar;

    PaneHostBar* again = MakeBar();
    EXPECT_TRUE(again->isFloating());
    EXPECT_EQ(again->pos(), QPoint(100, 120));
    EXPECT_EQ(again->size(), QSize(240, 330));
    delete again;

    // A point no screen shows any more brings the pane back near the window.
    Write("posx", -30000);
    Write("posy", -30000);
    PaneHostBar* lost = MakeBar();
    EXPECT_TRUE(lost->isFloating());
    EXPECT_NE(QGuiApplication::screenAt(lost->pos()), nullptr);
}

TEST_F(PaneHostBarTest, CloseButtonHotPushedAndHides)
{
    PaneHostBar* bar = MakeBar();
    QWidget* strip = bar->titleBarWidget();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->height(), CSizingControlBarG::kGripperSize);
    const QPoint button = bar->CloseButtonRect().center();
    auto move = [strip](QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(QEvent::MouseMove, at, strip->mapToGlobal(at), Qt::NoButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(strip, &event);
    };

    move(button, Qt::NoButton);
    EXPECT_TRUE(bar->IsCloseHot());
    EXPECT_FALSE(bar->IsClosePushed());
    move(QPoint(2, 2), Qt::NoButton);
    EXPECT_FALSE(bar->IsCloseHot());

    QApplication::setActiveWindow(m_frame.get());
    QTest::mousePress(strip, Qt::LeftButton, {}, button);
    EXPECT_TRUE(bar->IsClosePushed());
    EXPECT_FALSE(bar->IsCloseHot());
    move(QPoint(2, 2), Qt::LeftButton);
    EXPECT_FALSE(bar->IsClosePushed());
    move(button, Qt::LeftButton);
    EXPECT_TRUE(bar->IsClosePushed());
    QTest::mouseRelease(strip, Qt::LeftButton, {}, button);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(m_central->hasFocus());

    // A double click on the gripper floats the pane and docks it again; on the button it does not.
    bar->show();
    Settle();
    QTest::mouseDClick(strip, Qt::LeftButton, {}, QPoint(3, 3));
    Settle();
    EXPECT_TRUE(bar->isFloating());
    QTest::mouseDClick(bar->titleBarWidget(), Qt::LeftButton, {}, QPoint(3, 3));
    Settle();
    EXPECT_FALSE(bar->isFloating());
    EXPECT_EQ(m_frame->dockWidgetArea(bar), Qt::RightDockWidgetArea);

    // Released away from the button, the pane stays.
    bar->show();
    Settle();
    QTest::mousePress(strip, Qt::LeftButton, {}, button);
    move(QPoint(2, 2), Qt::LeftButton);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(bar->isHidden());
}

} // namespace
