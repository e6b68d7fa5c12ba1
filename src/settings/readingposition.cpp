// The coalescing position writer: one thread, the latest report, the settings file and other sinks.
#include "settings/readingposition.h"

#include "settings/inifile.h"
#include "settings/parablock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Report
{
    QString path;
    std::int32_t offset = 0;
};

void StoreInSettings(const Report& r)
{
    // A position belongs to the book PARA_LAST_PATH names; another book's would mislead the restore.
    if (r.path.isEmpty() || r.path != theParaBlock.GetString(PARA_LAST_PATH))
        return;
    const QString ini = theParaBlock.IniPath();
    if (!ini.isEmpty())
        IniFile(ini).WriteString(QStringLiteral("ParaBlock"), QString::fromLatin1(ParaKeyName(PARA_LAST_POS)),
                                 QString::number(r.offset));
}

class PositionWriter
{
public:
    ~PositionWriter() { StopThread(); }

    void Add(ReadingPositionSink* sink)
    {
        std::lock_guard guard(m_lock);
        m_sinks.push_back(sink);
    }

    void Remove(ReadingPositionSink* sink)
    {
        // After a store in progress, so the sink is not called once this returns.
        std::lock_guard store(m_storeLock);
        std::lock_guard guard(m_lock);
        m_sinks.erase(std::remove(m_sinks.begin(), m_sinks.end(), sink), m_sinks.end());
    }

    void Post(Report report)
    {
        std::lock_guard guard(m_lock);
        const auto now = Clock::now();
        if (!m_pending)
            m_deadline = now + std::chrono::milliseconds(kPositionMaxDelayMs);
        m_pending = std::move(report);
        m_due = std::min(m_deadline, now + std::chrono::milliseconds(kPositionQuietMs));
        if (!m_thread.joinable()) {
            m_stop = false;
            m_thread = std::thread([this] { Run(); });
        }
        m_wake.notify_one();
    }

    // Takes the pending report under the store lock, so whatever is stored last is the latest.
    void Store()
    {
        std::lock_guard store(m_storeLock);
        std::optional<Report> report;
        std::vector<ReadingPositionSink*> sinks;
        {
            std::lock_guard guard(m_lock);
            report.swap(m_pending);
            sinks = m_sinks;
        }
        if (!report)
            return;
        StoreInSettings(*report);
        for (ReadingPositionSink* sink : sinks)
            sink->StorePosition(report->path, report->offset);
    }

    void StopThread()
    {
        {
            std::lock_guard guard(m_lock);
            m_stop = true;
            m_wake.notify_one();
        }
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    void Run()
    {
        std::unique_lock guard(m_lock);
        while (!m_stop) {
            if (!m_pending) {
                m_wake.wait(guard);
                continue;
            }
            if (Clock::now() < m_due) {
                m_wake.wait_until(guard, m_due);
                continue;
            }
            guard.unlock();
            Store();
            guard.lock();
        }
    }

    std::mutex m_storeLock; // held while storing; taken before m_lock
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::optional<Report> m_pending;
    Clock::time_point m_due;
    Clock::time_point m_deadline;
    std::vector<ReadingPositionSink*> m_sinks;
    std::thread m_thread;
    bool m_stop = false;
};

PositionWriter& Writer()
{
    static PositionWriter writer;
    return writer;
}

} // namespace

void AddReadingPositionSink(ReadingPositionSink* sink)
{
    if (sink)
        Writer().Add(sink);
}

void RemoveReadingPositionSink(ReadingPositionSink* sink)
{
    Writer().Remove(sink);
}

void ReportReadingPosition(const QString& bookPath, std::int32_t offset)
{
    if (!bookPath.isEmpty() && bookPath == theParaBlock.GetString(PARA_LAST_PATH))
        theParaBlock.SetInt(PARA_LAST_POS, offset, false);
    Writer().Post({bookPath, offset});
}

void FlushReadingPosition()
{
    Writer().Store();
}

void StopReadingPositionWriter()
{
    Writer().Store();
    Writer().StopThread();
}
