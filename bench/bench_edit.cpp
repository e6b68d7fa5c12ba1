// The edit view on a 10-million-character book in three shapes (paragraph lines, hard-wrapped at 36
// characters, one paragraph without a line break): switching in and out, typing, jumping to the end,
// finding, saving, and the memory the edit view takes beside the UTF-16 text.
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "bookgen/bookgen.h"
#include "document/leafturnerdoc.h"
#include "layout/textmetrics.h"
#include "settings/inifile.h"
#include "settings/messagesink.h"
#include "settings/profile.h"
#include "ui/commandids.h"
#include "views/findreplacedialog.h"
#include "views/myrichedit.h"
#include "views/myricheditview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <benchmark/benchmark.h>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

constexpr std::int64_t kBookUnits = 10'000'000;
// The shape argument that stands for one paragraph; 0 and 36 are wrap widths.
constexpr int kOneParagraph = 1;

// Resident memory with freed heap pages handed back first, so what one view left behind in the heap
// does not count for, or hide, the next one.
long ResidentKb()
{
    malloc_trim(0);
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    // Outside an event loop a replaced view is only deleted when asked.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One reader for the whole run; the books are opened on demand. Questions are answered No.
struct Reader
{
    QTemporaryDir dir;
    RecordingMessageSink sink;
    std::unique_ptr<ScopedMessageSink> scoped;
    std::unique_ptr<CLeafturnerApp> app;
    QString current;
    long baseKb = 0; // the reader showing a book of a few lines: what any book costs alike

    Reader()
    {
        scoped = std::make_unique<ScopedMessageSink>(&sink);
        sink.SetDefaultAnswer(MsgAnswer::No);
        TextMetrics::PinDefaultFamily(QStringLiteral("Noto Sans CJK SC"));
        const QString profile = dir.filePath(QStringLiteral("profile"));
        QDir().mkpath(profile);
        IniFile(profile + QStringLiteral("/Leafturner.ini"))
            .WriteString(QStringLiteral("ParaBlock"), QStringLiteral("PARA_TURN_PAGE"), QStringLiteral("0"));
        CoreOptions options;
        options.profile = profile;
        options.screen = ParaScreen{1920, 0xFFFFFF};
        QString error;
        InitCore(options, QString(), &error);
        app = std::make_unique<CLeafturnerApp>();
        app->InitInstance({});
        app->MainFrame()->resize(1000, 700);
        Settle();
        Open(0, 2000);
        baseKb = ResidentKb();
    }
    CMainFrame* Frame() const { return app->MainFrame(); }
    CMyRichEditView* EditView() const { return qobject_cast<CMyRichEditView*>(Frame()->ActiveViewWidget()); }

    // Generated paragraphs as they come (wrap 0), hard-wrapped every `wrap` characters, or all of it
    // one paragraph (kOneParagraph).
    void Open(int wrap, std::int64_t characters = kBookUnits)
    {
        const QString path = dir.filePath(QStringLiteral("book-%1-%2.txt").arg(wrap).arg(characters));
        if (current == path)
            return;
        if (!QFile::exists(path)) {
            BookOptions options;
            options.characters = characters;
            options.encoding = BookEncoding::Utf8;
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            if (wrap == kOneParagraph) {
                options.characters = characters + characters / 10;
                QString text = GenerateBookText(options);
                text.remove(u'\n');
                text.truncate(static_cast<qsizetype>(characters));
                f.write(EncodeBookText(text, options));
            } else {
                options.wrap = wrap;
                f.write(GenerateBook(options));
            }
        }
        ShowView(false);
        app->OpenDocumentFile(path);
        Settle();
        current = path;
    }
    void ShowView(bool edit)
    {
        if ((EditView() != nullptr) != edit) {
            Frame()->RouteCommand(Cmd::EditMode);
            Settle();
        }
    }
};

Reader* g_reader = nullptr;

Reader& TheReader()
{
    return *g_reader;
}

void BM_SwitchIntoEditView(benchmark::State& state)
{
    Reader& r = TheReader();
    r.Open(static_cast<int>(state.range(0)));
    long growth = 0;
    long whole = 0;
    for (auto _ : state) {
        state.PauseTiming();
        r.ShowView(false);
        Settle();
        const long before = ResidentKb();
        state.ResumeTiming();
        r.Frame()->RouteCommand(Cmd::EditMode);
        Settle();
        state.PauseTiming();
        const long after = ResidentKb();
        growth = std::max(growth, after - before);
        whole = std::max(whole, after - r.baseKb);
        state.ResumeTiming();
    }
    // What the edit view holds beside the book's own text, per byte of that UTF-16 text; and all the
    // book costs in the edit view (its text, pages and the edit control) over a book of a few lines.
    const double textKb = 2.0 * kBookUnits / 1024.0;
    state.counters["memory_x_text"] = static_cast<double>(growth) / textKb;
    state.counters["book_x_text"] = static_cast<double>(whole) / textKb;
    state.counters["lines"] = r.EditView() ? r.EditView()->LineCount() : 0;
}
BENCHMARK(BM_SwitchIntoEditView)
    ->Arg(0)
    ->Arg(36)
    ->Arg(kOneParagraph)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

void BM_SwitchBackToReadingView(benchmark::State& state)
{
    Reader& r = TheReader();
    r.Open(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        r.ShowView(true);
        Settle();
        state.ResumeTiming();
        r.Frame()->RouteCommand(Cmd::EditMode);
        Settle();
    }
}
BENCHMARK(BM_SwitchBackToReadingView)
    ->Arg(0)
    ->Arg(36)
    ->Arg(kOneParagraph)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// One key typed in the middle of the book, with the repaint it causes.
void BM_TypeInTheMiddle(benchmark::State& state)
{
    Reader& r = TheReader();
    r.Open(static_cast<int>(state.range(0)));
    r.ShowView(true);
    CMyRichEdit* edit = r.EditView()->Edit();
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(edit->TextLength() / 2);
    edit->setTextCursor(cursor);
    Settle();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(edit, &press);
        edit->viewport()->repaint();
    }
    edit->document()->setModified(false);
}
BENCHMARK(BM_TypeInTheMiddle)->Arg(0)->Arg(36)->Arg(kOneParagraph)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Ctrl+End from the top of the book, with the repaint it causes.
void BM_JumpToTheEnd(benchmark::State& state)
{
    Reader& r = TheReader();
    r.Open(static_cast<int>(state.range(0)));
    r.ShowView(true);
    CMyRichEdit* edit = r.EditView()->Edit();
    for (auto _ : state) {
        state.PauseTiming();
        QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::ControlModifier);
        QApplication::sendEvent(edit, &home);
        edit->viewport()->repaint();
        state.ResumeTiming();
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(edit, &end);
        edit->viewport()->repaint();
    }
}
BENCHMARK(BM_JumpToTheEnd)->Arg(0)->Arg(36)->Arg(kOneParagraph)->Unit(benchmark::kMillisecond)->UseRealTime();

// Find next from the top for a word the book does not hold: the whole book is searched.
void BM_FindNextWholeBook(benchmark::State& state)
{
    Reader& r = TheReader();
    r.Open(static_cast<int>(state.range(0)));
    r.ShowView(true);
    CMyRichEditView* view = r.EditView();
    LastFindSettings().findWhat = QStringLiteral("不在书中的词");
    LastFindSettings().down = true;
    for (auto _ : state) {
        state.PauseTiming();
        QTextCursor top = view->Edit()->textCursor();
        top.setPosition(0);
        view->Edit()->setTextCursor(top);
        state.ResumeTiming();
        benchmark::DoNotOptimize(view->FindNext());
    }
}
BENCHMARK(BM_FindNextWholeBook)->Arg(0)->Arg(36)->Arg(kOneParagraph)->Unit(benchmark::kMillisecond)->UseRealTime();

// Saving from the edit view: the text taken from the control and written in the book's encoding.
void BM_SaveFromEditView(benchmark::State& state)
{
    Reader& r = TheReader();
    r.Open(static_cast<int>(state.range(0)));
    r.ShowView(true);
    for (auto _ : state) {
        state.PauseTiming();
        r.EditView()->SetTextModified(true);
        state.ResumeTiming();
        r.Frame()->RouteCommand(Cmd::FileSave);
    }
}
BENCHMARK(BM_SaveFromEditView)
    ->Arg(0)
    ->Arg(36)
    ->Arg(kOneParagraph)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

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
    reader->Frame()->close();
    g_reader = nullptr;
    reader.reset();
    return 0;
}
