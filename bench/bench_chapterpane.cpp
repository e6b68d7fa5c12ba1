// A refresh of the chapter pane: ten million characters with 2,000 chapters searched on the worker
// thread, rows labelled and listed on the GUI thread, and the longest stall of the GUI thread meanwhile.
#include "chapters/chapterlistdlg.h"
#include "document/documenthost.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "settings/profile.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdint>

namespace {

constexpr qsizetype kBookUnits = 10'000'000;
constexpr int kChapters = 2000;

// Paragraphs of common characters with a heading every 5,000 characters; "第" turns up in the
// text now and then, as in real books.
QString Book()
{
    QString s;
    s.reserve(kBookUnits + 1024);
    std::uint32_t seed = 7;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    const QString common =
        QStringLiteral("的一是了我不人在他有这个上们来到时大地为子中你说生国年着就那和要她出也得里后自以会");
    int chapter = 0;
    while (s.size() < kBookUnits) {
        if (chapter < kChapters && s.size() >= static_cast<qsizetype>(chapter) * (kBookUnits / kChapters)) {
            ++chapter;
            s += QStringLiteral("第") + QString::number(chapter) + QStringLiteral("章 夜行\r\n");
        }
        s += QStringLiteral("　　");
        const std::uint32_t len = 20 + next() % 280;
        for (std::uint32_t i = 0; i < len; ++i) {
            const std::uint32_t r = next() % 100;
            s += r < 8   ? QChar(u'，')
                 : r < 9 ? QChar(u'第')
                         : common[static_cast<qsizetype>(next() % common.size())];
        }
        s += QStringLiteral("\r\n");
    }
    return s;
}

class BenchView : public CMyView
{
public:
    using CMyView::CMyView;
    QString FormatPositionLabel(std::int32_t offset) const override
    {
        return QString::number(offset / 1500 + 1);
    }
};

class BenchHost : public DocumentHost
{
public:
    explicit BenchHost(CMyView* view) : m_view(view) {}
    CMyView* ActiveView() const override { return m_view; }
    void ChapterPaneClear() override {}
    void ChapterPaneRefresh() override {}
    bool SwitchView(bool) override { return false; }
    QString AskSaveAsPath(const QString&) override { return {}; }
    void LocateInFileList(const QString&) override {}
    void UpdateFrameTitle() override {}

private:
    CMyView* m_view;
};

void BM_PaneRefresh(benchmark::State& state)
{
    QTemporaryDir dir;
    CoreOptions options;
    options.profile = dir.path();
    if (!InitCore(options, QString(), nullptr)) {
        state.SkipWithError("no profile");
        return;
    }
    const QString path = dir.filePath(QStringLiteral("book.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the book");
            return;
        }
        f.write("\xFF\xFE", 2);
        const QString book = Book();
        f.write(reinterpret_cast<const char*>(book.utf16()), book.size() * 2);
    }
    CLeafturnerDoc doc;
    if (!doc.OnOpenDocument(path)) {
        state.SkipWithError("cannot open the book");
        return;
    }
    BenchView view(&doc);
    BenchHost host(&view);
    CChapterListDlg pane(&host, nullptr);
    pane.resize(300, 600);
    pane.show();
    QApplication::processEvents();
    while (pane.IsSearching())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);

    // The longest time the event loop went without serving a 1 ms timer.
    QElapsedTimer gap;
    qint64 worstGap = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { worstGap = std::max(worstGap, gap.restart()); });
    probe.start(1);
    for (auto _ : state) {
        gap.start();
        pane.Refresh();
        while (pane.IsSearching())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    probe.stop();
    if (pane.List()->rowCount() != kChapters)
        state.SkipWithError(("expected 2000 rows, got " + std::to_string(pane.List()->rowCount())).c_str());
    state.counters["gui_stall_ms"] = static_cast<double>(worstGap);
}

} // namespace

BENCHMARK(BM_PaneRefresh)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
