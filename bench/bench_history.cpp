// The reading history with 10,000 books: the lookup each open does, filling the dialog, and the
// fingerprint of a 30 MB book.
#include "history/historydialog.h"
#include "history/historystore.h"

#include <QApplication>
#include <QFile>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kBooks = 10000;

QTemporaryDir& Dir()
{
    static QTemporaryDir dir;
    return dir;
}

QString BookPath(int i)
{
    return QStringLiteral("/home/reader/books/第%1卷/长篇小说%2.txt").arg(i % 97).arg(i);
}

// A history of 10,000 books, made once; each benchmark opens its own store over it.
const QString& BigHistory()
{
    static const QString file = [] {
        const QString f = Dir().filePath(QStringLiteral("Leafturner.db"));
        HistoryDb::Status status;
        auto db = HistoryDb::OpenWritable(f, &status);
        db->Transaction([&] {
            for (int i = 0; i < kBooks; ++i) {
                BookRecord r;
                r.path = BookPath(i);
                r.fingerprint = {1000000 + i, static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ULL};
                r.length = 2000000;
                r.position = i * 100;
                r.percent = ReadingPercent(r.position, r.length);
                r.firstOpened = 1600000000000LL + i;
                r.lastOpened = 1700000000000LL + i * 1000LL;
                r.readingSeconds = i * 7;
                if (!db->Put(r))
                    return false;
            }
            return true;
        });
        return f;
    }();
    return file;
}

const QString& BigBook()
{
    static const QString path = [] {
        const QString p = Dir().filePath(QStringLiteral("big.txt"));
        QFile f(p);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray(30 * 1024 * 1024, 'x'));
        return p;
    }();
    return path;
}

// What opening a remembered book costs: the row by path, its last-read time written.
void BM_LookupOnOpen(benchmark::State& state)
{
    HistoryStore store(BigHistory());
    int i = 0;
    for (auto _ : state) {
        i = (i + 7919) % kBooks;
        const auto r =
            store.OpenBook(BookPath(i), {1000000 + i, static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ULL},
                           2000000, QString());
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_LookupOnOpen)->Unit(benchmark::kMillisecond);

// A book opened from a new place: not found by path, found by fingerprint (read only).
void BM_LookupByFingerprint(benchmark::State& state)
{
    HistoryDb::Status status;
    const auto db = HistoryDb::OpenReadOnly(BigHistory(), &status);
    int i = 0;
    for (auto _ : state) {
        i = (i + 7919) % kBooks;
        benchmark::DoNotOptimize(db->FindByPath(QStringLiteral("/elsewhere/x.txt")));
        benchmark::DoNotOptimize(
            db->FindByFingerprint({1000000 + i, static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ULL}));
    }
}
BENCHMARK(BM_LookupByFingerprint)->Unit(benchmark::kMillisecond);

void BM_OpenHistoryDialog(benchmark::State& state)
{
    HistoryStore store(BigHistory());
    for (auto _ : state) {
        HistoryDialog dialog(store);
        benchmark::DoNotOptimize(dialog.Proxy()->rowCount());
    }
}
BENCHMARK(BM_OpenHistoryDialog)->Unit(benchmark::kMillisecond);

void BM_FingerprintOf30MBBook(benchmark::State& state)
{
    const QString& path = BigBook();
    for (auto _ : state)
        benchmark::DoNotOptimize(FingerprintOfFile(path));
}
BENCHMARK(BM_FingerprintOf30MBBook)->Unit(benchmark::kMillisecond);

// The reader's case: the 30 MB already read for decoding.
void BM_FingerprintOf30MBInMemory(benchmark::State& state)
{
    const QByteArray bytes(30 * 1024 * 1024, 'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(FingerprintOfBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                    static_cast<std::size_t>(bytes.size())));
}
BENCHMARK(BM_FingerprintOf30MBInMemory)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
