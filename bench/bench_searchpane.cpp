// The "查找" pane searching ten million characters on its worker: how long until every hit is
// listed, and the longest stall of the GUI thread meanwhile, for a plain word and for a pattern
// that runs into the match limit at every attempt.
#include "searchbook.h"
#include "document/documenthost.h"
#include "document/leafturnerdoc.h"
#include "document/myview.h"
#include "search/searchpanedlg.h"
#include "search/searchresultmodel.h"
#include "settings/profile.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace {

using namespace searchbench;

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

struct Reader
{
    QTemporaryDir dir;
    CLeafturnerDoc doc;
    std::unique_ptr<BenchView> view;
    std::unique_ptr<BenchHost> host;
    std::unique_ptr<CSearchPaneDlg> pane;
};

Reader* OpenReader()
{
    static Reader* reader = [] {
        auto* r = new Reader;
        CoreOptions options;
        options.profile = r->dir.path();
        if (!InitCore(options, QString(), nullptr))
            return static_cast<Reader*>(nullptr);
        const QString path = r->dir.filePath(QStringLiteral("book.txt"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return static_cast<Reader*>(nullptr);
        f.write("\xFF\xFE", 2);
        f.write(reinterpret_cast<const char*>(Book().utf16()), Book().size() * 2);
        f.close();
        if (!r->doc.OnOpenDocument(path))
            return static_cast<Reader*>(nullptr);
        r->view = std::make_unique<BenchView>(&r->doc);
        r->host = std::make_unique<BenchHost>(r->view.get());
        r->pane = std::make_unique<CSearchPaneDlg>(r->host.get());
        r->pane->resize(300, 600);
        r->pane->show();
        QApplication::processEvents();
        return r;
    }();
    return reader;
}

void PaneSearch(benchmark::State& state, const QString& pattern, bool regex, std::size_t expected)
{
    Reader* r = OpenReader();
    if (!r) {
        state.SkipWithError("cannot open the book");
        return;
    }
    CSearchPaneDlg& pane = *r->pane;
    pane.RegexBox()->setChecked(regex);
    pane.PatternBox()->setEditText(pattern);

    // The longest time the event loop went without serving a 1 ms timer.
    QElapsedTimer gap;
    qint64 worstGap = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { worstGap = std::max(worstGap, gap.restart()); });
    probe.start(1);
    for (auto _ : state) {
        gap.start();
        pane.Search();
        while (pane.IsSearching())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    probe.stop();
    if (pane.Results().Hits().size() != expected)
        state.SkipWithError(("expected " + std::to_string(expected) + " hits, got " +
                             std::to_string(pane.Results().Hits().size()))
                                .c_str());
    state.counters["gui_stall_ms"] = static_cast<double>(worstGap);
}

void BM_PanePlain(benchmark::State& state)
{
    PaneSearch(state, kWord, false, kHits);
}

// Backtracks until the match limit at every position: the pane must stay live and say so.
void BM_PaneHostileRegex(benchmark::State& state)
{
    PaneSearch(state, QStringLiteral("(?:[^\\r]|x)*[YZ]"), true, 0);
}

} // namespace

BENCHMARK(BM_PanePlain)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_PaneHostileRegex)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
