// Opening a 10-million-character book, decoding and normalising it, against glibc iconv converting
// the same bytes to UTF-16 in the same run; and the peak memory of one load. For books in a legacy
// code page, also what detecting the code page costs on its own.
#include "document/encodingdetect.h"
#include "document/textbuffer.h"
#include "document/codepage.h"
#include "settings/messagesink.h"

#include "bookgen/bookgen.h"

#include <QFile>
#include <QStringList>
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

// Traditional Chinese sentences, shuffled into a book of about 20 MB in Big5.
const QStringList& TraditionalSentences()
{
    static const QStringList sentences =
        QStringLiteral(
            "天色將晚的時候，他才從山上走下來。路邊的小店已經點起了燈。老闆娘站在門口，看著遠處的河水。"
            "他走進店裡，要了一碗麵，坐在靠窗的地方慢慢地吃。窗外的風很大，吹得樹葉沙沙作響。"
            "他想起小時候，母親也是這樣站在門口等他回家。那時候家裡很窮，可是每到過年，母親總會做一桌好菜。"
            "後來他離開了家鄉，到很遠的城市去讀書。城市裡的生活很忙，他很少有時間回來看看。"
            "店裡的人不多，只有兩個年輕人在角落裡低聲說話。老闆娘給他端來一杯熱茶，問他是不是從外地來的。")
            .split(u'。', Qt::SkipEmptyParts);
    return sentences;
}

struct LegacyBook
{
    QByteArray bytes;
    QString path;
};

const LegacyBook& GetLegacyBook(bool big5)
{
    static LegacyBook books[2];
    LegacyBook& b = books[big5 ? 1 : 0];
    if (b.bytes.isEmpty()) {
        QString text;
        if (big5) {
            std::uint64_t state = 2024;
            const QStringList& sentences = TraditionalSentences();
            while (text.size() < kCharacters) {
                state = state * 6364136223846793005ULL + 1442695040888963407ULL;
                text += sentences[static_cast<qsizetype>((state >> 33) %
                                                         static_cast<std::uint64_t>(sentences.size()))];
                text += (state >> 20) % 5 == 0 ? QStringLiteral("。\r\n") : QStringLiteral("。");
            }
        } else {
            BookOptions o;
            o.characters = kCharacters;
            o.encoding = BookEncoding::Gbk;
            o.seed = 2024;
            text = GenerateBookText(o);
            text.replace(u'\n', QStringLiteral("\r\n"));
        }
        const QString name = big5 ? QStringLiteral("CP950") : QStringLiteral("GB18030");
        b.bytes = CodePage::Utf16ToLegacy(name, reinterpret_cast<const char16_t*>(text.constData()),
                                          static_cast<std::size_t>(text.size()));
        b.path = Folder().filePath(big5 ? QStringLiteral("big5.txt") : QStringLiteral("gb18030.txt"));
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

// A legacy book opened with GB18030 as the default, as a new user's reader has it.
void LoadLegacy(benchmark::State& state, bool big5)
{
    const LegacyBook& book = GetLegacyBook(big5);
    CodePage::SetAnsiCodePage(QStringLiteral("GB18030"));
    QuietSink sink;
    ScopedMessageSink scoped(&sink);
    for (auto _ : state) {
        TextBuffer buffer;
        if (!buffer.Load(book.path) ||
            EncodingDisplayName(buffer) != QLatin1String(big5 ? "Big5" : "GB18030"))
            state.SkipWithError("load failed or the code page was missed");
        benchmark::DoNotOptimize(buffer.Text());
    }
    state.SetBytesProcessed(state.iterations() * book.bytes.size());
}

void DetectLegacy(benchmark::State& state, bool big5)
{
    const LegacyBook& book = GetLegacyBook(big5);
    const auto* b = reinterpret_cast<const std::uint8_t*>(book.bytes.constData());
    for (auto _ : state) {
        const DetectedEncoding found =
            DetectEncoding(b, static_cast<std::size_t>(book.bytes.size()), QStringLiteral("GB18030"));
        benchmark::DoNotOptimize(found.codePage.size());
    }
}

void IconvLegacy(benchmark::State& state, bool big5)
{
    const LegacyBook& book = GetLegacyBook(big5);
    const std::size_t room = static_cast<std::size_t>(book.bytes.size()) + 1;
    for (auto _ : state) {
        iconv_t cd = iconv_open("UTF-16LE", big5 ? "CP950" : "GB18030");
        std::unique_ptr<char16_t[]> out(new char16_t[room]);
        char* ip = const_cast<char*>(book.bytes.constData());
        std::size_t il = static_cast<std::size_t>(book.bytes.size());
        char* op = reinterpret_cast<char*>(out.get());
        std::size_t ol = room * 2;
        iconv(cd, &ip, &il, &op, &ol);
        iconv_close(cd);
        const std::size_t units = NormaliseLineEnds(
            out.get(), static_cast<std::size_t>(op - reinterpret_cast<char*>(out.get())) / 2);
        benchmark::DoNotOptimize(units);
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
BENCHMARK_CAPTURE(LoadLegacy, gb18030_20MB, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(IconvLegacy, gb18030_20MB_normalised, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DetectLegacy, gb18030_20MB, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadLegacy, big5_20MB, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(IconvLegacy, big5_20MB_normalised, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DetectLegacy, big5_20MB, true)->Unit(benchmark::kMillisecond);
// Last: they change how malloc hands out memory.
BENCHMARK_CAPTURE(PeakMemory, utf8, BookEncoding::Utf8)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, gbk, BookEncoding::Gbk)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(PeakMemory, utf16le, BookEncoding::Utf16Le)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
