// The complex reformat over the text's lines, read with the line reader attached to the UTF-16 text.
#include "reformat/complexreformat.h"

#include "document/mappedtextfile.h"
#include "document/sourceencoding.h"

#include <QStringView>
#include <algorithm>

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kIdeographicSpace = u'\x3000';

QStringView TrimBlanks(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && IsReformatBlank(s[b].unicode()))
        ++b;
    while (e > b && IsReformatBlank(s[e - 1].unicode()))
        --e;
    return s.sliced(b, e - b);
}

qsizetype LeadingRun(QStringView s, bool (*member)(char16_t))
{
    qsizetype n = 0;
    while (n < s.size() && member(s[n].unicode()))
        ++n;
    return n;
}

// Walks the text line by line as UTF-16LE without a mark; the caller's text is not copied.
bool AttachText(MappedTextFile& reader, const char16_t* text, std::int32_t length)
{
    if (!text || length <= 0)
        return false;
    if (!reader.Attach(text, static_cast<std::uint32_t>(length) * 2u, false))
        return false;
    reader.SetEncoding(static_cast<int>(SourceEncoding::Utf16Le));
    return true;
}

class Emitter
{
public:
    explicit Emitter(char16_t* out) : m_out(out) {}
    void Put(char16_t u)
    {
        if (m_out)
            m_out[m_count] = u;
        ++m_count;
    }
    void Put(QStringView s)
    {
        if (m_out)
            std::copy_n(reinterpret_cast<const char16_t*>(s.utf16()), s.size(), m_out + m_count);
        m_count += s.size();
    }
    std::int64_t Count() const { return m_count; }

private:
    char16_t* m_out;
    std::int64_t m_count = 0;
};

// What the paragraph tests need of the previous kept line (trimmed); length 0 = none yet.
struct PreviousLine
{
    qsizetype length = 0;
    char16_t last = 0;
};

bool StartsParagraph(QStringView line, const PreviousLine& previous, const ComplexOptions& o,
                     std::int64_t threshold)
{
    if (o.beginWithChn) {
        const qsizetype run = LeadingRun(line, [](char16_t u) { return u == kIdeographicSpace; });
        if (run > 0 ? run >= o.chnSpace : o.chnSpace <= 0)
            return true;
    }
    if (o.beginWithEng) {
        const qsizetype run = LeadingRun(line, [](char16_t u) { return u == u'\t' || u == u' '; });
        if (run >= o.engSpace)
            return true;
    }
    if (o.checkLineLen && previous.length <= threshold)
        return true;
    if (o.endWithSpec && o.paraEnd.contains(QChar(previous.last)))
        return true;
    if (o.beginWithBlankLine && TrimBlanks(line).isEmpty())
        return true;
    return false;
}

} // namespace

std::int32_t AverageLineLength(const char16_t* text, std::int32_t length)
{
    MappedTextFile reader;
    if (!AttachText(reader, text, length))
        return 0;
    std::uint64_t total = 0;
    std::uint64_t count = 0;
    QString line;
    while (reader.ReadLine(line)) {
        const qsizetype n = TrimBlanks(line).size();
        if (n > 0) {
            total += static_cast<std::uint64_t>(n);
            ++count;
        }
    }
    return count ? static_cast<std::int32_t>(total / count) : 0;
}

std::int64_t ComplexReformat(const char16_t* text, std::int32_t length, char16_t* output,
                             const ComplexOptions& options)
{
    std::int64_t threshold = 0;
    if (options.checkLineLen) {
        const std::int64_t average = AverageLineLength(text, length);
        if (average == 0)
            return 0;
        // The dialog allows 1..200; anything lower (a hand-edited file) must not divide by zero.
        const int n = std::max(options.tailSpace, kMinTailSpace);
        threshold = average - average / n;
    }

    MappedTextFile reader;
    if (!AttachText(reader, text, length))
        return 0;

    Emitter e(output);
    PreviousLine previous;
    // A paragraph break waits for the next kept line, so no CR trails the last paragraph.
    bool lastWasBreak = false;
    QString line;
    while (reader.ReadLine(line)) {
        if (previous.length > 0 && !lastWasBreak && StartsParagraph(line, previous, options, threshold))
            lastWasBreak = true;
        const QStringView kept = TrimBlanks(line);
        if (kept.isEmpty())
            continue;
        if (lastWasBreak) {
            e.Put(kCr);
            if (options.addBlankLine)
                e.Put(kCr);
        }
        if (options.addChnSpace && (lastWasBreak || previous.length == 0)) {
            e.Put(kIdeographicSpace);
            e.Put(kIdeographicSpace);
        }
        e.Put(kept);
        previous.length = kept.size();
        previous.last = kept.back().unicode();
        lastWasBreak = false;
    }
    return e.Count();
}
