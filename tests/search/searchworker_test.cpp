// The search worker: hits stream back, a new search replaces the old one at once.
#include "search/searchworker.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {

SearchWorker::Text TextOf(const QString& s)
{
    return std::make_shared<const std::u16string>(reinterpret_cast<const char16_t*>(s.utf16()),
                                                  static_cast<std::size_t>(s.size()));
}

// Runs the event loop until `generation` finished (or 10 s), collecting what it reported.
struct Collected
{
    std::vector<SearchHit> hits;
    std::optional<SearchOutcome> outcome;
    int batches = 0;
    std::vector<quint64> finishedGenerations;
};

Collected RunUntilFinished(SearchWorker& worker, std::uint64_t generation)
{
    Collected c;
    QEventLoop loop;
    QObject::connect(&worker, &SearchWorker::HitsReady, &loop, [&](quint64 g) {
        if (g != generation)
            return;
        auto batch = worker.TakeHits(g);
        c.hits.insert(c.hits.end(), batch.begin(), batch.end());
        ++c.batches;
    });
    QObject::connect(&worker, &SearchWorker::Finished, &loop, [&](quint64 g) {
        c.finishedGenerations.push_back(g);
        if (g != generation)
            return;
        auto rest = worker.TakeHits(g);
        c.hits.insert(c.hits.end(), rest.begin(), rest.end());
        c.outcome = worker.TakeOutcome(g);
        loop.quit();
    });
    // A short search may have finished before the connections above were made.
    if (auto done = worker.TakeOutcome(generation)) {
        auto rest = worker.TakeHits(generation);
        c.hits.insert(c.hits.end(), rest.begin(), rest.end());
        c.outcome = done;
        return c;
    }
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return c;
}

int Argc = 1;
char Arg0[] = "search_test";
char* Argv[] = {Arg0, nullptr};

class Worker : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance())
            new QCoreApplication(Argc, Argv);
    }
};

TEST_F(Worker, StreamsEveryHitInOrder)
{
    const QString text = QStringLiteral("查找 ").repeated(3000);
    SearchWorker worker;
    const auto g = worker.Start(TextOf(text), {QStringLiteral("查找"), false, false, false});
    const Collected c = RunUntilFinished(worker, g);
    ASSERT_TRUE(c.outcome);
    EXPECT_EQ(c.outcome->status, SearchStatus::Done);
    EXPECT_EQ(c.outcome->count, 3000);
    ASSERT_EQ(c.hits.size(), 3000u);
    for (std::size_t i = 0; i < c.hits.size(); ++i)
        ASSERT_EQ(c.hits[i].offset, static_cast<std::int32_t>(3 * i));
}

// A hostile search still busy on another book must not hold up the next one, nor report into it.
TEST_F(Worker, NewSearchCancelsTheOldAtOnce)
{
    const QString slow = QString(QString(20'000, u'中') + u'\r').repeated(50);
    SearchWorker worker;
    const auto old = worker.Start(TextOf(slow), {QStringLiteral("(?:[^\\r]|x)*[YZ]"), true, false, false});
    QElapsedTimer clock;
    clock.start();
    const auto g =
        worker.Start(TextOf(QStringLiteral("一本新书，新书")), {QStringLiteral("新书"), false, false, false});
    EXPECT_LT(clock.elapsed(), 50);
    EXPECT_NE(old, g);
    EXPECT_TRUE(worker.TakeHits(old).empty());
    EXPECT_FALSE(worker.TakeOutcome(old));
    const Collected c = RunUntilFinished(worker, g);
    ASSERT_TRUE(c.outcome);
    EXPECT_EQ(c.hits, (std::vector<SearchHit>{{2, 2}, {5, 2}}));
    EXPECT_EQ(std::count(c.finishedGenerations.begin(), c.finishedGenerations.end(), old), 0);
    EXPECT_TRUE(worker.WaitFor(5000));
}

} // namespace
