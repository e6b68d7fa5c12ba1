// Decoding a book window by window: where a window may end, and huge pages for the block.
#pragma once

#include "document/readonlyfile_p.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace BookDecode {

// The SIMD decoders may store a few units past the last one they report.
constexpr std::size_t kSlackUnits = 16;

// Where to end a window of a book's bytes that starts at `from`: after the first LF at least
// `want` bytes on that another byte than LF follows; n when there is none. No character of UTF-8
// or of a legacy code page holds a LF, and with no LF right after the split no line end spans it,
// so each window decodes and normalises on its own.
inline std::size_t WindowEnd(const std::uint8_t* b, std::size_t from, std::size_t n, std::size_t want)
{
    for (std::size_t i = from + want; i + 1 < n; ++i) {
        const auto* lf = static_cast<const std::uint8_t*>(std::memchr(b + i, '\n', n - 1 - i));
        if (!lf)
            break;
        i = static_cast<std::size_t>(lf - b);
        if (b[i + 1] != '\n')
            return i + 1;
    }
    return n;
}

// Decodes with `step` (bytes, count, out, ok) -> units, window by window, so each window's line
// ends are merged while its units are still in cache and the block never fills much beyond the
// final text. For a large book the first window goes to a side buffer: what it gave per byte tells
// how far the text will surely reach, and that much of the block gets huge pages (faulting 30 MB
// in page by page costs as much as decoding it; stopping short keeps unfilled memory out).
template <typename Step>
std::size_t DecodeInWindows(const std::uint8_t* b, std::size_t n, char16_t* out, bool& ok, Step step)
{
    constexpr std::size_t kProbe = 64 * 1024, kWindow = 1024 * 1024;
    ok = true;
    std::size_t units = 0, at = 0;
    if (n >= 4 * kWindow) {
        const std::size_t end = WindowEnd(b, 0, n, kProbe);
        std::unique_ptr<char16_t[]> first(end < kWindow ? new (std::nothrow) char16_t[end + kSlackUnits]
                                                        : nullptr);
        if (first) {
            units = step(b, end, first.get(), ok);
            if (!ok)
                return 0;
            const double expected =
                static_cast<double>(units) / static_cast<double>(end) * static_cast<double>(n);
            ReadOnlyFile::AdviseHugePages(out, static_cast<std::size_t>(expected * 0.99) * sizeof(char16_t));
            std::memcpy(out, first.get(), units * sizeof(char16_t));
            at = end;
        }
    }
    while (at < n && ok) {
        const std::size_t end = WindowEnd(b, at, n, kWindow);
        units += step(b + at, end - at, out + units, ok);
        at = end;
    }
    return units;
}


} // namespace BookDecode
