// The "查找" pane in the whole reader: Ctrl+F, streaming results, next/previous wrapping, the jump
// through the history, and a new book cancelling the search at once.
#include "support/readerfixture.h"
#include "support/waituntil.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "app/searchpanecommand.h"
#include "search/searchpanedlg.h"
#include "search/searchresultmodel.h"
#include "ui/panehostbar.h"
#include "ui/commandids.h"
#include "views/leafturnerview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

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

TEST_F(SearchPane, LastTenSearchesAndThePlacementComeBackAfterARestart)
{
    const QString book = WriteBook(QStringLiteral("a.txt"), Book(2));
    ASSERT_TRUE(Start({book}));
    auto* command = Frame()->findChild<CSearchPaneCommand*>();
    ASSERT_NE(command, nullptr);
    Frame()->RouteCommand(Cmd::EditFind);
    CSearchPaneDlg* pane = command->Pane();
    ASSERT_NE(pane, nullptr);
    // Twelve searches, one of them again: the newest first, no repeats, ten kept.
    QStringList typed;
    for (int i = 0; i < 12; ++i)
        typed << QStringLiteral("词%1").arg(i);
    typed << QStringLiteral("词5");
    for (const QString& pattern : typed) {
        pane->PatternBox()->setEditText(pattern);
        pane->Search();
        ASSERT_TRUE(pane->WaitForSearch(5000));
    }
    const QStringList expected{QStringLiteral("词5"),  QStringLiteral("词11"), QStringLiteral("词10"),
                               QStringLiteral("词9"),  QStringLiteral("词8"),  QStringLiteral("词7"),
                               QStringLiteral("词6"),  QStringLiteral("词4"),  QStringLiteral("词3"),
                               QStringLiteral("词2")};
    auto items = [](const QComboBox* box) {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    };
    EXPECT_EQ(items(pane->PatternBox()), expected);
    auto* bar = Frame()->findChild<QDockWidget*>(QStringLiteral("Pane125"));
    ASSERT_NE(bar, nullptr);
    Frame()->addDockWidget(Qt::BottomDockWidgetArea, bar);
    Settle();
    Stop();

    ASSERT_TRUE(Start({book}));
    command = Frame()->findChild<CSearchPaneCommand*>();
    Frame()->RouteCommand(Cmd::EditFind);
    Settle();
    ASSERT_NE(command->Pane(), nullptr);
    EXPECT_EQ(items(command->Pane()->PatternBox()), expected);
    bar = Frame()->findChild<QDockWidget*>(QStringLiteral("Pane125"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Frame()->dockWidgetArea(bar), Qt::BottomDockWidgetArea);
}

} // namespace
