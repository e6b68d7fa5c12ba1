// Recognising the encoding of a book's bytes and decoding them to UTF-16.
#pragma once

#include "document/bookencoding.h"
#include "document/readonlyfile_p.h"
#include "document/sourceencoding.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace BookDecode {

using Units = std::unique_ptr<char16_t[], ReadOnlyFile::FreeDeleter>;

enum class DecodeStatus
{
    Ok,
    NoText,
    NoMemory,
    TooLarge
};

struct Decoded
{
    DecodeStatus status = DecodeStatus::Ok;
    SourceEncoding encoding = SourceEncoding::Ansi;
    Units text;
    std::size_t length = 0;
    bool normalised = false; // line ends already single CRs
    QString codePage;        // the code page an Ansi reading used
    bool marked = true;      // UTF-16 began with its mark
};

// Recognises the encoding, unless `choice` names one, and converts. Line ends are made single CRs
// on the way where `normalised` says so. With `owned` holding `b`, a UTF-16 book takes the block
// over instead of copying it.
Decoded DecodeBytes(const std::uint8_t* b, std::size_t n, ReadOnlyFile::Buffer* owned,
                    const EncodingChoice& choice);

} // namespace BookDecode
