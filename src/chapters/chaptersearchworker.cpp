// ChapterSearchWorker: chapter searches off the GUI thread, cancellable without waiting.
#include "chapters/chaptersearchworker.h"

#include "chapters/regexmatcher.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

// Everything one search touches; shared by its thread and the worker, so either may go first.
struct ChapterSearchWorker::Job
{
    std::uint64_t generation = 0;
    std::u16string text;
    ChapterConditionList conditions;
    ChapterSearchOptions options;
    std::atomic<bool> cancel{false};

    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    std::optional<Result> result;

    bool WaitUntil(std::chrono::steady_clock::time_point deadline)
    {
        std::unique_lock guard(lock);
        return ended.wait_until(guard, deadline, [this] { return done; });
    }
};

// The way back to the worker object; cleared (under the lock) when the object goes away, so a
// thread never signals a destroyed object.
struct ChapterSearchWorker::Relay
{
    std::mutex lock;
    ChapterSearchWorker* target = nullptr;
};

ChapterSearchWorker::ChapterSearchWorker(QObject* parent)
    : QObject(parent), m_relay(std::make_shared<Relay>())
{
    m_relay->target = this;
}

ChapterSearchWorker::~ChapterSearchWorker()
{
    RequestStop();
    std::lock_guard guard(m_relay->lock);
    m_relay->target = nullptr;
}

std::uint64_t ChapterSearchWorker::Start(std::u16string text, ChapterConditionList conditions,
                                         ChapterSearchOptions options)
{
    Cancel();
    auto job = std::make_shared<Job>();
    job->generation = ++m_generation;
    job->text = std::move(text);
    job->conditions = std::move(conditions);
    job->options = options;
    m_current = job;
    try {
        std::thread(&ChapterSearchWorker::Run, job, m_relay).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the search still runs, only without the window's events meanwhile.
        Run(job, m_relay);
    }
    return job->generation;
}

void ChapterSearchWorker::Run(const std::shared_ptr<Job>& job, const std::shared_ptr<Relay>& relay)
{
    Result result;
    result.generation = job->generation;
    const auto length = static_cast<std::int32_t>(job->text.size());
    RegexMatcher matcher;
    matcher.Create();
    matcher.SetGlobal(true);
    matcher.SetIgnoreCase(false);
    matcher.SetMultiline(true);
    result.status = FindChapterStarts(job->text.data(), length, matcher, job->conditions, job->options,
                                      result.table, &job->cancel);
    if (result.status == ChapterSearchResult::Done && !job->cancel.load())
        BuildChapterEntries(job->text.data(), length, result.table, job->options.noDupChapter, {},
                            [&result](const ChapterEntry& entry) { result.rows.push_back(entry); });
    if (job->cancel.load()) {
        result.status = ChapterSearchResult::Cancelled;
        result.table.Reset();
        result.rows.clear();
    }
    const std::uint64_t generation = job->generation;
    {
        std::lock_guard guard(job->lock);
        job->result = std::move(result);
        job->done = true;
        job->text = {};
    }
    job->ended.notify_all();
    std::lock_guard guard(relay->lock);
    if (relay->target)
        emit relay->target->Finished(generation);
}

void ChapterSearchWorker::RequestStop()
{
    if (m_current)
        m_current->cancel.store(true);
    for (const auto& job : m_retired)
        job->cancel.store(true);
}

void ChapterSearchWorker::Cancel()
{
    Prune();
    if (!m_current)
        return;
    m_current->cancel.store(true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCancelWaitMs);
    if (!m_current->WaitUntil(deadline))
        m_retired.push_back(m_current);
    m_current.reset();
}

void ChapterSearchWorker::Prune()
{
    std::erase_if(m_retired, [](const std::shared_ptr<Job>& job) {
        std::lock_guard guard(job->lock);
        return job->done;
    });
}

bool ChapterSearchWorker::WaitFor(int msecs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, msecs));
    bool all = !m_current || m_current->WaitUntil(deadline);
    for (const auto& job : m_retired)
        all = job->WaitUntil(deadline) && all;
    Prune();
    return all;
}

bool ChapterSearchWorker::IsRunning() const
{
    if (!m_current)
        return false;
    std::lock_guard guard(m_current->lock);
    return !m_current->done;
}

std::optional<ChapterSearchWorker::Result> ChapterSearchWorker::TakeResult(std::uint64_t generation)
{
    if (!m_current || m_current->generation != generation)
        return std::nullopt;
    std::lock_guard guard(m_current->lock);
    if (!m_current->done || !m_current->result)
        return std::nullopt;
    std::optional<Result> out = std::move(m_current->result);
    m_current->result.reset();
    return out;
}
