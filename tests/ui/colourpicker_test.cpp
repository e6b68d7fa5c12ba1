// Colour picker and popup: the hot cell on opening, tracking, choosing, cancelling, placement.
#include "ui/colourpicker.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

struct Event
{
    std::string what;
    COLORREF colour;
    int id;
    bool operator==(const Event&) const = default;
};

// Records the picker's notifications in the order they arrive.
class PickerLog
{
public:
    explicit PickerLog(CColourPicker* picker)
    {
        auto log = [this](const char* what) {
            return [this, what](COLORREF c, int id) { events.push_back({what, c, id}); };
        };
        QObject::connect(picker, &CColourPicker::selectionChanged, log("changed"));
        QObject::connect(picker, &CColourPicker::dropDown, log("dropDown"));
        QObject::connect(picker, &CColourPicker::closeUp, log("closeUp"));
        QObject::connect(picker, &CColourPicker::selectionEnded, log("ended"));
        QObject::connect(picker, &CColourPicker::selectionCancelled, log("cancelled"));
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const Event& e : events)
            names.push_back(e.what);
        return names;
    }
    // The last two notifications: how the popup ended.
    std::vector<std::string> Ending() const
    {
        const std::vector<std::string> all = Names();
        return {all.end() - std::min<std::ptrdiff_t>(2, std::ssize(all)), all.end()};
    }
    std::vector<Event> events;
};

class ColourPickerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(300, 200);
        m_picker = new CColourPicker(m_window.get(), 1004);
        m_picker->setGeometry(10, 10, 80, 24);
        m_picker->AssignDefaultBoxText(QStringLiteral("缺省"));
        m_picker->AssignCustomBoxText(QStringLiteral("其它..."));
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    CColourPopup* Open()
    {
        QTest::mouseClick(m_picker, Qt::LeftButton);
        return m_picker->Popup();
    }

    // Lets the popup's deferred deletion run so no popup outlives the test.
    static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    std::unique_ptr<QWidget> m_window;
    CColourPicker* m_picker = nullptr;
};

TEST_F(ColourPickerTest, OpensWithThePaletteCellOfItsColourHot)
{
    m_picker->AssignColour(RGBRef(0, 0, 94));
    PickerLog log(m_picker);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(m_picker->IsActive());
    EXPECT_EQ(popup->HotCell(), 4);
    EXPECT_EQ(CColourPopup::ColourName(popup->HotCell()), QStringLiteral("Dark Teal"));
    EXPECT_EQ(CColourPopup::ColourName(35), QStringLiteral("Pale green "));
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0], (Event{"dropDown", RGBRef(0, 0, 94), 1004}));

    QTest::keyClick(popup, Qt::Key_Escape);
    Settle();
    EXPECT_FALSE(m_picker->IsActive());
    EXPECT_EQ(m_picker->Popup(), nullptr);
    EXPECT_EQ(log.Names(), (Names{"dropDown", "closeUp", "cancelled"}));
    EXPECT_EQ(log.events.back().colour, RGBRef(0, 0, 94));
    EXPECT_EQ(m_picker->CurrentColour(), RGBRef(0, 0, 94));
}

TEST_F(ColourPickerTest, InitialHotCellForColoursOutsideThePalette)
{
    m_picker->AssignColour(RGBRef(1, 2, 3));
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->HotCell(), CColourPopup::kHotCustomBox);
    QTest::keyClick(popup, Qt::Key_Escape);
    Settle();

    m_picker->AssignCustomBoxText(QString());
    popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->HotCell(), CColourPopup::kHotNone);
    EXPECT_TRUE(popup->CellRect(CColourPopup::kHotCustomBox).isEmpty());
    QTest::keyClick(popup, Qt::Key_Escape);
    Settle();

    // The automatic colour opens on the default box and paints the default colour in the swatch.
    m_picker->AssignDefaultColour(RGBRef(0, 200, 0));
    m_picker->AssignAutomaticColour();
    EXPECT_EQ(m_picker->CurrentColour(), kAutomaticColour);
    popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->HotCell(), CColourPopup::kHotDefaultBox);
    QTest::keyClick(popup, Qt::Key_Escape);
    Settle();
    const QImage shot = m_picker->grab().toImage();
    EXPECT_EQ(shot.pixelColor(8, 12), QColor(0, 200, 0));
}

TEST_F(ColourPickerTest, DisabledPickerPaintsTheDefaultColour)
{
    m_picker->AssignDefaultColour(RGBRef(0, 0, 200));
    m_picker->AssignColour(RGBRef(255, 0, 0));
    EXPECT_EQ(m_picker->grab().toImage().pixelColor(8, 12), QColor(255, 0, 0));
    m_picker->setEnabled(false);
    EXPECT_EQ(m_picker->grab().toImage().pixelColor(8, 12), QColor(0, 0, 200));
    QTest::mouseClick(m_picker, Qt::LeftButton);
    EXPECT_EQ(m_picker->Popup(), nullptr);
}

TEST_F(ColourPickerTest, ClickingACellEndsWithItsColourAfterCloseUp)
{
    m_picker->AssignColour(RGBRef(0, 0, 0));
    PickerLog log(m_picker);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    const QPoint red = popup->CellRect(16).center();
    QTest::mouseMove(popup, red);
    EXPECT_EQ(popup->HotCell(), 16);
    QTest::mouseClick(popup, Qt::LeftButton, {}, red);
    Settle();
    EXPECT_EQ(log.Names(), (Names{"dropDown", "changed", "closeUp", "ended"}));
    EXPECT_EQ(log.events[1].colour, RGBRef(255, 0, 0));
    EXPECT_EQ(log.events[3], (Event{"ended", RGBRef(255, 0, 0), 1004}));
    EXPECT_EQ(m_picker->CurrentColour(), RGBRef(255, 0, 0));
    EXPECT_FALSE(m_picker->IsActive());

    // The default box chooses the automatic colour.
    popup = Open();
    ASSERT_NE(popup, nullptr);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->CellRect(CColourPopup::kHotDefaultBox).center());
    Settle();
    EXPECT_EQ(m_picker->CurrentColour(), kAutomaticColour);
}

TEST_F(ColourPickerTest, KeysMoveTheHotCellAndTrackingFollowsUntilCancel)
{
    m_picker->EnableLiveTracking(true);
    m_picker->AssignColour(RGBRef(0, 0, 94)); // cell 4
    PickerLog log(m_picker);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Right);
    EXPECT_EQ(popup->HotCell(), 5);
    EXPECT_EQ(m_picker->CurrentColour(), RGBRef(0, 0, 139));
    QTest::keyClick(popup, Qt::Key_Down);
    EXPECT_EQ(popup->HotCell(), 13);
    QTest::keyClick(popup, Qt::Key_Up);
    QTest::keyClick(popup, Qt::Key_Up);
    EXPECT_EQ(popup->HotCell(), CColourPopup::kHotDefaultBox);
    EXPECT_EQ(m_picker->CurrentColour(), kAutomaticColour);
    QTest::keyClick(popup, Qt::Key_Up);
    EXPECT_EQ(popup->HotCell(), CColourPopup::kHotCustomBox);
    // The custom box stands for the opening colour.
    EXPECT_EQ(m_picker->CurrentColour(), RGBRef(0, 0, 94));
    QTest::keyClick(popup, Qt::Key_Left);
    EXPECT_EQ(popup->HotCell(), 39);
    QTest::keyClick(popup, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(m_picker->CurrentColour(), RGBRef(0, 0, 94));
    const Names seen = log.Names();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "changed"), 6);
    EXPECT_EQ(log.Ending(), (Names{"closeUp", "cancelled"}));
}

TEST_F(ColourPickerTest, CancellingTheColourDialogRestoresTheOpeningColour)
{
    std::vector<QColor> asked;
    std::optional<QColor> answer;
    m_picker->SetColourDialogRunner([&](const QColor& initial, QWidget*) {
        asked.push_back(initial);
        return answer;
    });
    m_picker->EnableLiveTracking(true);
    m_picker->AssignColour(RGBRef(10, 20, 30));
    PickerLog log(m_picker);

    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Down); // custom box -> default box, tracked into the swatch
    EXPECT_EQ(m_picker->CurrentColour(), kAutomaticColour);
    QTest::keyClick(popup, Qt::Key_Up);
    ASSERT_EQ(popup->HotCell(), CColourPopup::kHotCustomBox);
    QTest::keyClick(popup, Qt::Key_Return);
    Settle();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], QColor(10, 20, 30));
    EXPECT_EQ(m_picker->CurrentColour(), RGBRef(10, 20, 30));
    EXPECT_EQ(log.events.back(), (Event{"cancelled", RGBRef(10, 20, 30), 1004}));
    EXPECT_FALSE(m_picker->IsActive());

    answer = QColor(200, 100, 50);
    popup = Open();
    ASSERT_NE(popup, nullptr);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->CellRect(CColourPopup::kHotCustomBox).center());
    Settle();
    EXPECT_EQ(m_picker->CurrentColour(), RGBRef(200, 100, 50));
    EXPECT_EQ(log.Ending(), (Names{"closeUp", "ended"}));
}

TEST_F(ColourPickerTest, TextSelectionModeEditsTheTextColour)
{
    m_picker->AssignColour(RGBRef(1, 1, 1));
    m_picker->ChooseSelectionMode(CColourPicker::kEditTextColour);
    m_picker->AssignColour(RGBRef(0, 0, 94));
    m_picker->ChooseSelectionMode(7); // ignored
    EXPECT_EQ(m_picker->TextColour(), RGBRef(0, 0, 94));
    EXPECT_EQ(m_picker->BackgroundColour(), RGBRef(1, 1, 1));
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->HotCell(), 4);
    QTest::keyClick(popup, Qt::Key_Left);
    QTest::keyClick(popup, Qt::Key_Space);
    Settle();
    EXPECT_EQ(m_picker->TextColour(), RGBRef(0, 85, 0));
    EXPECT_EQ(m_picker->BackgroundColour(), RGBRef(1, 1, 1));
}

TEST_F(ColourPickerTest, ClickOutsideThePopupCancels)
{
    m_picker->AssignColour(RGBRef(255, 255, 255));
    PickerLog log(m_picker);
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    QTest::mousePress(popup, Qt::LeftButton, {}, QPoint(-20, -20));
    Settle();
    EXPECT_EQ(m_picker->Popup(), nullptr);
    EXPECT_EQ(log.Names(), (Names{"dropDown", "closeUp", "cancelled"}));
    EXPECT_EQ(m_picker->CurrentColour(), RGBRef(255, 255, 255));
}

TEST(ColourPopupPlacement, StaysOnScreen)
{
    const QRect screen(0, 0, 1024, 768);
    const QSize size(150, 140);
    // Room below: straight under the button.
    EXPECT_EQ(CColourPopup::PlaceOnScreen(size, QRect(100, 100, 80, 24), screen), QPoint(100, 124));
    // Near the right edge: shifted left to end at the edge.
    EXPECT_EQ(CColourPopup::PlaceOnScreen(size, QRect(1000, 100, 24, 24), screen), QPoint(874, 124));
    // Left of the screen: shifted right.
    EXPECT_EQ(CColourPopup::PlaceOnScreen(size, QRect(-30, 100, 80, 24), screen), QPoint(0, 124));
    // Near the bottom: above the button instead.
    EXPECT_EQ(CColourPopup::PlaceOnScreen(size, QRect(100, 700, 80, 24), screen), QPoint(100, 560));
}

TEST_F(ColourPickerTest, PickerAtTheRightEdgeOpensItsPopupInsideTheScreen)
{
    const QRect area = m_picker->screen()->availableGeometry();
    m_window->move(area.right() - m_window->width() + 1, area.top() + 20);
    m_picker->move(m_window->width() - m_picker->width(), 10);
    QCoreApplication::processEvents();
    CColourPopup* popup = Open();
    ASSERT_NE(popup, nullptr);
    const QRect at = popup->geometry();
    EXPECT_LE(at.right(), area.right());
    EXPECT_GE(at.left(), area.left());
    EXPECT_EQ(at.top(), m_picker->mapToGlobal(QPoint(0, m_picker->height())).y());
    QTest::keyClick(popup, Qt::Key_Escape);
    Settle();
}

} // namespace
