// The reading history: one row per book in Leafturner.db (SQLite) in the profile folder.
#pragma once

#include "document/bookfingerprint.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

struct BookRecord
{
    QString path; // absolute
    BookFingerprint fingerprint;
    QString encoding;          // chosen for the book; empty when it was detected
    std::int32_t position = 0; // character offset of the first character shown
    std::int32_t length = 0;   // characters in the text
    double percent = 0;
    std::int64_t firstOpened = 0; // milliseconds since the epoch
    std::int64_t lastOpened = 0;
    std::int64_t readingSeconds = 0;
    // The display conversion chosen for the book (an OpenCC name, or "none"); empty when never chosen.
    QString conversion;
};

// position / length as 0..100.
double ReadingPercent(std::int32_t position, std::int32_t length);

// One connection. Every method is used from one thread at a time; two connections (in one or two
// processes) share the file safely.
class HistoryDb
{
public:
    enum class Status
    {
        Ok,
        Missing, // read-only open of a file that does not exist
        Newer,   // a later schema: opened read-only
        Broken,  // not a database, corrupt, or not a file that can be opened
        Busy,    // another process kept it locked past the wait
        Failed   // could not be opened or read (permissions, full disk...)
    };
    static constexpr int kSchemaVersion = 1;

    ~HistoryDb();
    HistoryDb(const HistoryDb&) = delete;
    HistoryDb& operator=(const HistoryDb&) = delete;

    // Creates the file and its tables when missing. A newer schema yields a read-only connection.
    static std::unique_ptr<HistoryDb> OpenWritable(const QString& file, Status* status);
    // Never creates or changes anything on disk.
    static std::unique_ptr<HistoryDb> OpenReadOnly(const QString& file, Status* status);
    // An in-memory copy of a database image (for checking untrusted bytes); writable makes an empty
    // image a fresh database, as a new file would be.
    static std::unique_ptr<HistoryDb> OpenImage(const std::uint8_t* data, std::size_t size, bool writable,
                                                Status* status);

    bool IsReadOnly() const { return m_readOnly; }

    std::optional<BookRecord> FindByPath(const QString& path) const;
    // The most recently read book with this fingerprint.
    std::optional<BookRecord> FindByFingerprint(const BookFingerprint& fingerprint) const;
    // Every row with this fingerprint, most recent first.
    std::vector<BookRecord> WithFingerprint(const BookFingerprint& fingerprint) const;
    // The row a book moved to from `path` (a path it had before a rename).
    std::optional<BookRecord> FindFormerPath(const QString& path) const;
    // Most recent first.
    std::vector<BookRecord> All() const;

    // Inserts the book or replaces every field of its row (found by path).
    bool Put(const BookRecord& record);
    // Position, length and percent of an existing row, its last-opened time and added reading time.
    bool UpdatePosition(const QString& path, std::int32_t position, std::int32_t length, std::int64_t when,
                        std::int64_t addSeconds);
    bool UpdateFingerprint(const QString& path, const BookFingerprint& fingerprint, std::int32_t length);
    // Moves a row to a new path (replacing any row already there); the old path is remembered.
    bool Rename(const QString& from, const QString& to);
    bool Remove(const std::vector<QString>& paths);

    // Runs `work` in one write transaction (committed when it returns true).
    template <class F> bool Transaction(F&& work)
    {
        if (!Exec("BEGIN IMMEDIATE"))
            return false;
        if (!work()) {
            Exec("ROLLBACK");
            return false;
        }
        return Exec("COMMIT") || (Exec("ROLLBACK"), false);
    }

private:
    explicit HistoryDb(sqlite3* db, bool readOnly);
    static std::unique_ptr<HistoryDb> Prepare(sqlite3* db, bool readOnly, bool mayCreate, Status* status);
    bool Exec(const char* sql) const;
    std::vector<BookRecord> Query(const char* sql, const QString* text, const BookFingerprint* fingerprint,
                                  int limit) const;

    sqlite3* m_db;
    bool m_readOnly;
};
