// The bytes a reformat result becomes: UTF-16LE with a byte-order mark.
#pragma once

#include "reformat/reformatoptions.h"

#include <QByteArray>
#include <cstdint>

enum class LineEnds
{
    AsIs, // what the document loads the result from
    CrLf, // the file the reader saves: every CR written as CR LF
};

// FF FE followed by the units, little-endian whatever the host. Empty when the bytes would not fit
// in memory.
QByteArray Utf16LeWithMark(const char16_t* text, std::int64_t length, LineEnds lineEnds);

enum class ReformatStatus
{
    Done,
    NothingToDo, // a result of length 0: the text stays as it was
    OutOfMemory, // "内存不足。": the text stays as it was
};

// A paragraph longer than this many UTF-16 units is worth a question before a reformat makes it.
inline constexpr std::int64_t kLongParagraphUnits = 100'000;

// How many of the CR-separated paragraphs of `text` are longer than `limit` units.
std::int64_t CountLongParagraphs(const char16_t* text, std::int64_t length,
                                 std::int64_t limit = kLongParagraphUnits);

struct ReformatImage
{
    ReformatStatus status = ReformatStatus::NothingToDo;
    QByteArray bytes;               // mark + result when Done
    std::int64_t longParagraphs = 0; // of the result, when Done
};

// Both passes of a reformat (measure, then write) and the result as UTF-16LE with mark. A result
// longer than the reader can hold counts as out of memory.
ReformatImage ReformatToUtf16Le(const char16_t* text, std::int32_t length, const SimpleOptions& options,
                                LineEnds lineEnds);
ReformatImage ReformatToUtf16Le(const char16_t* text, std::int32_t length, const ComplexOptions& options,
                                LineEnds lineEnds);
