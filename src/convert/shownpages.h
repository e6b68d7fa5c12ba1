// Pages converted for display, kept for the pages around the one being read and made ahead on a
// thread of their own.
#pragma once

#include "convert/scriptconverter.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

// Entries are found by what they were made from (the configuration, the range and every unit the
// conversion read around it), so an edited book or another book never gets a stale page and nothing
// has to be told to forget. Safe to call from any thread.
class ShownPages
{
public:
    using Range = std::pair<std::size_t, std::size_t>;
    static constexpr std::size_t kCapacity = 16;

    ShownPages();
    ~ShownPages(); // the page being made ahead is finished, the rest dropped
    ShownPages(const ShownPages&) = delete;
    ShownPages& operator=(const ShownPages&) = delete;

    // text[begin, end) as `converter` shows it (ScriptConverter::ConvertForDisplay), from the kept
    // pages when it is there; made now and kept otherwise.
    std::u16string Shown(const std::shared_ptr<ScriptConverter>& converter, std::u16string_view text,
                         std::size_t begin, std::size_t end);
    // Makes these ranges ahead on the worker, in order, in place of those still waiting. Only the
    // parts of `text` each one reads are copied, so the text may change as soon as this returns.
    void Prefetch(const std::shared_ptr<ScriptConverter>& converter, std::u16string_view text,
                  std::span<const Range> ranges);
    // Blocks until the worker has nothing left to make (tests, benchmarks).
    void WaitIdle();
    // Forgets every kept page and what is waiting.
    void Clear();
    // How many calls of Shown found their page kept.
    std::uint64_t Hits() const;

private:
    struct Entry
    {
        ConvertConfig config = ConvertConfig::None;
        std::size_t begin = 0; // the range, relative to `source`
        std::size_t end = 0;
        std::u16string source; // what the conversion read
        std::u16string shown;
        std::uint64_t used = 0;
    };
    struct Job
    {
        std::shared_ptr<ScriptConverter> converter;
        std::size_t begin = 0;
        std::size_t end = 0;
        std::u16string source;
    };

    // Under m_lock.
    const Entry* Find(ConvertConfig config, std::u16string_view source, std::size_t begin, std::size_t end);
    void Keep(Entry entry);
    void Run();

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::vector<Entry> m_entries;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stop = false;
    std::uint64_t m_clock = 0;
    std::uint64_t m_hits = 0;
    std::thread m_worker;
};
