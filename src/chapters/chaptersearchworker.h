// ChapterSearchWorker: runs chapter searches on threads of their own, the latest one reporting back.
#pragma once

#include "chapters/backgroundjobs.h"
#include "chapters/chapterconditionlist.h"
#include "chapters/chapterdetection.h"
#include "chapters/chaptersearchoptions.h"
#include "chapters/chaptertable.h"

#include <QObject>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Each search works on its own copy of the text, conditions and settings, so the book may change
// or go away while it runs. Rows come back without labels: the view that labels them lives on the
// GUI thread.
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
        ChapterSearchReport report;
    };

    static constexpr int kCancelWaitMs = BackgroundJobs::kCancelWaitMs;

    explicit ChapterSearchWorker(QObject* parent = nullptr);
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
    // Cancelled searches still running: 0 or 1.
    int AbandonedCount();

    // The result of the current search once it ended; nothing for a forgotten or unfinished one.
    std::optional<Result> TakeResult(std::uint64_t generation);

    // The search itself, on the calling thread.
    static Result Search(const std::u16string& text, const ChapterConditionList& conditions,
                         const ChapterSearchOptions& options, const std::atomic<bool>* cancel);

signals:
    void Finished(quint64 generation);

private:
    struct Slot
    {
        std::mutex lock;
        std::optional<Result> result;
    };

    BackgroundJobs m_jobs;
    std::uint64_t m_generation = 0;
    std::shared_ptr<Slot> m_slot; // where the current search puts its result
};
