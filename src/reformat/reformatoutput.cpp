// Running a reformat's two passes and building the UTF-16LE image of the result.
#include "reformat/reformatoutput.h"

#include "document/textbuffer.h"
#include "reformat/complexreformat.h"
#include "reformat/simplereformat.h"

#include <limits>
#include <memory>
#include <new>

namespace {

template <typename Run> ReformatImage TwoPasses(Run run, LineEnds lineEnds)
{
    ReformatImage image;
    const std::int64_t units = run(nullptr);
    if (units < 1)
        return image;
    image.status = ReformatStatus::OutOfMemory;
    if (units > kMaxTextUnits)
        return image;
    std::unique_ptr<char16_t[]> result(new (std::nothrow) char16_t[static_cast<std::size_t>(units)]);
    if (!result)
        return image;
    if (run(result.get()) != units)
        return image;
    image.bytes = Utf16LeWithMark(result.get(), units, lineEnds);
    if (!image.bytes.isEmpty()) {
        image.status = ReformatStatus::Done;
        image.longParagraphs = CountLongParagraphs(result.get(), units);
    }
    return image;
}

} // namespace

QByteArray Utf16LeWithMark(const char16_t* text, std::int64_t length, LineEnds lineEnds)
{
    if (length < 0 || (length > 0 && !text))
        return {};
    std::int64_t units = length;
    if (lineEnds == LineEnds::CrLf) {
        for (std::int64_t i = 0; i < length; ++i)
            units += text[i] == u'\r';
    }
    if (units > (std::numeric_limits<qsizetype>::max() - 2) / 2)
        return {};
    QByteArray out(static_cast<qsizetype>(2 + units * 2), Qt::Uninitialized);
    auto* p = reinterpret_cast<unsigned char*>(out.data());
    *p++ = 0xFF;
    *p++ = 0xFE;
    auto put = [&p](char16_t u) {
        *p++ = static_cast<unsigned char>(u & 0xFF);
        *p++ = static_cast<unsigned char>(u >> 8);
    };
    for (std::int64_t i = 0; i < length; ++i) {
        put(text[i]);
        if (lineEnds == LineEnds::CrLf && text[i] == u'\r')
            put(u'\n');
    }
    return out;
}

std::int64_t CountLongParagraphs(const char16_t* text, std::int64_t length, std::int64_t limit)
{
    std::int64_t count = 0;
    std::int64_t start = 0;
    for (std::int64_t i = 0; i <= length; ++i) {
        if (i == length || text[i] == u'\r') {
            count += i - start > limit;
            start = i + 1;
        }
    }
    return count;
}

ReformatImage ReformatToUtf16Le(const char16_t* text, std::int32_t length, const SimpleOptions& options,
                                LineEnds lineEnds)
{
    return TwoPasses([&](char16_t* out) { return SimpleReformat(text, length, out, options); }, lineEnds);
}

ReformatImage ReformatToUtf16Le(const char16_t* text, std::int32_t length, const ComplexOptions& options,
                                LineEnds lineEnds)
{
    return TwoPasses([&](char16_t* out) { return ComplexReformat(text, length, out, options); }, lineEnds);
}
