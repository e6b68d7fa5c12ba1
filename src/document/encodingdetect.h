// Guessing the encoding of a book that has no mark and is not UTF-8.
#pragma once

#include "document/sourceencoding.h"

#include <QString>
#include <cstddef>
#include <cstdint>

struct DetectedEncoding
{
    SourceEncoding encoding = SourceEncoding::Ansi; // Ansi, or UTF-16 found without a mark
    QString codePage;                               // for Ansi: the iconv name to read it in
};

// Looks at a sample of at most kDetectSampleBytes spread over the bytes and picks, among the
// default code page, GB18030, Big5, Shift_JIS, EUC-JP, EUC-KR and UTF-16 of either order, the one
// whose reading is free of invalid sequences and made of the commonest characters of its language.
// Anything short of a clear win, and any short text, keeps `defaultCodePage`.
DetectedEncoding DetectEncoding(const std::uint8_t* data, std::size_t n, const QString& defaultCodePage);

constexpr std::size_t kDetectSampleBytes = 64 * 1024;
