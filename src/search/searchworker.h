// SearchWorker: runs searches in the book on threads of their own, hits streaming back.
#pragma once

#include "search/searchquery.h"

#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Each search reads a shared, immutable copy of the text, so the book may change or go away while
// it runs. Starting a search or cancelling returns at once (the GUI thread never waits more than
// kCancelWaitMs); a cancelled search that has not noticed yet is left to end on its own, and the
// next search waits for it on its own thread, so at most one abandoned search ever runs.
class SearchWorker : public QObject
{
    Q_OBJECT
public:
    using Text = std::shared_ptr<const std::u16string>;

    static constexpr int kCancelWaitMs = 20;

    explicit SearchWorker(QObject* parent = nullptr);
    // Asks every search to stop; none reports any more.
    ~SearchWorker() override;

    // Cancels the current search, then starts this one; returns its generation. HitsReady and
    // Finished are emitted on the worker thread (receivers get them queued).
    std::uint64_t Start(Text text, SearchQuery query);
    // Asks the current search to stop and forgets it.
    void Cancel();
    // True when every search started here has ended after at most `msecs`.
    bool WaitFor(int msecs);
    bool IsRunning() const;
    std::uint64_t Generation() const;

    // Hits of the current search that arrived since the last call, in order.
    std::vector<SearchHit> TakeHits(std::uint64_t generation);
    // How the current search ended, once it has.
    std::optional<SearchOutcome> TakeOutcome(std::uint64_t generation);

signals:
    void HitsReady(quint64 generation);
    void Finished(quint64 generation);

private:
    struct Job;
    struct Relay;
    static void Run(const std::shared_ptr<Job>& job, const std::shared_ptr<Relay>& relay);
    void Prune();

    std::shared_ptr<Relay> m_relay;
    std::shared_ptr<Job> m_current;
    std::shared_ptr<Job> m_abandoned; // cancelled, maybe still running
    std::uint64_t m_generation = 0;
};
