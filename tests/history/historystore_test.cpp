// The reading history store: positions per book across restarts, moved books, saved books, two
// processes at once, a process killed while writing, and broken or newer database files.
#include "historyfixture.h"

#include "document/textbuffer.h"

#include <QDirIterator>
#include <csignal>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using HistoryTest = HistoryFixture;

TEST_F(HistoryTest, EachBookKeepsItsPositionAcrossARestart)
{
    const QStringList books = {WriteBook(QStringLiteral("a.txt"), 1), WriteBook(QStringLiteral("b.txt"), 2),
                               WriteBook(QStringLiteral("c.txt"), 3)};
    const std::int32_t positions[] = {1500, 99000, 180000};
    {
        HistoryStore store(DbFile());
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < 3; ++i) {
                const auto before = Open(store, books[i]);
                // A book seen before comes back where the last turn left it, never at page 1.
                EXPECT_EQ(before.has_value(), round > 0);
                if (before) {
                    EXPECT_EQ(before->position, positions[i] / 2);
                }
                store.NotePosition(books[i], positions[i] / (2 - round), 200000);
            }
        }
    } // destroyed without an explicit flush: the destructor writes what is pending

    HistoryStore again(DbFile());
    const auto all = again.All();
    ASSERT_EQ(all.size(), 3u);
    // Most recent first: c, b, a.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(all[static_cast<std::size_t>(2 - i)].path, books[i]);
        EXPECT_EQ(all[static_cast<std::size_t>(2 - i)].position, positions[i]);
        EXPECT_DOUBLE_EQ(all[static_cast<std::size_t>(2 - i)].percent, 100.0 * positions[i] / 200000);
    }
    for (int i = 0; i < 3; ++i) {
        const auto r = Open(again, books[i]);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->position, positions[i]);
    }
}

TEST_F(HistoryTest, MovedRenamedAndCopiedBooksAreFoundByFingerprint)
{
    struct Case
    {
        const char* to;
        bool keepOriginal; // a copy rather than a move
    } cases[] = {{"renamed.txt", false}, {"elsewhere/deeper/a.txt", false}, {"copy.txt", true}};
    int seed = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        QFile::remove(DbFile());
        const QString from = WriteBook(QStringLiteral("a.txt"), ++seed);
        const QString to = Path(QString::fromUtf8(c.to));
        QDir().mkpath(QFileInfo(to).absolutePath());
        HistoryStore store(DbFile());
        Open(store, from);
        store.NotePosition(from, 4321, 200000);
        Open(store, WriteBook(QStringLiteral("other.txt"), 99 + seed)); // another book in between
        QFile::remove(to);
        ASSERT_TRUE(c.keepOriginal ? QFile::copy(from, to) : QFile::rename(from, to));

        const auto found = Open(store, to);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->position, 4321);
        EXPECT_EQ(store.Find(from).has_value(), c.keepOriginal);
        ASSERT_TRUE(store.Find(to));
        EXPECT_EQ(store.All().size(), c.keepOriginal ? 3u : 2u);
        if (!c.keepOriginal) {
            // A bookmark still naming the old path finds the book where it is now.
            const auto moved = store.FindMoved(from);
            ASSERT_TRUE(moved);
            EXPECT_EQ(moved->path, to);
        }
        QFile::remove(from);
        QFile::remove(to);
    }
}

TEST_F(HistoryTest, BookmarkOfABookMovedSinceItWasReadFindsItsCopy)
{
    // The book was read at one place, later opened again from a copy, and then the first file went.
    const QString first = WriteBook(QStringLiteral("first.txt"), 5);
    const QString second = Path(QStringLiteral("second.txt"));
    HistoryStore store(DbFile());
    Open(store, first);
    ASSERT_TRUE(QFile::copy(first, second));
    Open(store, second);
    ASSERT_TRUE(QFile::remove(first));
    const auto moved = store.FindMoved(first);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->path, second);
    // Nothing to find for a path never read, or when the copy is gone as well.
    EXPECT_FALSE(store.FindMoved(Path(QStringLiteral("never.txt"))));
    QFile::remove(second);
    EXPECT_FALSE(store.FindMoved(first));
}

TEST_F(HistoryTest, FingerprintFromTheBytesReadMatchesTheFile)
{
    // The reader hashes the bytes it decoded; a bookmark's file is hashed from disk. They must agree,
    // for small books, ones shorter than both edges and ones far longer, in every encoding.
    const QByteArray utf16("\xFF\xFE\x2D\x4E\x87\x65", 6);
    for (const int size : {1, 1000, 100000, 131072, 300000}) {
        const QString path = WriteBook(QStringLiteral("f.txt"), size, size);
        TextBuffer buffer;
        ASSERT_TRUE(buffer.Load(path));
        EXPECT_EQ(buffer.Fingerprint(), FingerprintOfFile(path)) << size;
        EXPECT_EQ(buffer.Fingerprint().size, size);
    }
    QFile f(Path(QStringLiteral("u.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(utf16.repeated(30000));
    f.close();
    TextBuffer buffer;
    ASSERT_TRUE(buffer.Load(f.fileName()));
    EXPECT_EQ(buffer.Fingerprint(), FingerprintOfFile(f.fileName()));
    // One changed byte in the middle is not seen (only the edges are hashed); one at the end is.
    const QString a = WriteBook(QStringLiteral("g.txt"), 7, 400000);
    const BookFingerprint before = FingerprintOfFile(a);
    QFile g(a);
    ASSERT_TRUE(g.open(QIODevice::ReadWrite));
    g.seek(399999);
    g.write("#");
    g.close();
    EXPECT_NE(FingerprintOfFile(a), before);
    EXPECT_FALSE(FingerprintOfFile(Path(QStringLiteral("none.txt"))).IsValid());
    EXPECT_FALSE(FingerprintOfFile(m_dir.path()).IsValid());
}

TEST_F(HistoryTest, SavingAnEditedBookKeepsItsRow)
{
    const QString path = WriteBook(QStringLiteral("edit.txt"), 3, 150000);
    TextBuffer buffer;
    ASSERT_TRUE(buffer.Load(path));
    HistoryStore store(DbFile());
    store.OpenBook(path, buffer.Fingerprint(), buffer.Length(), QString());
    store.NotePosition(path, 120000, buffer.Length());

    // The edit cuts the book to 100,000 characters: the position moves to its last character, where
    // a view still has a page to show.
    buffer.SetLength(100000);
    ASSERT_TRUE(buffer.Save(path));
    store.NoteSaved(path, buffer.Fingerprint(), buffer.Length());
    const auto row = store.Find(path);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->fingerprint, FingerprintOfFile(path));
    EXPECT_EQ(row->length, 100000);
    EXPECT_EQ(row->position, 99999);
    EXPECT_DOUBLE_EQ(row->percent, 99.999);

    // Moved after the save, it is found by the new fingerprint.
    const QString moved = Path(QStringLiteral("moved.txt"));
    ASSERT_TRUE(QFile::rename(path, moved));
    const auto found = Open(store, moved, 100000);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->position, 99999);
    EXPECT_EQ(store.All().size(), 1u);

    // Saved under another name: the new file has a row of its own, the old one keeps its own.
    ASSERT_TRUE(buffer.Save(Path(QStringLiteral("saved-as.txt"))));
    store.NoteSaved(Path(QStringLiteral("saved-as.txt")), buffer.Fingerprint(), buffer.Length());
    EXPECT_EQ(store.All().size(), 2u);
    EXPECT_EQ(store.Find(Path(QStringLiteral("saved-as.txt")))->position, 99999);
    // Opened again shorter than its row says (changed outside the reader): within the text too.
    EXPECT_EQ(Open(store, moved, 5000)->position, 4999);
}

// Runs `work` in a child process; returns its pid.
template <class F> pid_t Child(F work)
{
    const pid_t pid = fork();
    if (pid == 0) {
        work();
        _exit(0);
    }
    return pid;
}

int Wait(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

TEST_F(HistoryTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kBooks = 60;
    const QString db = DbFile();
    const QString dir = m_dir.path();
    auto writer = [db, dir](int who) {
        return [db, dir, who] {
            HistoryStore::SetClock(nullptr);
            HistoryStore store(db);
            for (int i = 0; i < kBooks; ++i) {
                const QString path = dir + QStringLiteral("/p%1-%2.txt").arg(who).arg(i);
                store.OpenBook(path, BookFingerprint{i, static_cast<std::uint64_t>(who)}, 1000, QString());
                store.NotePosition(path, i + who, 1000);
            }
        };
    };
    const pid_t a = Child(writer(1));
    const pid_t b = Child(writer(2));
    EXPECT_EQ(Wait(a), 0);
    EXPECT_EQ(Wait(b), 0);

    HistoryDb::Status status = HistoryDb::Status::Failed;
    const auto reader = HistoryDb::OpenReadOnly(db, &status);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->All().size(), 2u * kBooks);
    for (int who = 1; who <= 2; ++who)
        for (int i = 0; i < kBooks; ++i) {
            const auto r = reader->FindByPath(dir + QStringLiteral("/p%1-%2.txt").arg(who).arg(i));
            ASSERT_TRUE(r) << who << ' ' << i;
            EXPECT_EQ(r->position, i + who);
        }
}

TEST_F(HistoryTest, KilledWhileWritingLeavesEveryCommittedRow)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const QString db = DbFile();
    const QString dir = m_dir.path();
    const pid_t pid = Child([&] {
        close(pipeFds[0]);
        HistoryStore::SetClock(nullptr);
        HistoryStore store(db);
        for (std::int32_t i = 0;; ++i) {
            const QString path = dir + QStringLiteral("/k%1.txt").arg(i);
            store.OpenBook(path, BookFingerprint{i, 1}, 1 << 20, QString()); // written before it returns
            for (int turn = 0; turn < 20; ++turn)
                store.NotePosition(path, turn, 1 << 20); // coalesced on the writer thread
            if (write(pipeFds[1], &i, sizeof i) != sizeof i)
                _exit(1);
        }
    });
    close(pipeFds[1]);
    std::int32_t last = -1;
    std::int32_t value = 0;
    while (last < 300 && read(pipeFds[0], &value, sizeof value) == sizeof value)
        last = value;
    kill(pid, SIGKILL);
    Wait(pid);
    close(pipeFds[0]);
    ASSERT_GE(last, 300);

    HistoryDb::Status status = HistoryDb::Status::Failed;
    const auto reader = HistoryDb::OpenWritable(db, &status); // checks the file's integrity
    ASSERT_TRUE(reader);
    EXPECT_EQ(status, HistoryDb::Status::Ok);
    for (std::int32_t i = 0; i <= last; ++i)
        ASSERT_TRUE(reader->FindByPath(dir + QStringLiteral("/k%1.txt").arg(i))) << i;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void SetUserVersion(const QString& file, int version)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    const QByteArray sql = "PRAGMA user_version = " + QByteArray::number(version);
    EXPECT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST_F(HistoryTest, BrokenOrNewerDatabaseFiles)
{
    enum class Damage
    {
        Garbage,
        Truncated,
        ForeignTables,
        NewerSchema
    };
    struct Case
    {
        Damage damage;
        bool movedAside;
        bool readOnly;
        const char* message;
    } cases[] = {
        {Damage::Garbage, true, false, "已损坏"},
        {Damage::Truncated, true, false, "已损坏"},
        {Damage::ForeignTables, true, false, "已损坏"},
        {Damage::NewerSchema, false, true, "只能查看"},
    };
    const QString book = WriteBook(QStringLiteral("b.txt"), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.damage));
        QDir dir(m_dir.path());
        for (const QString& name : dir.entryList({QStringLiteral("Leafturner.db*")}, QDir::Files))
            dir.remove(name);
        {
            HistoryStore store(DbFile());
            for (int i = 0; i < 400; ++i)
                store.OpenBook(Path(QStringLiteral("x%1.txt").arg(i)), BookFingerprint{i, 2}, 10, QString());
            Open(store, book);
            store.NotePosition(book, 777, 200000);
        }
        QFile f(DbFile());
        switch (c.damage) {
        case Damage::Garbage:
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(5000, 'x'));
            break;
        case Damage::Truncated:
            ASSERT_TRUE(f.resize(f.size() / 2));
            break;
        case Damage::ForeignTables: {
            sqlite3* db = nullptr;
            QFile::remove(DbFile());
            ASSERT_EQ(sqlite3_open(QFile::encodeName(DbFile()).constData(), &db), SQLITE_OK);
            sqlite3_exec(db, "CREATE TABLE notes(x)", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            break;
        }
        case Damage::NewerSchema:
            SetUserVersion(DbFile(), HistoryDb::kSchemaVersion + 1);
            break;
        }
        f.close();
        const QByteArray damaged = ReadAll(DbFile());

        RecordingMessageSink sink;
        ScopedMessageSink scoped(&sink);
        {
            HistoryStore store(DbFile());
            ASSERT_EQ(sink.Messages().size(), 1) << sink.Messages().join(u'|').toStdString();
            EXPECT_TRUE(sink.Last().contains(QString::fromUtf8(c.message))) << sink.Last().toStdString();
            EXPECT_EQ(store.IsReadOnly(), c.readOnly);
            const auto seen = Open(store, book);
            store.NotePosition(book, 5, 200000);
            // A newer file is still read; a fresh one knows nothing yet.
            EXPECT_EQ(seen.has_value(), c.readOnly);
            if (seen) {
                EXPECT_EQ(seen->position, 777);
            }
        }
        const QStringList aside = dir.entryList({QStringLiteral("Leafturner.db.broken-*")}, QDir::Files);
        EXPECT_EQ(aside.size(), c.movedAside ? 1 : 0);
        if (c.movedAside) {
            EXPECT_EQ(ReadAll(dir.filePath(aside.value(0))), damaged);
            HistoryStore fresh(DbFile()); // the replacement works and is told about no more
            EXPECT_EQ(fresh.Find(book)->position, 5);
        } else {
            EXPECT_EQ(ReadAll(DbFile()), damaged); // a newer file is never written
        }
        EXPECT_EQ(sink.Messages().size(), 1);
    }
}

} // namespace
