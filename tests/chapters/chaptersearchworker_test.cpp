// Abandoned chapter searches: cancelled inside a costly run, never more than one left behind.
#include "chapters/chaptersearchworker.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <chrono>
#include <string>
#include <thread>

namespace {

// The project's costly condition: every line tries (a|aa)* in thousands of ways before the "b"
// without reaching the step limit, and no line ever matches, so the engine reports nothing for a
// long time.
std::u16string CostlyBook()
{
    std::u16string line(16, u'a');
    line += u"bc\r";
    std::u16string text = u"第1章 甲\r";
    for (int i = 0; i < 400000; ++i)
        text += line;
    return text;
}

ChapterConditionList CostlyConditions()
{
    ChapterConditionList conditions;
    conditions.Add(QStringLiteral("*(a|aa)*c"));
    conditions.Add(QStringLiteral("*第×章"));
    return conditions;
}

ChapterSearchOptions NoLineHead()
{
    ChapterSearchOptions options;
    options.lineHead = 0;
    return options;
}

TEST(ChapterSearchWorker, CancelStopsACostlySearchAndLeavesAtMostOneBehind)
{
    const std::u16string book = CostlyBook();
    ChapterSearchWorker worker;
    // Each refresh cancels the search before; however quickly they come, at most one is left running.
    for (int refresh = 0; refresh < 4; ++refresh) {
        worker.Start(book, CostlyConditions(), NoLineHead());
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_TRUE(worker.IsRunning()) << refresh;
        EXPECT_LE(worker.AbandonedCount(), 1) << refresh;
    }
    QElapsedTimer clock;
    clock.start();
    worker.Cancel();
    EXPECT_LE(worker.AbandonedCount(), 1);
    // Within the wait the window gives its workers when it closes.
    EXPECT_TRUE(worker.WaitFor(5000));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(worker.AbandonedCount(), 0);
    // Not left running past the test, whatever happened above.
    worker.RequestStop();
    worker.WaitFor(120000);
}

TEST(ChapterSearchWorker, FinishedSearchGivesItsRowsAndReport)
{
    ChapterSearchWorker worker;
    std::u16string book = u"第1章 甲\r正文\r";
    book += std::u16string(10000, u' ') + u"x章\r第2章 乙\r";
    ChapterConditionList conditions;
    conditions.Add(QStringLiteral("*第×[章]"));
    const std::uint64_t generation = worker.Start(book, conditions, ChapterSearchOptions{});
    ASSERT_TRUE(worker.WaitFor(60000));
    const auto result = worker.TakeResult(generation);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->status, ChapterSearchResult::Done);
    ASSERT_EQ(result->rows.size(), 2u);
    EXPECT_EQ(result->rows[1].title, QStringLiteral("第2章 乙"));
    EXPECT_EQ(result->report.limitedConditions, QStringList{QStringLiteral("第×[章]")});
    EXPECT_FALSE(worker.TakeResult(generation).has_value());
}

} // namespace
