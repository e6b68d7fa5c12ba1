// BackgroundJobs: detached threads with a cancel flag, at most one left behind.
#include "chapters/backgroundjobs.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

// Shared by the job's thread and the runner, so either may go first.
struct BackgroundJobs::Job
{
    std::uint64_t generation = 0;
    Work work;
    std::atomic<bool> cancel{false};
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;

    bool WaitUntil(std::chrono::steady_clock::time_point deadline)
    {
        std::unique_lock guard(lock);
        return ended.wait_until(guard, deadline, [this] { return done; });
    }
    bool Done()
    {
        std::lock_guard guard(lock);
        return done;
    }
};

// The way back to the owner; cleared (under the lock) when the runner goes away, so a thread never
// calls into a destroyed object.
struct BackgroundJobs::Relay
{
    std::mutex lock;
    Ended ended;
};

namespace {
std::chrono::steady_clock::time_point After(int msecs)
{
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, msecs));
}
} // namespace

BackgroundJobs::BackgroundJobs(Ended ended) : m_relay(std::make_shared<Relay>())
{
    m_relay->ended = std::move(ended);
}

BackgroundJobs::~BackgroundJobs()
{
    RequestStop();
    std::lock_guard guard(m_relay->lock);
    m_relay->ended = {};
}

std::uint64_t BackgroundJobs::Start(Work work)
{
    Cancel();
    auto job = std::make_shared<Job>();
    job->generation = ++m_generation;
    job->work = std::move(work);
    m_current = job;
    try {
        std::thread(&BackgroundJobs::Run, job, m_relay).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the job still runs, only without the window's events meanwhile.
        Run(job, m_relay);
    }
    return job->generation;
}

void BackgroundJobs::Run(const std::shared_ptr<Job>& job, const std::shared_ptr<Relay>& relay)
{
    job->work(job->cancel);
    {
        std::lock_guard guard(job->lock);
        job->done = true;
        // What the work holds (a copy of the book) goes now, not when the last owner lets go.
        job->work = {};
    }
    job->ended.notify_all();
    std::lock_guard guard(relay->lock);
    if (relay->ended)
        relay->ended(job->generation);
}

void BackgroundJobs::RequestStop()
{
    if (m_current)
        m_current->cancel.store(true);
    if (m_abandoned)
        m_abandoned->cancel.store(true);
}

void BackgroundJobs::Cancel()
{
    Prune();
    if (!m_current)
        return;
    m_current->cancel.store(true);
    if (!m_current->WaitUntil(After(kCancelWaitMs))) {
        // The one left behind earlier was told to stop long ago: wait for it rather than leave two.
        if (m_abandoned && m_abandoned->WaitUntil(After(kAbandonedWaitMs)))
            m_abandoned.reset();
        if (!m_abandoned)
            m_abandoned = m_current;
        else if (!m_current->WaitUntil(After(kAbandonedWaitMs)))
            m_abandoned = m_current; // both still running: the newer one is the one to wait for
    }
    m_current.reset();
}

void BackgroundJobs::Prune()
{
    if (m_abandoned && m_abandoned->Done())
        m_abandoned.reset();
}

bool BackgroundJobs::WaitFor(int msecs)
{
    const auto deadline = After(msecs);
    bool all = !m_current || m_current->WaitUntil(deadline);
    if (m_abandoned)
        all = m_abandoned->WaitUntil(deadline) && all;
    Prune();
    return all;
}

bool BackgroundJobs::IsRunning() const
{
    return m_current && !m_current->Done();
}

int BackgroundJobs::AbandonedCount()
{
    Prune();
    return m_abandoned ? 1 : 0;
}
