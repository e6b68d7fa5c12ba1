// Encoding names and the UTF-8 test.
#include "document/sourceencoding.h"

QString SourceEncodingName(SourceEncoding encoding)
{
    switch (encoding) {
    case SourceEncoding::Ansi:
        return QStringLiteral("Ansi");
    case SourceEncoding::Utf16Le:
        return QStringLiteral("Utf16Le");
    case SourceEncoding::Utf16Be:
        return QStringLiteral("Utf16Be");
    case SourceEncoding::Utf8Bom:
        return QStringLiteral("Utf8Bom");
    case SourceEncoding::Utf8:
        return QStringLiteral("Utf8");
    }
    return QStringLiteral("Ansi");
}

bool IsUtf8Text(const std::uint8_t* data, std::size_t n)
{
    if (n == 0 || data == nullptr)
        return false;
    int expected = 0;
    bool allAscii = true;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = data[i];
        if (expected > 0) {
            if ((b & 0xC0) != 0x80)
                return false;
            --expected;
            continue;
        }
        if (b < 0x80)
            continue;
        allAscii = false;
        int k = 0;
        for (std::uint8_t m = 0x80; m && (b & m); m >>= 1)
            ++k;
        if (k == 1)
            return false;
        expected = k - 1;
    }
    return expected == 0 && !allAscii;
}
