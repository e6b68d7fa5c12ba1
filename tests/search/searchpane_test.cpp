// The "查找" pane in the whole reader: Ctrl+F, streaming results, next/previous wrapping, the jump
// through the history, and a new book cancelling the search at once.
#include "../app/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "app/searchpanecommand.h"
#include "search/searchpanedlg.h"
#include "search/searchresultmodel.h"
#include "ui/panehostbar.h"
#include "views/leafturnerview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>

namespace {

bool WaitUntil(const std::function<bool()>& done, int msecs = 15000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > msecs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

QString Book(int hits)
{
    QString text;
    for (int i = 0; i < hits; ++i) {
        for (int k = 0; k < 30; ++k)
            text += QStringLiteral("天地玄黄，宇宙洪荒。日月盈昃，辰宿列张。\n");
        text += QStringLiteral("寒来暑往，秋收冬藏。\n");
    }
    return text;
}

class SearchPane : public ReaderTest
{
};

TEST_F(SearchPane, FindsJumpsWrapsAndCancelsOnANewBook)
{
    const QString book = WriteBook(QStringLiteral("a.txt"), Book(3));
    ASSERT_TRUE(Start({book}));
    Settle();
    auto* command = Frame()->findChild<CSearchPaneCommand*>();
    ASSERT_NE(command, nullptr);
    QTest::keyClick(ReadingView(), Qt::Key_F, Qt::ControlModifier);
    Settle();
    CSearchPaneDlg* pane = command->Pane();
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(command->Bar()->isVisible());

    pane->PatternBox()->lineEdit()->insert(QStringLiteral("寒来"));
    QTest::keyClick(pane->PatternBox()->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return !pane->IsSearching() && pane->CurrentHit() == 0; }));
    ASSERT_EQ(pane->Results().Hits().size(), 3u);
    EXPECT_EQ(pane->CountLine()->text(), QStringLiteral("共 3 处"));
    const auto& hits = pane->Results().Hits();
    const int firstPage = ReadingView()->CurrentPage();
    EXPECT_LE(ReadingView()->CurrentCharOffset(), hits[0].offset);

    // F3 onwards, wrapping after the last; Shift+F3 back, wrapping before the first.
    const int historyBefore = ReadingView()->History().Count();
    QTest::keyClick(pane->PatternBox()->lineEdit(), Qt::Key_F3);
    EXPECT_EQ(pane->CurrentHit(), 1);
    EXPECT_GT(ReadingView()->CurrentPage(), firstPage);
    EXPECT_GT(ReadingView()->History().Count(), historyBefore);
    QTest::keyClick(pane->PatternBox()->lineEdit(), Qt::Key_F3);
    QTest::keyClick(pane->PatternBox()->lineEdit(), Qt::Key_F3);
    EXPECT_EQ(pane->CurrentHit(), 0);
    QTest::keyClick(pane->PatternBox()->lineEdit(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(pane->CurrentHit(), 2);

    // A hostile search on a big book, then another book: the old search is dropped at once.
    const QString big =
        WriteBook(QStringLiteral("b.txt"), QString(QString(20000, u'中') + u'\n').repeated(30));
    pane->PatternBox()->setEditText(QStringLiteral("(?:[^\\r]|x)*[YZ]"));
    pane->RegexBox()->setChecked(true);
    pane->FindNext();
    QElapsedTimer clock;
    clock.start();
    Frame()->OpenOrSelectFile(big, 2);
    EXPECT_LT(clock.elapsed(), 5000);
    Settle();
    EXPECT_FALSE(pane->IsSearching());
    EXPECT_TRUE(pane->Results().Hits().empty());
    EXPECT_TRUE(pane->CountLine()->text().isEmpty());
    EXPECT_TRUE(pane->WaitForSearch(5000));
}

} // namespace
