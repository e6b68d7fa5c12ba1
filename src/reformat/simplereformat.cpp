// The simple reformat, one pass over the text that either counts or writes.
#include "reformat/simplereformat.h"

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kIdeographicSpace = u'\x3000';

class Emitter
{
public:
    explicit Emitter(char16_t* out) : m_out(out) {}
    void Put(char16_t u)
    {
        if (m_out)
            m_out[m_count] = u;
        ++m_count;
        m_previous = u;
        m_hasPrevious = true;
    }
    bool PreviousIsCr() const { return m_hasPrevious && m_previous == kCr; }
    std::int64_t Count() const { return m_count; }

private:
    char16_t* m_out;
    std::int64_t m_count = 0;
    char16_t m_previous = 0;
    bool m_hasPrevious = false;
};

} // namespace

std::int64_t SimpleReformat(const char16_t* text, std::int32_t length, char16_t* output,
                            const SimpleOptions& options)
{
    if (!text || length <= 0)
        return 0;
    Emitter e(output);
    bool atLineStart = true;

    auto startLine = [&](char16_t u) {
        if (options.indent) {
            e.Put(kIdeographicSpace);
            e.Put(kIdeographicSpace);
        }
        atLineStart = false;
        e.Put(u);
    };
    // End of the blank run starting at i, and whether it runs into a line end or the end of the text.
    auto blankRun = [&](std::int32_t i, bool* reachesLineEnd) {
        std::int32_t j = i;
        while (j < length && IsReformatBlank(text[j]))
            ++j;
        *reachesLineEnd = j == length || text[j] == kCr;
        return j;
    };

    for (std::int32_t i = 0; i < length; ++i) {
        const char16_t u = text[i];
        if (u == kCr) {
            if (options.deleteBlankLines && e.PreviousIsCr())
                continue;
            atLineStart = true;
            e.Put(u);
            continue;
        }
        if (IsReformatBlank(u) && options.trimBlanks) {
            if (atLineStart)
                continue;
            bool reachesLineEnd = false;
            const std::int32_t end = blankRun(i, &reachesLineEnd);
            if (!reachesLineEnd) {
                // Every blank of an inner run is kept; taking the run at once keeps long runs linear.
                for (; i < end; ++i)
                    e.Put(text[i]);
            }
            i = end - 1;
            continue;
        }
        if (IsReformatBlank(u) && options.deleteBlankLines) {
            if (!atLineStart) {
                e.Put(u);
                continue;
            }
            bool reachesLineEnd = false;
            const std::int32_t end = blankRun(i, &reachesLineEnd);
            if (reachesLineEnd) {
                i = end - 1;
                continue;
            }
            startLine(u);
            continue;
        }
        if (atLineStart) {
            startLine(u);
            continue;
        }
        e.Put(u);
    }
    return e.Count();
}
