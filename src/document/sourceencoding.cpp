// Encoding names and the UTF-8 test.
#include "document/sourceencoding.h"

#include "document/bytescan_p.h"

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

void Utf8TextTest::Feed(const std::uint8_t* data, std::size_t n)
{
    if (rejected || data == nullptr)
        return;
    std::size_t i = 0;
    while (i < n) {
        if (expected > 0) {
            if ((data[i] & 0xC0) != 0x80) {
                rejected = true;
                return;
            }
            --expected;
            ++i;
            continue;
        }
        // Books are mostly ASCII or mostly multi-byte; skip ASCII sixteen bytes at a time.
        while (i + 16 <= n && ByteScan::HighBits16(data + i) == 0)
            i += 16;
        if (i >= n)
            break;
        const std::uint8_t b = data[i++];
        if (b < 0x80)
            continue;
        allAscii = false;
        // Leading 1-bits: 2 for 110xxxxx ... 8 for FF; 1 is a stray continuation byte.
        const int k = __builtin_clz(~(static_cast<unsigned>(b) << 24));
        if (k == 1) {
            rejected = true;
            return;
        }
        expected = static_cast<std::uint32_t>(k - 1);
    }
}

bool IsUtf8Text(const std::uint8_t* data, std::size_t n)
{
    if (n == 0 || data == nullptr)
        return false;
    Utf8TextTest test;
    test.Feed(data, n);
    return test.Accepts();
}
