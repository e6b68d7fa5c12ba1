// ChapterSearchWorker: the chapter search as a background job.
#include "chapters/chaptersearchworker.h"

#include "chapters/regexmatcher.h"

ChapterSearchWorker::ChapterSearchWorker(QObject* parent)
    : QObject(parent), m_jobs([this](std::uint64_t generation) { emit Finished(generation); })
{
}

ChapterSearchWorker::~ChapterSearchWorker() = default;

ChapterSearchWorker::Result ChapterSearchWorker::Search(const std::u16string& text,
                                                        const ChapterConditionList& conditions,
                                                        const ChapterSearchOptions& options,
                                                        const std::atomic<bool>* cancel)
{
    Result result;
    const auto length = static_cast<std::int32_t>(text.size());
    RegexMatcher matcher;
    matcher.Create();
    matcher.SetGlobal(true);
    matcher.SetIgnoreCase(false);
    matcher.SetMultiline(true);
    result.status = FindChapterStarts(text.data(), length, matcher, conditions, options, result.table, cancel,
                                      &result.report);
    const auto cancelled = [cancel] { return cancel && cancel->load(); };
    if (result.status == ChapterSearchResult::Done && !cancelled())
        BuildChapterEntries(text.data(), length, result.table, options.noDupChapter, {},
                            [&result](const ChapterEntry& entry) { result.rows.push_back(entry); });
    if (cancelled()) {
        result.status = ChapterSearchResult::Cancelled;
        result.table.Reset();
        result.rows.clear();
        result.report = {};
    }
    return result;
}

std::uint64_t ChapterSearchWorker::Start(std::u16string text, ChapterConditionList conditions,
                                         ChapterSearchOptions options)
{
    Cancel();
    auto slot = std::make_shared<Slot>();
    m_slot = slot;
    const std::uint64_t generation = m_generation + 1;
    m_generation = m_jobs.Start([slot, generation, text = std::move(text), conditions = std::move(conditions),
                                 options](const std::atomic<bool>& cancel) {
        Result result = Search(text, conditions, options, &cancel);
        result.generation = generation;
        std::lock_guard guard(slot->lock);
        slot->result = std::move(result);
    });
    return m_generation;
}

void ChapterSearchWorker::Cancel()
{
    m_jobs.Cancel();
    m_slot.reset();
}

void ChapterSearchWorker::RequestStop()
{
    m_jobs.RequestStop();
}

bool ChapterSearchWorker::WaitFor(int msecs)
{
    return m_jobs.WaitFor(msecs);
}

bool ChapterSearchWorker::IsRunning() const
{
    return m_jobs.IsRunning();
}

int ChapterSearchWorker::AbandonedCount()
{
    return m_jobs.AbandonedCount();
}

std::optional<ChapterSearchWorker::Result> ChapterSearchWorker::TakeResult(std::uint64_t generation)
{
    if (!m_slot || generation != m_generation)
        return std::nullopt;
    std::lock_guard guard(m_slot->lock);
    std::optional<Result> out = std::move(m_slot->result);
    m_slot->result.reset();
    return out;
}
