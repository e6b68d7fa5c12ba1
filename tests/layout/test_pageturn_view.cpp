// The page turn on the real reading view: which turns play, and that every frame is painted.
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "layout/pageturnanimation.h"
#include "settings/parablock.h"
#include "ui/commandids.h"
#include "views/leafturnerview.h"
#include "views/readingrender.h"

#include <QEvent>
#include <QGuiApplication>

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class PageTurnView : public ReaderTest
{
protected:
    void OpenBook()
    {
        QString text;
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("翻页动画的测试文字。\n");
        ASSERT_TRUE(Start({WriteBook(QStringLiteral("book.txt"), text)}));
        ASSERT_NE(ReadingView(), nullptr);
        ASSERT_GT(ReadingView()->PageCount(), 4);
    }

    // Paints while the previous or next page command runs (what PgUp and PgDn post): only the
    // animation paints synchronously, the page itself is painted later.
    int PaintsDuring(int command)
    {
        QWidget* viewport = ReadingView()->viewport();
        PaintCounter counter;
        viewport->installEventFilter(&counter);
        Frame()->RouteCommand(command);
        viewport->removeEventFilter(&counter);
        Settle();
        return counter.paints;
    }

    // The frames the generator makes for this turn of the view.
    int FramesFor(int from, int to) const
    {
        CLeafturnerView* view = ReadingView();
        const QRect client(QPoint(0, 0), view->viewport()->size());
        const PageTurnAnimation turn =
            PageTurnAnimation::Prepare(view->PageCount(), from, to, view->IsSpread(), client);
        QImage blank(view->ComposePage(from).size(), QImage::Format_RGB32);
        blank.fill(Qt::white);
        return turn.Run(blank, blank, [](const QImage&, int) { return true; });
    }
};

} // namespace

TEST_F(PageTurnView, ModesOutsideOneToTenTurnWithoutFrames)
{
    OpenBook();
    CLeafturnerView* view = ReadingView();
    const int step = view->IsSpread() ? 2 : 1;
    for (const int mode : {0, 11}) {
        theParaBlock.SetInt(PARA_TURN_PAGE, mode, false);
        const int before = view->CurrentPage();
        EXPECT_EQ(PaintsDuring(Cmd::NextPage), 0) << mode;
        EXPECT_EQ(view->CurrentPage(), before + step) << mode;
    }
}

TEST_F(PageTurnView, EveryFrameReachesTheScreenAndTheLastPageStays)
{
    OpenBook();
    CLeafturnerView* view = ReadingView();
    const int step = view->IsSpread() ? 2 : 1;
    for (const int mode : {8, 10, 5}) {
        theParaBlock.SetInt(PARA_TURN_PAGE, mode, false);
        const int before = view->CurrentPage();
        const int frames = FramesFor(before, before + step);
        ASSERT_GT(frames, 0) << mode;
        // Each frame, then the picture handed back to the view once the generator is done.
        EXPECT_EQ(PaintsDuring(Cmd::NextPage), frames + 1) << mode;
        EXPECT_EQ(view->CurrentPage(), before + step) << mode;
        // Back again plays as well.
        EXPECT_EQ(PaintsDuring(Cmd::PrevPage), FramesFor(before + step, before) + 1) << mode;
        EXPECT_EQ(view->CurrentPage(), before) << mode;
    }

    // Next on the last page plays nothing and stays.
    theParaBlock.SetInt(PARA_TURN_PAGE, 8, false);
    view->ShowPage(view->PageCount() - 1);
    Settle();
    const int last = view->CurrentPage();
    EXPECT_EQ(PaintsDuring(Cmd::NextPage), 0);
    EXPECT_EQ(view->CurrentPage(), last);
}

// Run by the 2x CTest entry (QT_SCALE_FACTOR=2): a 200 % screen gets pictures and frames of twice
// the pixels, the pages laid out as at 1x.
TEST_F(PageTurnView, OnATwiceDenseScreenPicturesAndFramesHaveTwiceThePixels)
{
    if (qApp->devicePixelRatio() < 2)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    OpenBook();
    CLeafturnerView* view = ReadingView();
    const QSize client = view->viewport()->size();
    const QImage page = view->ComposePage(view->CurrentPage());
    EXPECT_EQ(page.size(), client * 2);
    EXPECT_EQ(page.devicePixelRatio(), 2.0);

    theParaBlock.SetInt(PARA_TURN_PAGE, 8, false);
    const int from = view->CurrentPage();
    const int to = from + (view->IsSpread() ? 2 : 1);
    int shown = 0;
    PlayReadingPageTurn(*view, *view->GetDocument()->Buffer(), from, to, [&](const QImage& frame) {
        ++shown;
        EXPECT_EQ(frame.size(), client * 2) << shown;
        EXPECT_EQ(frame.devicePixelRatio(), 2.0) << shown;
    });
    EXPECT_EQ(shown, FramesFor(from, to) + 1);
}
