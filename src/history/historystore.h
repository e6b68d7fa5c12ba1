// The reader's reading history: finds a book's row when it opens, keeps its position as the reader
// turns pages (written at most once a second, on a thread of its own) and serves the history dialog.
#pragma once

#include "history/historydb.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class HistoryStore
{
public:
    // Opens (or makes) `file`. A broken file is moved aside and replaced; every problem is told once
    // through the message sink. Without a usable file the store remembers nothing.
    explicit HistoryStore(const QString& file);
    ~HistoryStore(); // writes what is pending
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    bool IsAvailable() const { return m_db != nullptr; }
    bool IsReadOnly() const { return !m_db || m_db->IsReadOnly(); }
    QString File() const { return m_file; }

    // A book was opened: its row by path, else by fingerprint (a moved book's row takes the new path;
    // a copy gets a row of its own starting where the other left off). Makes the row when none
    // exists and marks it last read now. The stored record, or none for a book never read before.
    std::optional<BookRecord> OpenBook(const QString& path, const BookFingerprint& fingerprint,
                                       std::int32_t length, const QString& encoding);
    // The open book's first shown character moved. Never waits for the disk.
    void NotePosition(const QString& path, std::int32_t position, std::int32_t length);
    // The book was written: new size, hash and length.
    void NoteSaved(const QString& path, const BookFingerprint& fingerprint, std::int32_t length);
    // The open book is closed or replaced: its reading time is counted and everything written.
    void CloseBook();
    // Blocks until every position noted so far is in the file.
    void Flush();

    std::optional<BookRecord> Find(const QString& path) const;
    // Where a book that was at `missingPath` is now: a path it moved to, or an existing file with
    // the same fingerprint. None when it cannot be found.
    std::optional<BookRecord> FindMoved(const QString& missingPath) const;
    // Most recent first, pending positions included.
    std::vector<BookRecord> All();
    bool Remove(const QString& path);
    // The encoding the user chose for the book at `path` (empty: detected); false when it has no row.
    bool SetEncoding(const QString& path, const QString& encoding);
    // The display conversion chosen for the book ("none" when chosen off, empty when never chosen);
    // false when it has no row.
    bool SetConversion(const QString& path, const QString& conversion);
    // Drops the rows whose file no longer exists; returns how many.
    int RemoveMissing();

    // Milliseconds since the epoch; tests replace it.
    using Clock = std::int64_t (*)();
    static void SetClock(Clock clock);

private:
    struct Pending
    {
        std::int32_t position = 0;
        std::int32_t length = 0;
        std::int64_t when = 0;
        std::int64_t addSeconds = 0;
    };
    static std::int64_t Now();
    void Run();
    std::int64_t TakeReadingSeconds();

    QString m_file;
    std::unique_ptr<HistoryDb> m_db; // the caller's thread: lookups and the rare writes

    // Reading time of the open book.
    QString m_openPath;
    std::chrono::steady_clock::time_point m_lastActivity;
    std::int64_t m_unreportedMs = 0;

    // Coalesced position writes, by the writer thread with a connection of its own.
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::map<QString, Pending> m_pending;
    std::uint64_t m_posted = 0;
    std::uint64_t m_written = 0;
    bool m_flushWanted = false;
    bool m_stop = false;
    std::thread m_writer;
};
