// BackgroundJobs: long searches on threads of their own, the latest one current, cancellable.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// Runs one job at a time on a thread of its own; starting another cancels the one before. A job
// polls the flag it is given and ends soon after it turns true. A cancelled job that does not end
// within kCancelWaitMs is abandoned to end on its own, but never more than one at a time: the
// window must not wait for a hostile search, nor may refreshes pile up threads each holding a copy
// of the book.
class BackgroundJobs
{
public:
    using Work = std::function<void(const std::atomic<bool>& cancel)>;
    // Called on the job's thread once the work has returned, with the job's generation.
    using Ended = std::function<void(std::uint64_t generation)>;

    static constexpr int kCancelWaitMs = 250;
    // How long a second cancelled job waits for the one already abandoned.
    static constexpr int kAbandonedWaitMs = 5000;

    explicit BackgroundJobs(Ended ended = {});
    // Asks every job to stop without waiting; no job calls `ended` afterwards.
    ~BackgroundJobs();
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;

    // Cancels the current job, then starts this one; returns its generation (from 1).
    std::uint64_t Start(Work work);
    // Asks the current job to stop, waits up to kCancelWaitMs for it, and forgets it.
    void Cancel();
    // Asks every job to stop without waiting.
    void RequestStop();
    // True when every job started here has ended after at most `msecs`.
    bool WaitFor(int msecs);
    // The current job has not ended yet.
    bool IsRunning() const;
    // Cancelled jobs still running: 0 or 1.
    int AbandonedCount();

private:
    struct Job;
    struct Relay;
    static void Run(const std::shared_ptr<Job>& job, const std::shared_ptr<Relay>& relay);
    void Prune();

    std::shared_ptr<Relay> m_relay;
    std::shared_ptr<Job> m_current;
    std::shared_ptr<Job> m_abandoned;
    std::uint64_t m_generation = 0;
};
