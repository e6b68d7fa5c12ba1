// The reading view driven through the real window: turning, history, wheel, scroll bar, re-layout, go-to.
#include "support/readerfixture.h"

#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "layout/textmetrics.h"
#include "settings/parablock.h"
#include "ui/commandids.h"
#include "views/gotopagedialog.h"
#include "views/leafturnerview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>
#include <functional>
#include <vector>

namespace {

class ReadingTest : public ReaderTest
{
protected:
    // Opens a book of single-character lines that fills exactly `pages` pages of the current layout.
    void OpenBookOfPages(int pages)
    {
        const QString probe = WriteBook(QStringLiteral("probe.txt"), QStringLiteral("字\n"));
        ASSERT_TRUE(Start({probe}));
        CLeafturnerView* view = ReadingView();
        ASSERT_NE(view, nullptr);
        const bool vertical = ParaGetInt(PARA_VERTICAL_LINE) != 0;
        const int lines = (vertical ? view->PageSize().width() : view->PageSize().height()) / LinePitch();
        ASSERT_GT(lines, 1);
        QString text;
        for (int i = 0; i < pages * lines; ++i)
            text += QStringLiteral("字\n");
        ASSERT_TRUE(m_app_open(WriteBook(QStringLiteral("book.txt"), text)));
        ASSERT_EQ(view->PageCount(), pages);
    }
    bool m_app_open(const QString& path);

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(ReadingView()->viewport(), static_cast<Qt::Key>(key), modifiers);
        Settle();
    }
    void Command(int id)
    {
        Frame()->RouteCommand(id);
        Settle();
    }
    bool Enabled(int id)
    {
        Frame()->UpdateCommandUI();
        return Frame()->Action(id)->isEnabled();
    }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* viewport = ReadingView()->viewport();
        const QPointF pos(viewport->width() / 2.0, viewport->height() / 2.0);
        QWheelEvent event(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
        Settle();
    }
};

} // namespace

#include "app/leafturnerapp.h"

bool ReadingTest::m_app_open(const QString& path)
{
    return m_app->OpenDocumentFile(path);
}

TEST_F(ReadingTest, SpreadOfSevenPagesStopsOnTheLastLeftPage)
{
    OpenBookOfPages(7);
    CLeafturnerView* view = ReadingView();
    ASSERT_TRUE(view->IsSpread());
    view->ShowPage(4);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(view->CurrentPage(), 6);
    EXPECT_EQ(view->FormatStatusText(), QStringLiteral("7/7, 100.00%"));
    Key(Qt::Key_PageDown);
    EXPECT_EQ(view->CurrentPage(), 6);
    // A click on the left half goes back a spread in horizontal writing.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    Settle();
    EXPECT_EQ(view->CurrentPage(), 4);
}

TEST_F(ReadingTest, BackAndForwardFollowTheRing)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    OpenBookOfPages(30);
    CLeafturnerView* view = ReadingView();
    ASSERT_FALSE(view->IsSpread());
    for (int i = 0; i < 3; ++i)
        Key(Qt::Key_PageDown);
    EXPECT_EQ(view->CurrentPage(), 3);
    Key(Qt::Key_Left, Qt::ControlModifier);
    Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(view->CurrentPage(), 1);
    EXPECT_FALSE(Enabled(Cmd::Back)); // page 0 was never recorded
    EXPECT_TRUE(Enabled(Cmd::Forward));
    Key(Qt::Key_Space);
    EXPECT_EQ(view->CurrentPage(), 2);
    EXPECT_FALSE(Enabled(Cmd::Forward));
    EXPECT_EQ(view->History().Count(), 4);

    // Twenty more turns keep the last fifteen pages.
    for (int i = 0; i < 20; ++i)
        Key(Qt::Key_PageDown);
    EXPECT_EQ(view->CurrentPage(), 22);
    int backs = 0;
    while (Enabled(Cmd::Back) && backs < 30) {
        Command(Cmd::Back);
        ++backs;
    }
    EXPECT_EQ(backs, 14);
    EXPECT_EQ(view->CurrentPage(), 8);
}

TEST_F(ReadingTest, WheelTurnsWithoutModifiersOnly)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    OpenBookOfPages(10);
    CLeafturnerView* view = ReadingView();
    view->ShowPage(5);
    Wheel(-240, Qt::ControlModifier);
    Wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(view->CurrentPage(), 5);
    Wheel(-240); // towards the user: two pages on
    EXPECT_EQ(view->CurrentPage(), 7);
    Wheel(120);
    EXPECT_EQ(view->CurrentPage(), 6);
}

TEST_F(ReadingTest, DraggingTheThumbAddsNoHistory)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    OpenBookOfPages(12);
    CLeafturnerView* view = ReadingView();
    QScrollBar* bar = view->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), 11);
    bar->setSliderDown(true);
    bar->setSliderPosition(7);
    bar->setSliderPosition(9);
    bar->setSliderDown(false);
    Settle();
    EXPECT_EQ(view->CurrentPage(), 9);
    EXPECT_EQ(bar->value(), 9);
    EXPECT_TRUE(view->History().IsEmpty());
    const QString offset = QString::number(view->CurrentCharOffset());
    EXPECT_EQ(StoredValue(QStringLiteral("PARA_LAST_POS"), offset), offset);
    // A step on the bar turns like PgDn, with history.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    Settle();
    EXPECT_EQ(view->CurrentPage(), 10);
    EXPECT_EQ(view->History().Count(), 1);
}

TEST_F(ReadingTest, NewFontKeepsTheReadingPosition)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    ASSERT_TRUE(Start());
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("第%1行，这是一段用来测试重新排版的文字。\n").arg(i);
    ASSERT_TRUE(m_app->OpenDocumentFile(WriteBook(QStringLiteral("long.txt"), text)));
    CLeafturnerView* view = ReadingView();
    view->ShowPage(5);
    const std::int32_t offset = view->CurrentCharOffset();
    ASSERT_GT(offset, 0);

    ParaSetInt(40, PARA_FONT_SIZE);
    RebuildTextMetrics();
    view->SettingsChanged(true);
    Settle();
    TextBuffer* buffer = Frame()->Document()->Buffer();
    EXPECT_EQ(view->CurrentCharOffset(), offset);
    EXPECT_LE(buffer->PageStart(view->CurrentPage()), offset);
    EXPECT_GT(buffer->PageStart(view->CurrentPage() + 1), offset);
    EXPECT_EQ(StoredValue(QStringLiteral("PARA_LAST_POS"), QString::number(offset)), QString::number(offset));
}

TEST_F(ReadingTest, GoToByPercentAndByPage)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    OpenBookOfPages(10);
    CLeafturnerView* view = ReadingView();
    GoToPageDialog dialog(view, view);
    QPushButton* jump = dialog.findChild<QPushButton*>(QStringLiteral("jump"));
    auto go = [&](const QString& text) {
        dialog.TargetBox()->setText(text);
        QTest::mouseClick(jump, Qt::LeftButton);
    };
    dialog.ModeBox()->setCurrentIndex(1);
    EXPECT_EQ(dialog.UnitLabel()->text(), QStringLiteral("%"));
    go(QStringLiteral("50"));
    EXPECT_EQ(view->CurrentPage(), 4);
    go(QStringLiteral("95"));
    EXPECT_EQ(view->CurrentPage(), 9);
    go(QStringLiteral("0"));
    EXPECT_EQ(view->CurrentPage(), 0);

    dialog.ModeBox()->setCurrentIndex(0);
    EXPECT_EQ(dialog.UnitLabel()->text(), QStringLiteral("/10"));
    EXPECT_EQ(dialog.TargetBox()->text(), QStringLiteral("1"));
    // The box takes digits only in page mode.
    dialog.TargetBox()->clear();
    QTest::keyClicks(dialog.TargetBox(), QStringLiteral("1a.1"));
    EXPECT_EQ(dialog.TargetBox()->text(), QStringLiteral("11"));
    QTest::mouseClick(jump, Qt::LeftButton);
    EXPECT_EQ(m_sink.Last(), QStringLiteral("抱歉，您指定的页码超出了范围。"));
    EXPECT_EQ(view->CurrentPage(), 0);
    EXPECT_TRUE(dialog.isVisible() || !dialog.result());
    go(QStringLiteral("7"));
    EXPECT_EQ(view->CurrentPage(), 6);

    // Leaving remembers the mode.
    dialog.ModeBox()->setCurrentIndex(1);
    dialog.reject();
    EXPECT_EQ(ParaGetInt(PARA_GOTO_TYPE), 1);
}

TEST_F(ReadingTest, GoToPageInASpreadShowsItsSpread)
{
    OpenBookOfPages(9);
    CLeafturnerView* view = ReadingView();
    ASSERT_TRUE(view->IsSpread());
    GoToPageDialog dialog(view, view);
    dialog.ModeBox()->setCurrentIndex(0);
    dialog.TargetBox()->setText(QStringLiteral("4"));
    dialog.Jump();
    EXPECT_EQ(view->CurrentPage(), 2);
}

TEST_F(ReadingTest, OffsetUnderMouseIsThePageUnderTheCursor)
{
    struct Case
    {
        bool vertical;
        int shown;
        bool rightHalf;
        int expected; // page whose start is expected
    };
    const Case cases[] = {
        {false, 2, false, 2},
        {false, 2, true, 3},
        // The blank right half of the last odd spread stands for the last page.
        {false, 6, true, 6},
        {false, 6, false, 6},
        // Vertical books put the next page on the left.
        {true, 2, false, 3},
        {true, 2, true, 2},
        {true, 6, false, 6},
    };
    for (const bool vertical : {false, true}) {
        Setting(QStringLiteral("PARA_VERTICAL_LINE"), vertical ? QStringLiteral("1") : QStringLiteral("0"));
        OpenBookOfPages(7);
        CLeafturnerView* view = ReadingView();
        ASSERT_TRUE(view->IsSpread());
        TextBuffer* buffer = Frame()->Document()->Buffer();
        for (const Case& c : cases) {
            if (c.vertical != vertical)
                continue;
            view->ShowPage(c.shown);
            QWidget* viewport = view->viewport();
            const QPoint at(c.rightHalf ? viewport->width() - 20 : 20, viewport->height() / 2);
            QCursor::setPos(viewport->mapToGlobal(at));
            EXPECT_EQ(view->OffsetUnderMouse(), buffer->PageStart(c.expected))
                << vertical << " " << c.shown << " " << c.rightHalf;
        }
        Stop();
    }
}

TEST_F(ReadingTest, ChoosingTheOpenBookAgainKeepsItsPlaceAndHistory)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    OpenBookOfPages(10);
    const QString book = Frame()->Document()->PathName();
    CLeafturnerView* view = ReadingView();
    const std::vector<std::pair<const char*, std::function<void()>>> routes = {
        {"open", [&] { m_app->OpenDocumentFile(book); }},
        {"recent file", [&] { Command(Cmd::FileMruFirst); }},
        {"file list", [&] { Frame()->OpenOrSelectFile(book, 3); }},
        {"drop",
         [&] {
             QMimeData mime;
             mime.setUrls({QUrl::fromLocalFile(book)});
             QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(Frame(), &drop);
         }},
    };
    ASSERT_EQ(m_app->RecentFiles().value(0), book);
    for (const auto& [name, choose] : routes) {
        Key(Qt::Key_PageDown);
        Key(Qt::Key_PageDown);
        const int page = view->CurrentPage();
        const int history = view->History().Count();
        choose();
        Settle();
        EXPECT_EQ(ReadingView(), view) << name;
        EXPECT_EQ(view->CurrentPage(), page) << name;
        EXPECT_EQ(view->History().Count(), history) << name;
        view->ShowPage(0);
    }
}

TEST_F(ReadingTest, PercentJumpClampsAndReadsEitherDecimalPoint)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    OpenBookOfPages(10);
    CLeafturnerView* view = ReadingView();
    struct Locale
    {
        QLocale locale;
        QString prefilled; // page 3 of 10
    };
    const Locale locales[] = {{QLocale::c(), QStringLiteral("30.00")},
                              {QLocale(QLocale::German, QLocale::Germany), QStringLiteral("30,00")}};
    struct Case
    {
        const char* typed;
        bool pasted; // pasting skips the key filter
        int page[2]; // under each locale above
    };
    const Case cases[] = {
        {"55.5", false, {5, 5}},
        {"55,5", false, {9, 5}}, // ',' is no decimal point in the C locale: 555 %
        {"1e5", false, {1, 1}},  // 'e' is filtered out: 15 %
        {"nan", true, {0, 0}},
        {"inf", true, {0, 0}},
        {"-50", true, {0, 0}},
        {"99999999999", true, {9, 9}},
        {"100000000000000000000000000000", true, {9, 9}},
    };
    const QLocale before;
    for (int li = 0; li < 2; ++li) {
        const Locale& l = locales[li];
        QLocale::setDefault(l.locale);
        view->ShowPage(2);
        ParaSetInt(1, PARA_GOTO_TYPE);
        GoToPageDialog dialog(view, view);
        EXPECT_EQ(dialog.TargetBox()->text(), l.prefilled);
        dialog.Jump();
        EXPECT_EQ(view->CurrentPage(), 2) << l.prefilled.toStdString();
        for (const Case& c : cases) {
            view->ShowPage(3);
            dialog.TargetBox()->clear();
            if (c.pasted)
                dialog.TargetBox()->setText(QString::fromLatin1(c.typed));
            else
                QTest::keyClicks(dialog.TargetBox(), QString::fromLatin1(c.typed));
            dialog.Jump();
            EXPECT_EQ(view->CurrentPage(), c.page[li]) << c.typed << " " << l.prefilled.toStdString();
        }
    }
    QLocale::setDefault(before);
}

TEST_F(ReadingTest, EveryScrollBarChangeShowsItsPage)
{
    OpenBookOfPages(12);
    CLeafturnerView* view = ReadingView();
    ASSERT_TRUE(view->IsSpread());
    QScrollBar* bar = view->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), 5); // the spread of pages 11 and 12
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        // What the bar's own "Scroll here" does.
        {"scroll here", [&] { bar->setValue(4); }},
        {"wheel over the bar",
         [&] {
             const QPointF pos(bar->width() / 2.0, bar->height() / 2.0);
             QWheelEvent event(pos, bar->mapToGlobal(pos), QPoint(), QPoint(0, -120), Qt::NoButton,
                               Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(bar, &event);
         }},
        {"keys on the bar", [&] { QTest::keyClick(bar, Qt::Key_Home); }},
        {"set value again", [&] { bar->setValue(bar->maximum()); }},
    };
    for (const auto& [name, change] : changes) {
        const int before = bar->value();
        change();
        Settle();
        EXPECT_NE(bar->value(), before) << name;
        EXPECT_EQ(view->CurrentPage(), bar->value() * 2) << name;
        const QString shown = QString::number(view->CurrentCharOffset());
        EXPECT_EQ(StoredValue(QStringLiteral("PARA_LAST_POS"), shown), shown) << name;
    }
}

TEST_F(ReadingTest, FineWheelDeltasAddUpToTurns)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    OpenBookOfPages(10);
    CLeafturnerView* view = ReadingView();
    view->ShowPage(5);
    struct Step
    {
        int delta;
        int page;
    };
    const Step steps[] = {{-30, 5},
                          {-30, 5},
                          {-30, 5},
                          {-30, 6},
                          {-50, 6},
                          {-50, 6},
                          {-50, 7},
                          // Turning back starts a new count: the 30 left over towards the user do not count.
                          {60, 7},
                          {60, 6},
                          {15, 6}};
    for (const Step& s : steps) {
        Wheel(s.delta);
        EXPECT_EQ(view->CurrentPage(), s.page) << s.delta;
    }
}
