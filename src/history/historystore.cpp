#include "history/historystore.h"

#include "settings/messagesink.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

// A position past the end (the book got shorter) becomes its last character: a view shows no page
// for an offset beyond the text.
std::int32_t WithinText(std::int32_t position, std::int32_t length)
{
    return std::clamp(position, 0, std::max(0, length - 1));
}

constexpr auto kWriteInterval = std::chrono::seconds(1);
// A longer pause between two page turns is not all reading: count it as this much.
constexpr std::int64_t kMaxPauseMs = 5 * 60 * 1000;

HistoryStore::Clock g_clock = nullptr;

QString MsgMovedAside(const QString& aside)
{
    return QStringLiteral("阅读记录文件已损坏，已改名为“%1”，并新建了一份阅读记录。").arg(aside);
}

QString MsgNewer()
{
    return QStringLiteral("阅读记录由较新版本的程序创建，只能查看，不会保存新的阅读位置。");
}

QString MsgUnavailable()
{
    return QStringLiteral("阅读记录无法打开，本次不会记住阅读位置。");
}

bool Exists(const QString& path)
{
    return QFileInfo(path).isFile();
}

} // namespace

void HistoryStore::SetClock(Clock clock)
{
    g_clock = clock;
}

std::int64_t HistoryStore::Now()
{
    return g_clock ? g_clock() : QDateTime::currentMSecsSinceEpoch();
}

HistoryStore::HistoryStore(const QString& file) : m_file(file)
{
    HistoryDb::Status status = HistoryDb::Status::Failed;
    m_db = HistoryDb::OpenWritable(file, &status);
    if (status == HistoryDb::Status::Broken && QFileInfo::exists(file)) {
        m_db.reset();
        const QString aside = file + QStringLiteral(".broken-") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        if (QFile::rename(file, aside)) {
            // The journal belongs to the broken file; a fresh database must not replay it.
            QFile::rename(file + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
            QFile::remove(file + QStringLiteral("-shm"));
            m_db = HistoryDb::OpenWritable(file, &status);
        }
        if (m_db && status == HistoryDb::Status::Ok)
            ShowMessage(MsgMovedAside(QFileInfo(aside).fileName()), MsgIcon::Warning);
    }
    if (status == HistoryDb::Status::Newer) {
        ShowMessage(MsgNewer(), MsgIcon::Warning);
    } else if (status != HistoryDb::Status::Ok) {
        m_db.reset();
        ShowMessage(MsgUnavailable(), MsgIcon::Warning);
    }
    if (m_db && !m_db->IsReadOnly())
        m_writer = std::thread([this] { Run(); });
}

HistoryStore::~HistoryStore()
{
    CloseBook();
    if (m_writer.joinable()) {
        {
            std::lock_guard lock(m_lock);
            m_stop = true;
        }
        m_wake.notify_all();
        m_writer.join();
    }
}

void HistoryStore::Run()
{
    HistoryDb::Status status = HistoryDb::Status::Failed;
    const auto db = HistoryDb::OpenWritable(m_file, &status);
    const bool usable = db && !db->IsReadOnly();
    auto lastWrite = std::chrono::steady_clock::now() - kWriteInterval;
    std::unique_lock lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || m_flushWanted || !m_pending.empty(); });
        if (!m_pending.empty() && !m_stop && !m_flushWanted)
            m_wake.wait_until(lock, lastWrite + kWriteInterval, [&] { return m_stop || m_flushWanted; });
        std::map<QString, Pending> batch;
        batch.swap(m_pending);
        const std::uint64_t upto = m_posted;
        m_flushWanted = false;
        bool ok = true;
        if (!batch.empty()) {
            lock.unlock();
            ok = usable && db->Transaction([&] {
                for (const auto& [path, p] : batch)
                    if (!db->UpdatePosition(path, p.position, p.length, p.when, p.addSeconds))
                        return false;
                return true;
            });
            lastWrite = std::chrono::steady_clock::now();
            lock.lock();
            if (!ok && usable && !m_stop) {
                // Tried again with the next batch; a newer position of the same book wins.
                for (auto& [path, p] : batch) {
                    auto [it, fresh] = m_pending.try_emplace(path, p);
                    if (!fresh)
                        it->second.addSeconds += p.addSeconds;
                }
            }
        }
        m_written = std::max(m_written, upto);
        m_done.notify_all();
        if (m_stop && (m_pending.empty() || !ok))
            break;
    }
    m_written = m_posted;
    m_done.notify_all();
}

void HistoryStore::Flush()
{
    if (!m_writer.joinable())
        return;
    std::unique_lock lock(m_lock);
    const std::uint64_t target = m_posted;
    if (m_written >= target)
        return;
    m_flushWanted = true;
    m_wake.notify_all();
    m_done.wait(lock, [&] { return m_written >= target; });
}

std::int64_t HistoryStore::TakeReadingSeconds()
{
    const auto now = std::chrono::steady_clock::now();
    const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_lastActivity).count();
    m_lastActivity = now;
    m_unreportedMs += std::clamp<std::int64_t>(gap, 0, kMaxPauseMs);
    const std::int64_t seconds = m_unreportedMs / 1000;
    m_unreportedMs %= 1000;
    return seconds;
}

void HistoryStore::NotePosition(const QString& path, std::int32_t position, std::int32_t length)
{
    if (IsReadOnly() || path.isEmpty())
        return;
    const std::int64_t seconds = path == m_openPath ? TakeReadingSeconds() : 0;
    {
        std::lock_guard lock(m_lock);
        Pending& p = m_pending[path];
        p.position = std::max(0, position);
        p.length = std::max(0, length);
        p.when = Now();
        p.addSeconds += seconds;
        ++m_posted;
    }
    m_wake.notify_all();
}

void HistoryStore::CloseBook()
{
    if (!m_openPath.isEmpty() && !IsReadOnly()) {
        const std::int64_t seconds = TakeReadingSeconds();
        if (seconds > 0) {
            std::lock_guard lock(m_lock);
            auto it = m_pending.find(m_openPath);
            if (it != m_pending.end()) {
                it->second.addSeconds += seconds;
            } else if (auto row = m_db->FindByPath(m_openPath)) {
                m_pending[m_openPath] = {row->position, row->length, Now(), seconds};
            }
            ++m_posted;
        }
    }
    m_openPath.clear();
    Flush();
}

std::optional<BookRecord> HistoryStore::OpenBook(const QString& path, const BookFingerprint& fingerprint,
                                                 std::int32_t length, const QString& encoding)
{
    CloseBook();
    if (!m_db || path.isEmpty())
        return std::nullopt;
    const std::int64_t now = Now();
    std::optional<BookRecord> found = m_db->FindByPath(path);
    BookRecord row;
    if (found) {
        row = *found;
    } else if (auto same = m_db->FindByFingerprint(fingerprint)) {
        found = same;
        row = *same;
        if (!m_db->IsReadOnly() && !Exists(same->path)) {
            m_db->Rename(same->path, path); // moved or renamed: the row follows the book
        } else {
            row.firstOpened = now; // a copy: its own row, starting where the other one is
            row.readingSeconds = 0;
        }
    } else {
        row.encoding = encoding;
        row.firstOpened = now;
    }
    row.path = path;
    if (fingerprint.IsValid())
        row.fingerprint = fingerprint;
    row.length = std::max(0, length);
    row.position = WithinText(row.position, row.length);
    row.percent = ReadingPercent(row.position, row.length);
    row.lastOpened = now;
    if (!m_db->IsReadOnly())
        m_db->Put(row);
    m_openPath = path;
    m_lastActivity = std::chrono::steady_clock::now();
    m_unreportedMs = 0;
    if (found)
        return row;
    return std::nullopt;
}

void HistoryStore::NoteSaved(const QString& path, const BookFingerprint& fingerprint, std::int32_t length)
{
    if (IsReadOnly() || path.isEmpty())
        return;
    Flush();
    if (m_db->FindByPath(path)) {
        m_db->UpdateFingerprint(path, fingerprint, length);
        return;
    }
    // Saved under a new name: the copy starts where the open book is.
    BookRecord row;
    if (auto open = m_db->FindByPath(m_openPath))
        row = *open;
    row.path = path;
    row.fingerprint = fingerprint;
    row.length = std::max(0, length);
    row.position = WithinText(row.position, row.length);
    row.percent = ReadingPercent(row.position, row.length);
    row.firstOpened = row.lastOpened = Now();
    row.readingSeconds = 0;
    m_db->Put(row);
    if (!m_openPath.isEmpty())
        m_openPath = path;
}

bool HistoryStore::SetEncoding(const QString& path, const QString& encoding)
{
    if (IsReadOnly() || path.isEmpty())
        return false;
    std::optional<BookRecord> row = Find(path);
    if (!row)
        return false;
    row->encoding = encoding;
    return m_db->Put(*row);
}

bool HistoryStore::SetConversion(const QString& path, const QString& conversion)
{
    if (IsReadOnly() || path.isEmpty())
        return false;
    std::optional<BookRecord> row = Find(path);
    if (!row)
        return false;
    row->conversion = conversion;
    return m_db->Put(*row);
}

std::optional<BookRecord> HistoryStore::Find(const QString& path) const
{
    if (!m_db)
        return std::nullopt;
    {
        std::lock_guard lock(m_lock);
        if (auto it = m_pending.find(path); it != m_pending.end()) {
            if (auto row = m_db->FindByPath(path)) {
                row->position = it->second.position;
                row->length = it->second.length;
                row->percent = ReadingPercent(row->position, row->length);
                return row;
            }
        }
    }
    return m_db->FindByPath(path);
}

std::optional<BookRecord> HistoryStore::FindMoved(const QString& missingPath) const
{
    if (!m_db)
        return std::nullopt;
    if (auto moved = m_db->FindFormerPath(missingPath); moved && Exists(moved->path))
        return moved;
    const auto old = m_db->FindByPath(missingPath);
    if (!old)
        return std::nullopt;
    for (const BookRecord& r : m_db->WithFingerprint(old->fingerprint))
        if (r.path != missingPath && Exists(r.path) && FingerprintOfFile(r.path) == r.fingerprint)
            return r;
    return std::nullopt;
}

std::vector<BookRecord> HistoryStore::All()
{
    if (!m_db)
        return {};
    Flush();
    return m_db->All();
}

bool HistoryStore::Remove(const QString& path)
{
    if (IsReadOnly())
        return false;
    Flush();
    {
        std::lock_guard lock(m_lock);
        m_pending.erase(path);
    }
    return m_db->Remove({path});
}

int HistoryStore::RemoveMissing()
{
    if (IsReadOnly())
        return 0;
    std::vector<QString> gone;
    for (const BookRecord& r : All())
        if (!Exists(r.path))
            gone.push_back(r.path);
    if (gone.empty() || !m_db->Remove(gone))
        return 0;
    return static_cast<int>(gone.size());
}
