// Loading, decoding and saving books (being written).
#include "document/textbuffer.h"

bool TextBuffer::Load(const QString&)
{
    Empty();
    return false;
}

bool TextBuffer::Save(const QString&)
{
    return false;
}

bool TextBuffer::LoadFromBytes(const std::uint8_t*, std::size_t)
{
    Empty();
    return false;
}
