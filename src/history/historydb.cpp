#include "history/historydb.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace {

constexpr int kBusyMilliseconds = 5000;

constexpr const char* kCreate = R"(
CREATE TABLE books(
  id INTEGER PRIMARY KEY,
  path TEXT NOT NULL UNIQUE,
  size INTEGER NOT NULL,
  hash INTEGER NOT NULL,
  encoding TEXT NOT NULL DEFAULT '',
  position INTEGER NOT NULL DEFAULT 0,
  length INTEGER NOT NULL DEFAULT 0,
  percent REAL NOT NULL DEFAULT 0,
  first_opened INTEGER NOT NULL,
  last_opened INTEGER NOT NULL,
  reading_seconds INTEGER NOT NULL DEFAULT 0,
  conversion TEXT NOT NULL DEFAULT '');
CREATE INDEX books_fingerprint ON books(size, hash);
CREATE INDEX books_recent ON books(last_opened);
CREATE TABLE former_paths(
  path TEXT PRIMARY KEY,
  book INTEGER NOT NULL);
PRAGMA user_version = 1;
)";

constexpr const char* kColumns = "SELECT path, size, hash, encoding, position, length, percent, "
                                 "first_opened, last_opened, reading_seconds, conversion "
                                 "FROM books ";

// A prepared statement, finalised on scope exit.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            m_stmt = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return m_stmt != nullptr; }
    void Bind(int i, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, i, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    void Bind(int i, std::int64_t value) { sqlite3_bind_int64(m_stmt, i, value); }
    void Bind(int i, double value) { sqlite3_bind_double(m_stmt, i, value); }
    int Step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_ERROR; }
    bool Run() { return Step() == SQLITE_DONE; }
    std::int64_t Int(int i) const { return sqlite3_column_int64(m_stmt, i); }
    double Real(int i) const { return sqlite3_column_double(m_stmt, i); }
    QString Text(int i) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, i)) : QString();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

std::int32_t Clamp32(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, INT32_MAX));
}

BookRecord ReadRecord(const Statement& s)
{
    BookRecord r;
    r.path = s.Text(0);
    r.fingerprint = {s.Int(1), static_cast<std::uint64_t>(s.Int(2))};
    r.encoding = s.Text(3);
    r.position = Clamp32(s.Int(4));
    r.length = Clamp32(s.Int(5));
    r.percent = std::clamp(s.Real(6), 0.0, 100.0);
    r.firstOpened = s.Int(7);
    r.lastOpened = s.Int(8);
    r.readingSeconds = std::max<std::int64_t>(0, s.Int(9));
    r.conversion = s.Text(10);
    return r;
}

void SetStatus(HistoryDb::Status* status, HistoryDb::Status value)
{
    if (status)
        *status = value;
}

HistoryDb::Status StatusOf(int code)
{
    switch (code & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
    case SQLITE_CANTOPEN:
        return HistoryDb::Status::Broken;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return HistoryDb::Status::Busy;
    default:
        return HistoryDb::Status::Failed;
    }
}

} // namespace

double ReadingPercent(std::int32_t position, std::int32_t length)
{
    if (length <= 0 || position <= 0)
        return 0;
    return std::min(100.0, 100.0 * static_cast<double>(position) / static_cast<double>(length));
}

HistoryDb::HistoryDb(sqlite3* db, bool readOnly) : m_db(db), m_readOnly(readOnly) {}

HistoryDb::~HistoryDb()
{
    sqlite3_close_v2(m_db);
}

bool HistoryDb::Exec(const char* sql) const
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::unique_ptr<HistoryDb> HistoryDb::Prepare(sqlite3* raw, bool readOnly, bool mayCreate, Status* status)
{
    std::unique_ptr<HistoryDb> db(new HistoryDb(raw, readOnly));
    sqlite3_busy_timeout(raw, kBusyMilliseconds);
    sqlite3_extended_result_codes(raw, 1);
    // The file is not trusted: no functions with side effects from its triggers and views, and no
    // writes that could corrupt it on purpose.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    auto fail = [&](int code) {
        SetStatus(status, StatusOf(code));
        return nullptr;
    };
    auto version = [&](int* out) {
        Statement s(raw, "PRAGMA user_version");
        const int rc = s.Step();
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? SQLITE_CORRUPT : (s ? rc : sqlite3_errcode(raw));
        *out = static_cast<int>(s.Int(0));
        return SQLITE_OK;
    };
    int schema = 0;
    if (const int rc = version(&schema); rc != SQLITE_OK)
        return fail(rc);
    {
        Statement check(raw, "PRAGMA quick_check");
        if (check.Step() != SQLITE_ROW || check.Text(0) != QLatin1String("ok"))
            return fail(check ? SQLITE_CORRUPT : sqlite3_errcode(raw));
    }
    if (schema == 0 && mayCreate && !readOnly) {
        if (!db->Exec("BEGIN IMMEDIATE"))
            return fail(sqlite3_errcode(raw));
        // Another process may have made the tables while this one waited for the lock.
        int again = 0;
        if (version(&again) != SQLITE_OK) {
            db->Exec("ROLLBACK");
            return fail(sqlite3_errcode(raw));
        }
        Statement tables(raw, "SELECT count(*) FROM sqlite_schema");
        const bool empty = tables.Step() == SQLITE_ROW && tables.Int(0) == 0;
        if (again == 0 && !empty) {
            db->Exec("ROLLBACK");
            return fail(SQLITE_NOTADB); // someone else's database under our name
        }
        if (again == 0 && !db->Exec(kCreate)) {
            const int rc = sqlite3_errcode(raw);
            db->Exec("ROLLBACK");
            return fail(rc);
        }
        if (!db->Exec("COMMIT")) {
            const int rc = sqlite3_errcode(raw);
            db->Exec("ROLLBACK");
            return fail(rc);
        }
        schema = again == 0 ? kSchemaVersion : again;
    }
    if (!readOnly && schema <= kSchemaVersion) {
        // Only once the file is known to be ours. WAL lets a second reader work alongside; NORMAL
        // sync never loses a commit to a killed process.
        if (!db->Exec("PRAGMA journal_mode=WAL") || !db->Exec("PRAGMA synchronous=NORMAL"))
            return fail(sqlite3_errcode(raw));
    }
    if (schema > kSchemaVersion) {
        db->m_readOnly = true;
        db->Exec("PRAGMA query_only=1");
        SetStatus(status, Status::Newer);
    } else {
        SetStatus(status, Status::Ok);
    }
    if (schema == 0) {
        SetStatus(status, Status::Missing); // an empty file opened read-only: nothing remembered yet
        return db;
    }
    Statement probe(raw, "SELECT path, size, hash, encoding, position, length, percent, first_opened, "
                         "last_opened, reading_seconds, conversion FROM books LIMIT 0");
    if (!probe)
        return fail(SQLITE_CORRUPT); // the version says ours, the tables do not
    return db;
}

std::unique_ptr<HistoryDb> HistoryDb::OpenWritable(const QString& file, Status* status)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(raw);
        SetStatus(status, StatusOf(rc));
        return nullptr;
    }
    return Prepare(raw, false, true, status);
}

std::unique_ptr<HistoryDb> HistoryDb::OpenReadOnly(const QString& file, Status* status)
{
    if (!QFileInfo(file).isFile()) {
        SetStatus(status, Status::Missing);
        return nullptr;
    }
    // With no journal beside it the file holds everything, and opening it as immutable keeps SQLite
    // from making the -wal and -shm files a read-only look must not leave behind.
    const bool journal =
        QFileInfo::exists(file + QStringLiteral("-wal")) || QFileInfo::exists(file + QStringLiteral("-shm"));
    QUrl uri = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    uri.setScheme(QStringLiteral("file"));
    uri.setQuery(journal ? QStringLiteral("mode=ro") : QStringLiteral("mode=ro&immutable=1"));
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(uri.toEncoded().constData(), &raw,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(raw);
        SetStatus(status, StatusOf(rc));
        return nullptr;
    }
    return Prepare(raw, true, false, status);
}

std::unique_ptr<HistoryDb> HistoryDb::OpenImage(const std::uint8_t* data, std::size_t size, bool writable,
                                                Status* status)
{
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        sqlite3_close_v2(raw);
        SetStatus(status, Status::Failed);
        return nullptr;
    }
    auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(size ? size : 1));
    if (copy == nullptr) {
        sqlite3_close_v2(raw);
        SetStatus(status, Status::Failed);
        return nullptr;
    }
    if (size)
        std::memcpy(copy, data, size);
    const int rc = sqlite3_deserialize(
        raw, "main", copy, static_cast<sqlite3_int64>(size), static_cast<sqlite3_int64>(size ? size : 1),
        SQLITE_DESERIALIZE_FREEONCLOSE |
            (writable ? SQLITE_DESERIALIZE_RESIZEABLE : SQLITE_DESERIALIZE_READONLY));
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(raw);
        SetStatus(status, Status::Failed);
        return nullptr;
    }
    return Prepare(raw, !writable, writable, status);
}

std::vector<BookRecord> HistoryDb::Query(const char* where, const QString* text,
                                         const BookFingerprint* fingerprint, int limit) const
{
    std::vector<BookRecord> rows;
    const QByteArray sql = QByteArray(kColumns) + where;
    Statement s(m_db, sql.constData());
    if (!s)
        return rows;
    int i = 1;
    if (text)
        s.Bind(i++, *text);
    if (fingerprint) {
        s.Bind(i++, fingerprint->size);
        s.Bind(i++, static_cast<std::int64_t>(fingerprint->hash));
    }
    if (limit > 0)
        s.Bind(i++, static_cast<std::int64_t>(limit));
    while (s.Step() == SQLITE_ROW)
        rows.push_back(ReadRecord(s));
    return rows;
}

std::optional<BookRecord> HistoryDb::FindByPath(const QString& path) const
{
    auto rows = Query("WHERE path = ?", &path, nullptr, 0);
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

std::optional<BookRecord> HistoryDb::FindByFingerprint(const BookFingerprint& fingerprint) const
{
    if (!fingerprint.IsValid())
        return std::nullopt;
    auto rows = Query("WHERE size = ? AND hash = ? ORDER BY last_opened DESC, id DESC LIMIT ?", nullptr,
                      &fingerprint, 1);
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

std::vector<BookRecord> HistoryDb::WithFingerprint(const BookFingerprint& fingerprint) const
{
    if (!fingerprint.IsValid())
        return {};
    return Query("WHERE size = ? AND hash = ? ORDER BY last_opened DESC, id DESC", nullptr, &fingerprint, 0);
}

std::vector<BookRecord> HistoryDb::All() const
{
    return Query("ORDER BY last_opened DESC, id DESC", nullptr, nullptr, 0);
}

bool HistoryDb::Put(const BookRecord& r)
{
    if (m_readOnly)
        return false;
    Statement s(
        m_db,
        "INSERT INTO books(path, size, hash, encoding, position, length, percent, first_opened, "
        "last_opened, reading_seconds, conversion) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11) "
        "ON CONFLICT(path) DO UPDATE SET size = ?2, hash = ?3, encoding = ?4, position = ?5, "
        "length = ?6, percent = ?7, first_opened = ?8, last_opened = ?9, reading_seconds = ?10, "
        "conversion = ?11");
    s.Bind(1, r.path);
    s.Bind(2, r.fingerprint.size);
    s.Bind(3, static_cast<std::int64_t>(r.fingerprint.hash));
    s.Bind(4, r.encoding);
    s.Bind(5, static_cast<std::int64_t>(r.position));
    s.Bind(6, static_cast<std::int64_t>(r.length));
    s.Bind(7, r.percent);
    s.Bind(8, r.firstOpened);
    s.Bind(9, r.lastOpened);
    s.Bind(10, r.readingSeconds);
    s.Bind(11, r.conversion);
    return s.Run();
}

bool HistoryDb::UpdatePosition(const QString& path, std::int32_t position, std::int32_t length,
                               std::int64_t when, std::int64_t addSeconds)
{
    if (m_readOnly)
        return false;
    Statement s(
        m_db,
        "UPDATE books SET position = ?2, length = ?3, percent = ?4, last_opened = max(last_opened, ?5), "
        "reading_seconds = reading_seconds + ?6 WHERE path = ?1");
    s.Bind(1, path);
    s.Bind(2, static_cast<std::int64_t>(position));
    s.Bind(3, static_cast<std::int64_t>(length));
    s.Bind(4, ReadingPercent(position, length));
    s.Bind(5, when);
    s.Bind(6, std::max<std::int64_t>(0, addSeconds));
    return s.Run();
}

bool HistoryDb::UpdateFingerprint(const QString& path, const BookFingerprint& fingerprint,
                                  std::int32_t length)
{
    if (m_readOnly)
        return false;
    Statement s(m_db,
                "UPDATE books SET size = ?2, hash = ?3, length = ?4, "
                "percent = CASE WHEN ?4 > 0 THEN 100.0 * max(0, min(position, ?4 - 1)) / ?4 ELSE 0 END, "
                "position = max(0, min(position, ?4 - 1)) WHERE path = ?1");
    s.Bind(1, path);
    s.Bind(2, fingerprint.size);
    s.Bind(3, static_cast<std::int64_t>(fingerprint.hash));
    s.Bind(4, static_cast<std::int64_t>(length));
    return s.Run();
}

bool HistoryDb::Rename(const QString& from, const QString& to)
{
    if (m_readOnly)
        return false;
    if (from == to)
        return true;
    return Transaction([&] {
        Statement drop(m_db, "DELETE FROM books WHERE path = ?");
        drop.Bind(1, to);
        Statement alias(
            m_db,
            "INSERT OR REPLACE INTO former_paths(path, book) SELECT path, id FROM books WHERE path = ?");
        alias.Bind(1, from);
        Statement unalias(m_db, "DELETE FROM former_paths WHERE path = ?");
        unalias.Bind(1, to);
        Statement move(m_db, "UPDATE books SET path = ?2 WHERE path = ?1");
        move.Bind(1, from);
        move.Bind(2, to);
        return drop.Run() && alias.Run() && unalias.Run() && move.Run();
    });
}

bool HistoryDb::Remove(const std::vector<QString>& paths)
{
    if (m_readOnly)
        return false;
    return Transaction([&] {
        for (const QString& path : paths) {
            Statement aliases(m_db,
                              "DELETE FROM former_paths WHERE book IN (SELECT id FROM books WHERE path = ?)");
            aliases.Bind(1, path);
            Statement s(m_db, "DELETE FROM books WHERE path = ?");
            s.Bind(1, path);
            if (!aliases.Run() || !s.Run())
                return false;
        }
        return true;
    });
}

std::optional<BookRecord> HistoryDb::FindFormerPath(const QString& path) const
{
    auto rows = Query("WHERE id = (SELECT book FROM former_paths WHERE path = ?)", &path, nullptr, 0);
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}
