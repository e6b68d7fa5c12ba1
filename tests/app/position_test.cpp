// The reading position on its way to the settings file: off the GUI thread, coalesced, and in the file
// at once at book change, view switch and exit.
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "settings/inifile.h"
#include "settings/readingposition.h"
#include "views/leafturnerview.h"

#include <QApplication>
#include <QScrollBar>
#include <QThread>
#include <atomic>
#include <mutex>

namespace {

std::atomic<int> g_rewrites{0};
std::atomic<int> g_guiRewrites{0};

void CountRewrite(const QString&)
{
    ++g_rewrites;
    if (QThread::currentThread() == QCoreApplication::instance()->thread())
        ++g_guiRewrites;
}

// What another store of positions (a per-book history) would be handed.
class LatestPosition : public ReadingPositionSink
{
public:
    void StorePosition(const QString& bookPath, std::int32_t offset) override
    {
        std::lock_guard guard(m_lock);
        m_path = bookPath;
        m_offset = offset;
        ++m_calls;
    }
    std::tuple<QString, std::int32_t, int> Get() const
    {
        std::lock_guard guard(m_lock);
        return {m_path, m_offset, m_calls};
    }

private:
    mutable std::mutex m_lock;
    QString m_path;
    std::int32_t m_offset = -1;
    int m_calls = 0;
};

class PositionTest : public ReaderTest
{
protected:
    void TearDown() override
    {
        SetIniRewriteObserver(nullptr);
        RemoveReadingPositionSink(&m_sink);
        ReaderTest::TearDown();
    }
    // A book of `lines` numbered lines, opened in the reading view, one page at a time. Its name
    // leads the text: two books of the same text are one book moved, and the second would open at
    // the first one's place as soon as the history has it.
    QString OpenBook(const QString& name, int lines)
    {
        QString text = name + u'\n';
        for (int i = 0; i < lines; ++i)
            text += QStringLiteral("第%1行\n").arg(i);
        const QString path = WriteBook(name, text);
        EXPECT_TRUE(m_app->OpenDocumentFile(path));
        return path;
    }
    QString Pos() { return QString::number(ReadingView()->CurrentCharOffset()); }

    LatestPosition m_sink;
};

TEST_F(PositionTest, FiveHundredTurnsRewriteTheFileAHandfulOfTimesOffTheGuiThread)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    ASSERT_TRUE(Start());
    const QString book = OpenBook(QStringLiteral("book.txt"), 30000);
    CLeafturnerView* view = ReadingView();
    ASSERT_GT(view->PageCount(), 500);
    AddReadingPositionSink(&m_sink);
    FlushReadingPosition();
    g_rewrites = 0;
    g_guiRewrites = 0;
    SetIniRewriteObserver(CountRewrite);

    // Dragging the thumb: one page change per step.
    QScrollBar* bar = view->verticalScrollBar();
    bar->setSliderDown(true);
    for (int page = 1; page <= 500; ++page)
        bar->setSliderPosition(page);
    bar->setSliderDown(false);
    ASSERT_EQ(view->CurrentPage(), 500);
    EXPECT_EQ(g_guiRewrites.load(), 0);
    EXPECT_LE(g_rewrites.load(), 5);

    EXPECT_EQ(StoredValue(QStringLiteral("PARA_LAST_POS"), Pos()), Pos());
    FlushReadingPosition(); // waits for the sinks of the store that wrote the file
    const auto [path, offset, calls] = m_sink.Get();
    EXPECT_EQ(path, book);
    EXPECT_EQ(offset, view->CurrentCharOffset());
    EXPECT_LE(calls, 5);
    EXPECT_EQ(g_guiRewrites.load(), 0);
}

TEST_F(PositionTest, TheFileHoldsThePlaceAtOnceAtBookChangeViewSwitchAndExit)
{
    Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
    ASSERT_TRUE(Start());
    const QString first = OpenBook(QStringLiteral("first.txt"), 3000);
    AddReadingPositionSink(&m_sink);

    // Book change: the first book's place is stored before it goes; the new book starts at 0 with it.
    ReadingView()->ShowPage(5);
    const std::int32_t firstPlace = ReadingView()->CurrentCharOffset();
    ASSERT_GT(firstPlace, 0);
    const QString second = OpenBook(QStringLiteral("second.txt"), 3000);
    EXPECT_EQ(std::get<0>(m_sink.Get()), first);
    EXPECT_EQ(std::get<1>(m_sink.Get()), firstPlace);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_PATH")), second);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_POS")), QStringLiteral("0"));

    // View switch.
    ReadingView()->ShowPage(7);
    const QString place = Pos();
    ASSERT_TRUE(Frame()->SwitchView(true));
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_POS")), place);
    ASSERT_TRUE(Frame()->SwitchView(false));
    Settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Exit.
    ReadingView()->ShowPage(9);
    const QString last = Pos();
    Stop();
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_POS")), last);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_PATH")), second);
}

} // namespace
