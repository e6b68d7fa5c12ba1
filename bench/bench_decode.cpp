// Opening a 10-million-character book, decoding and normalising it, against glibc iconv converting
// the same bytes to UTF-16 in the same run; and the peak memory of one load.
#include "document/textbuffer.h"
#include "settings/codepage.h"
#include "settings/messagesink.h"

#include "bookgen/bookgen.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iconv.h>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

constexpr std::int64_t kCharacters = 10'000'000;

struct Book
{
    QByteArray bytes;
    QString path;
};

QTemporaryDir& Folder()
{
    static QTemporaryDir dir;
    return dir;
}

const Book& GetBook(BookEncoding encoding)
{
    static Book books[6];
    Book& b = books[static_cast<int>(encoding)];
    if (b.bytes.isEmpty()) {
        CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
        BookOptions o;
        o.characters = kCharacters;
        o.encoding = encoding;
        o.seed = 2024;
        b.bytes = GenerateBook(o);
        b.path = Folder().filePath(QStringLiteral("book%1.txt").arg(static_cast<int>(encoding)));
        QFile f(b.path);
        if (f.open(QIODevice::WriteOnly))
            f.write(b.bytes);
    }
    return b;
}

class QuietSink : public MessageSink
{
public:
    MsgAnswer Show(const QString&, MsgButtons, MsgIcon) override { return MsgAnswer::Ok; }
};

void LoadFile(benchmark::State& state, BookEncoding encoding)
{
    const Book& book = GetBook(encoding);
    QuietSink sink;
    ScopedMessageSink scoped(&sink);
    for (auto _ : state) {
        TextBuffer buffer;
        if (!buffer.Load(book.path))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(buffer.Text());
        state.counters["units"] = buffer.Length();
    }
    state.SetBytesProcessed(state.iterations() * book.bytes.size());
}

void LoadBytes(benchmark::State& state, BookEncoding encoding)
{
    const Book& book = GetBook(encoding);
    QuietSink sink;
    ScopedMessageSink scoped(&sink);
    for (auto _ : state) {
        TextBuffer buffer;
        buffer.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(book.bytes.constData()),
                             static_cast<std::size_t>(book.bytes.size()));
        benchmark::DoNotOptimize(buffer.Text());
    }
    state.SetBytesProcessed(state.iterations() * book.bytes.size());
}

// The reference: glibc iconv into a fresh buffer (as a loader must), or into one reused and already
// in memory (conversion alone); optionally followed by one normalising pass.
void Iconv(benchmark::State& state, BookEncoding encoding, const char* from, bool normalise, bool reuse)
{
    const Book& book = GetBook(encoding);
    const std::size_t room = static_cast<std::size_t>(book.bytes.size()) + 1;
    std::unique_ptr<char16_t[]> kept(new char16_t[room]);
    std::fill_n(kept.get(), room, u'\0');
    for (auto _ : state) {
        iconv_t cd = iconv_open("UTF-16LE", from);
        std::unique_ptr<char16_t[]> fresh(reuse ? nullptr : new char16_t[room]);
        char16_t* out = reuse ? kept.get() : fresh.get();
        char* ip = const_cast<char*>(book.bytes.constData());
        std::size_t il = static_cast<std::size_t>(book.bytes.size());
        char* op = reinterpret_cast<char*>(out);
        std::size_t ol = room * 2;
        iconv(cd, &ip, &il, &op, &ol);
        iconv_close(cd);
        std::size_t units = static_cast<std::size_t>(op - reinterpret_cast<char*>(out)) / 2;
        if (normalise)
            units = NormaliseLineEnds(out, units);
        benchmark::DoNotOptimize(out);
        state.counters["units"] = static_cast<double>(units);
    }
    state.SetBytesProcessed(state.iterations() * book.bytes.size());
}

long StatusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
    return -1;
}

// Peak resident memory of one load above what the process held before, against the file plus its
// UTF-16 text.
void PeakMemory(benchmark::State& state, BookEncoding encoding)
{
    const Book& book = GetBook(encoding);
    QuietSink sink;
    ScopedMessageSink scoped(&sink);
    // Fresh pages for every large block, so freed memory cannot hide part of the peak.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    malloc_trim(0);
    for (auto _ : state) {
        state.PauseTiming();
        std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
        if (clear) {
            std::fputs("5", clear); // resets the peak to the current size
            std::fclose(clear);
        }
        const long before = StatusKb("VmRSS:");
        state.ResumeTiming();
        auto buffer = std::make_unique<TextBuffer>();
        buffer->Load(book.path);
        state.PauseTiming();
        const long peak = StatusKb("VmHWM:");
        state.counters["file_MB"] = book.bytes.size() / 1048576.0;
        state.counters["text_MB"] = buffer->Length() * 2 / 1048576.0;
        state.counters["peak_MB"] = (peak - before) / 1024.0;
        buffer.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK_CAPTURE(LoadFile, utf8_30MB, BookEncoding::Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadBytes, utf8_30MB, BookEncoding::Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Iconv, utf8_30MB, BookEncoding::Utf8, "UTF-8", false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Iconv, utf8_30MB_reused, BookEncoding::Utf8, "UTF-8", false, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, gbk_20MB, BookEncoding::Gbk)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadBytes, gbk_20MB, BookEncoding::Gbk)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Iconv, gbk_20MB_normalised, BookEncoding::Gbk, "CP936", true, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Iconv, gbk_20MB_normalised_reused, BookEncoding::Gbk, "CP936", true, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, utf16le_20MB, BookEncoding::Utf16Le)->Unit(benchmark::kMillisecond);
// Last: they change how malloc hands out memory.
BENCHMARK_CAPTURE(PeakMemory, utf8, BookEncoding::Utf8)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, gbk, BookEncoding::Gbk)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, utf16le, BookEncoding::Utf16Le)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
