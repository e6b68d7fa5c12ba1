// Building the UTF-16LE image of a reformat result.
#include "reformat/reformatoutput.h"

#include <limits>

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
