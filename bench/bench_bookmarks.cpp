// Bookmark file with 10,000 bookmarks: listing, reading, adding, and filling both dialogs.
#include "library/addbookmarkdialog.h"
#include "library/bookmarkfile.h"
#include "library/organizebookmarksdialog.h"
#include "document/codepage.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kBookmarks = 10000;

const QString& BigFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("Leafturner.bmk"));
        QString text = QStringLiteral("\r\n");
        for (int i = 0; i < kBookmarks; ++i)
            text +=
                QStringLiteral("[第%1章 书签]\r\nPATH=/home/reader/books/长篇小说%1.txt\r\nPOSITION=%2\r\n")
                    .arg(i)
                    .arg(i * 1000);
        QFile f(p);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            f.write("\xFF\xFE", 2);
            f.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        }
        return p;
    }();
    return path;
}

void BM_ListAndSortNames(benchmark::State& state)
{
    BookmarkFile file(BigFile());
    for (auto _ : state) {
        const QStringList names = BookmarkFile::SortedForDisplay(file.Names());
        benchmark::DoNotOptimize(names.size());
    }
}
BENCHMARK(BM_ListAndSortNames)->Unit(benchmark::kMillisecond);

void BM_ReadOneBookmark(benchmark::State& state)
{
    BookmarkFile file(BigFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(file.Read(QStringLiteral("第9999章 书签")).position);
}
BENCHMARK(BM_ReadOneBookmark)->Unit(benchmark::kMillisecond);

void BM_AddBookmark(benchmark::State& state)
{
    BookmarkFile file(BigFile());
    int i = 0;
    for (auto _ : state)
        file.Write(QStringLiteral("新书签"), QStringLiteral("/books/new.txt"), ++i);
}
BENCHMARK(BM_AddBookmark)->Unit(benchmark::kMillisecond);

void BM_OpenOrganizeDialog(benchmark::State& state)
{
    for (auto _ : state) {
        OrganizeBookmarksDialog dialog(nullptr, BigFile());
        benchmark::DoNotOptimize(dialog.List()->count());
    }
}
BENCHMARK(BM_OpenOrganizeDialog)->Unit(benchmark::kMillisecond);

void BM_OpenAddDialog(benchmark::State& state)
{
    for (auto _ : state) {
        AddBookmarkDialog dialog(nullptr, QStringLiteral("/books/a.txt"), 0, BigFile());
        benchmark::DoNotOptimize(dialog.NameList()->count());
    }
}
BENCHMARK(BM_OpenAddDialog)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
