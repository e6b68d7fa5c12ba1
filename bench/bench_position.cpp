// 500 page turns by dragging the scroll-bar thumb, each one painted: how often the settings file is
// rewritten, whether the GUI thread ever syncs it, and the same turns writing every position through.
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "bookgen/bookgen.h"
#include "layout/textmetrics.h"
#include "settings/inifile.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "settings/profile.h"
#include "settings/readingposition.h"
#include "views/leafturnerview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kTurns = 500;

std::atomic<int> g_rewrites{0};
std::atomic<int> g_guiRewrites{0};

// Every rewrite syncs the file and its folder; on the GUI thread that is a stall of the page turn.
void CountRewrite(const QString&)
{
    ++g_rewrites;
    if (QThread::currentThread() == QCoreApplication::instance()->thread())
        ++g_guiRewrites;
}

struct Reader
{
    QTemporaryDir dir;
    RecordingMessageSink sink;
    std::unique_ptr<ScopedMessageSink> scoped;
    std::unique_ptr<CLeafturnerApp> app;

    Reader()
    {
        scoped = std::make_unique<ScopedMessageSink>(&sink);
        TextMetrics::PinDefaultFamily(QStringLiteral("Noto Sans CJK SC"));
        const QString profile = dir.filePath(QStringLiteral("profile"));
        QDir().mkpath(profile);
        IniFile(profile + QStringLiteral("/Leafturner.ini"))
            .WriteString(QStringLiteral("ParaBlock"), QStringLiteral("PARA_TURN_PAGE"), QStringLiteral("0"));
        CoreOptions options;
        options.profile = profile;
        QString error;
        InitCore(options, QString(), &error);
        app = std::make_unique<CLeafturnerApp>();
        app->InitInstance({});
        app->MainFrame()->resize(1000, 700);
        BookOptions book;
        book.characters = 2'000'000;
        book.encoding = BookEncoding::Utf8;
        const QString path = dir.filePath(QStringLiteral("book.txt"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(GenerateBook(book));
        f.close();
        app->OpenDocumentFile(path);
        QApplication::processEvents();
    }
    CLeafturnerView* View() const
    {
        return qobject_cast<CLeafturnerView*>(app->MainFrame()->ActiveViewWidget());
    }
};

Reader* g_reader = nullptr;

// Drags the thumb over kTurns pages from the top, painting each; `writeThrough` also writes every
// position to the file on the spot, as a write-through setting would.
void Turn(bool writeThrough)
{
    CLeafturnerView* view = g_reader->View();
    QScrollBar* bar = view->verticalScrollBar();
    IniFile ini(SettingsFilePath());
    bar->setSliderDown(true);
    for (int step = 1; step <= kTurns; ++step) {
        bar->setSliderPosition(step);
        if (writeThrough)
            ini.WriteString(QStringLiteral("ParaBlock"), QStringLiteral("PARA_LAST_POS"),
                            QString::number(view->CurrentCharOffset()));
        view->viewport()->repaint();
    }
    bar->setSliderDown(false);
}

void Reset()
{
    CLeafturnerView* view = g_reader->View();
    view->ShowPage(0);
    view->verticalScrollBar()->setValue(0);
    FlushReadingPosition();
    QApplication::processEvents();
}

void BM_PageTurnsStoringThePosition(benchmark::State& state)
{
    int rewrites = 0, guiRewrites = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Reset();
        g_rewrites = 0;
        g_guiRewrites = 0;
        SetIniRewriteObserver(CountRewrite);
        state.ResumeTiming();
        Turn(false);
        state.PauseTiming();
        // The last place is stored when the burst settles; it counts as one of the rewrites.
        QThread::msleep(kPositionMaxDelayMs + 200);
        SetIniRewriteObserver(nullptr);
        rewrites = std::max(rewrites, g_rewrites.load());
        guiRewrites = std::max(guiRewrites, g_guiRewrites.load());
        state.ResumeTiming();
    }
    state.counters["rewrites"] = rewrites;
    state.counters["gui_fsyncs"] = guiRewrites * 2; // the file's and its folder's
    state.counters["turns"] = kTurns;
}
BENCHMARK(BM_PageTurnsStoringThePosition)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_PageTurnsWritingThrough(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Reset();
        state.ResumeTiming();
        Turn(true);
    }
}
BENCHMARK(BM_PageTurnsWritingThrough)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    auto reader = std::make_unique<Reader>();
    g_reader = reader.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    reader->app->MainFrame()->close();
    reader->app->ExitInstance();
    g_reader = nullptr;
    reader.reset();
    StopReadingPositionWriter();
    return 0;
}
