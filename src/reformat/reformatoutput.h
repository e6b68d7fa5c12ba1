// The bytes a reformat result becomes: UTF-16LE with a byte-order mark.
#pragma once

#include <QByteArray>
#include <cstdint>

enum class LineEnds
{
    AsIs, // the buffer the document loads the result from
    CrLf, // the file the reader saves: every CR written as CR LF
};

// FF FE followed by the units, little-endian whatever the host. Empty when the bytes would not fit
// in memory.
QByteArray Utf16LeWithMark(const char16_t* text, std::int64_t length, LineEnds lineEnds);
