// SearchWorker: searches off the GUI thread, cancelled without waiting for them.
#include "search/searchworker.h"

#include "search/searchscripts.h"
#include "search/textsearch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

// Everything one search touches; shared by its thread and the worker, so either may go first.
struct SearchWorker::Job
{
    std::uint64_t generation = 0;
    Text text;
    SearchQuery query;
    std::shared_ptr<Job> predecessor; // an abandoned search to outlast before starting
    std::atomic<bool> cancel{false};

    mutable std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    bool notified = false; // a HitsReady is on its way and nobody took the hits yet
    std::vector<SearchHit> hits;
    std::optional<SearchOutcome> outcome;

    bool WaitUntil(std::chrono::steady_clock::time_point deadline)
    {
        std::unique_lock guard(lock);
        return ended.wait_until(guard, deadline, [this] { return done; });
    }
};

// The way back to the worker object; cleared (under the lock) when the object goes away, so a
// thread never signals a destroyed object.
struct SearchWorker::Relay
{
    std::mutex lock;
    SearchWorker* target = nullptr;
};

SearchWorker::SearchWorker(QObject* parent) : QObject(parent), m_relay(std::make_shared<Relay>())
{
    m_relay->target = this;
}

SearchWorker::~SearchWorker()
{
    if (m_current)
        m_current->cancel.store(true);
    if (m_abandoned)
        m_abandoned->cancel.store(true);
    std::lock_guard guard(m_relay->lock);
    m_relay->target = nullptr;
}

std::uint64_t SearchWorker::Start(Text text, SearchQuery query)
{
    Cancel();
    auto job = std::make_shared<Job>();
    job->generation = ++m_generation;
    job->text = text ? std::move(text) : std::make_shared<const std::u16string>();
    job->query = std::move(query);
    job->predecessor = m_abandoned;
    m_current = job;
    try {
        std::thread(&SearchWorker::Run, job, m_relay).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the search still runs, only without the window's events meanwhile.
        Run(job, m_relay);
    }
    return job->generation;
}

void SearchWorker::Run(const std::shared_ptr<Job>& job, const std::shared_ptr<Relay>& relay)
{
    auto signal = [&relay](auto member, std::uint64_t generation) {
        std::lock_guard guard(relay->lock);
        if (relay->target)
            emit(relay->target->*member)(generation);
    };
    if (std::shared_ptr<Job> before = std::move(job->predecessor)) {
        using namespace std::chrono_literals;
        while (!job->cancel.load() && !before->WaitUntil(std::chrono::steady_clock::now() + 10ms)) {
        }
    }
    SearchOutcome outcome{SearchStatus::Cancelled, {}, 0};
    if (!job->cancel.load() && job->query.otherForms.isEmpty())
        job->query.otherForms = OtherScriptForms(job->query); // may load dictionaries: not on the GUI thread
    if (!job->cancel.load()) {
        const std::u16string& text = *job->text;
        outcome = FindHits(
            text.data(), static_cast<std::int32_t>(text.size()), job->query,
            [&](std::span<const SearchHit> batch) {
                bool tell = false;
                {
                    std::lock_guard guard(job->lock);
                    job->hits.insert(job->hits.end(), batch.begin(), batch.end());
                    tell = !job->notified;
                    job->notified = true;
                }
                if (tell && !job->cancel.load())
                    signal(&SearchWorker::HitsReady, job->generation);
            },
            &job->cancel);
    }
    if (job->cancel.load())
        outcome = {SearchStatus::Cancelled, {}, 0};
    {
        std::lock_guard guard(job->lock);
        job->outcome = outcome;
        job->done = true;
        job->text.reset();
        if (outcome.status == SearchStatus::Cancelled)
            job->hits.clear();
    }
    job->ended.notify_all();
    if (outcome.status != SearchStatus::Cancelled)
        signal(&SearchWorker::Finished, job->generation);
}

void SearchWorker::Cancel()
{
    Prune();
    if (!m_current)
        return;
    m_current->cancel.store(true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCancelWaitMs);
    if (!m_current->WaitUntil(deadline)) {
        // The one before it is still running: this one waits for it, so the newer is kept.
        if (m_abandoned)
            m_abandoned->cancel.store(true);
        m_abandoned = m_current;
    }
    m_current.reset();
}

void SearchWorker::Prune()
{
    if (!m_abandoned)
        return;
    bool done = false;
    {
        std::lock_guard guard(m_abandoned->lock);
        done = m_abandoned->done;
    }
    if (done)
        m_abandoned.reset();
}

bool SearchWorker::WaitFor(int msecs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, msecs));
    bool all = !m_current || m_current->WaitUntil(deadline);
    if (m_abandoned)
        all = m_abandoned->WaitUntil(deadline) && all;
    Prune();
    return all;
}

bool SearchWorker::IsRunning() const
{
    if (!m_current)
        return false;
    std::lock_guard guard(m_current->lock);
    return !m_current->done;
}

std::uint64_t SearchWorker::Generation() const
{
    return m_current ? m_current->generation : 0;
}

std::vector<SearchHit> SearchWorker::TakeHits(std::uint64_t generation)
{
    if (!m_current || m_current->generation != generation)
        return {};
    std::lock_guard guard(m_current->lock);
    m_current->notified = false;
    return std::exchange(m_current->hits, {});
}

std::optional<SearchOutcome> SearchWorker::TakeOutcome(std::uint64_t generation)
{
    if (!m_current || m_current->generation != generation)
        return std::nullopt;
    std::lock_guard guard(m_current->lock);
    if (!m_current->done)
        return std::nullopt;
    return std::exchange(m_current->outcome, std::nullopt);
}
