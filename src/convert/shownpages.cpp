#include "convert/shownpages.h"

#include <algorithm>
#include <system_error>

ShownPages::ShownPages()
{
    try {
        m_worker = std::thread(&ShownPages::Run, this);
    } catch (const std::system_error&) {
        // No thread to be had: pages are still made, only when they are drawn.
    }
}

ShownPages::~ShownPages()
{
    {
        std::lock_guard guard(m_lock);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

const ShownPages::Entry* ShownPages::Find(ConvertConfig config, std::u16string_view source, std::size_t begin,
                                          std::size_t end)
{
    for (Entry& e : m_entries) {
        if (e.config == config && e.begin == begin && e.end == end && e.source == source) {
            e.used = ++m_clock;
            return &e;
        }
    }
    return nullptr;
}

void ShownPages::Keep(Entry entry)
{
    entry.used = ++m_clock;
    if (m_entries.size() < kCapacity) {
        m_entries.push_back(std::move(entry));
        return;
    }
    auto oldest = std::min_element(m_entries.begin(), m_entries.end(),
                                   [](const Entry& a, const Entry& b) { return a.used < b.used; });
    *oldest = std::move(entry);
}

std::u16string ShownPages::Shown(const std::shared_ptr<ScriptConverter>& converter, std::u16string_view text,
                                 std::size_t begin, std::size_t end)
{
    if (!converter)
        return {};
    const auto [from, to] = ScriptConverter::DisplayReach(text.size(), begin, end);
    end = std::min(end, text.size());
    begin = std::min(begin, end);
    const std::u16string_view source = text.substr(from, to - from);
    {
        std::lock_guard guard(m_lock);
        if (const Entry* kept = Find(converter->Config(), source, begin - from, end - from)) {
            ++m_hits;
            return kept->shown;
        }
    }
    Entry made{converter->Config(), begin - from, end - from, std::u16string(source), {}, 0};
    made.shown = converter->ConvertForDisplay(made.source, made.begin, made.end);
    std::u16string shown = made.shown;
    std::lock_guard guard(m_lock);
    if (!Find(converter->Config(), source, made.begin, made.end))
        Keep(std::move(made));
    return shown;
}

void ShownPages::Prefetch(const std::shared_ptr<ScriptConverter>& converter, std::u16string_view text,
                          std::span<const Range> ranges)
{
    if (!converter || !m_worker.joinable())
        return;
    std::deque<Job> jobs;
    {
        std::lock_guard guard(m_lock);
        for (const auto& [rangeBegin, rangeEnd] : ranges) {
            const std::size_t end = std::min(rangeEnd, text.size());
            const std::size_t begin = std::min(rangeBegin, end);
            if (begin == end)
                continue;
            const auto [from, to] = ScriptConverter::DisplayReach(text.size(), begin, end);
            const std::u16string_view source = text.substr(from, to - from);
            if (Find(converter->Config(), source, begin - from, end - from))
                continue;
            jobs.push_back({converter, begin - from, end - from, std::u16string(source)});
        }
        m_jobs = std::move(jobs);
    }
    m_wake.notify_all();
}

void ShownPages::Run()
{
    std::unique_lock guard(m_lock);
    while (true) {
        m_wake.wait(guard, [this] { return m_stop || !m_jobs.empty(); });
        if (m_stop)
            break;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        guard.unlock();
        Entry made{job.converter->Config(), job.begin, job.end, std::move(job.source), {}, 0};
        made.shown = job.converter->ConvertForDisplay(made.source, made.begin, made.end);
        guard.lock();
        if (!Find(made.config, made.source, made.begin, made.end))
            Keep(std::move(made));
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
    m_idle.notify_all();
}

void ShownPages::WaitIdle()
{
    std::unique_lock guard(m_lock);
    m_idle.wait(guard, [this] { return m_stop || (m_jobs.empty() && !m_busy); });
}

void ShownPages::Clear()
{
    std::lock_guard guard(m_lock);
    m_entries.clear();
    m_jobs.clear();
}

std::uint64_t ShownPages::Hits() const
{
    std::lock_guard guard(m_lock);
    return m_hits;
}
