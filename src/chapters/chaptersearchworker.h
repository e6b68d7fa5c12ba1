// ChapterSearchWorker: runs chapter searches on threads of their own, the latest one reporting back.
#pragma once

#include "chapters/chapterconditionlist.h"
#include "chapters/chapterdetection.h"
#include "chapters/chaptersearchoptions.h"
#include "chapters/chaptertable.h"

#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Each search works on its own copy of the text, conditions and settings, so the book may change
// or go away while it runs, and a cancelled search never has to be waited for: a hostile condition
// that keeps the engine busy between two checks of the cancel flag cannot freeze the window. Rows
// come back without labels: the view that labels them lives on the GUI thread.
class ChapterSearchWorker : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        std::uint64_t generation = 0;
        ChapterSearchResult status = ChapterSearchResult::Done;
        ChapterTable table; // compacted: entry i is rows[i]
        std::vector<ChapterEntry> rows;
    };

    // How long Cancel gives a search to notice before it is left to end on its own.
    static constexpr int kCancelWaitMs = 250;

    explicit ChapterSearchWorker(QObject* parent = nullptr);
    // Asks every search to stop; none reports any more.
    ~ChapterSearchWorker() override;

    // Cancels the current search, then starts this one; returns its generation. Finished is
    // emitted (on the worker thread, so receivers get it queued) when it ends.
    std::uint64_t Start(std::u16string text, ChapterConditionList conditions, ChapterSearchOptions options);
    // Asks the current search to stop, waits up to kCancelWaitMs for it, and forgets it.
    void Cancel();
    // Asks every search to stop without waiting.
    void RequestStop();
    // True when every search started here has ended after at most `msecs`.
    bool WaitFor(int msecs);
    // The current search has not ended yet.
    bool IsRunning() const;

    // The result of the current search once it ended; nothing for a forgotten or unfinished one.
    std::optional<Result> TakeResult(std::uint64_t generation);

signals:
    void Finished(quint64 generation);

private:
    struct Job;
    struct Relay;
    static void Run(const std::shared_ptr<Job>& job, const std::shared_ptr<Relay>& relay);
    void Prune();

    std::shared_ptr<Relay> m_relay;
    std::shared_ptr<Job> m_current;
    std::vector<std::shared_ptr<Job>> m_retired; // cancelled, maybe still running
    std::uint64_t m_generation = 0;
};
