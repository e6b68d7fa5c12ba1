// Reading a book from its file or from memory, and writing it back.
#include "document/bookdecode_p.h"
#include "document/readonlyfile_p.h"
#include "document/textbuffer.h"
#include "document/textcount_p.h"
#include "settings/filewrite.h"
#include "settings/messagesink.h"

namespace {

QString MsgEmpty()
{
    return QStringLiteral("空文件。");
}
QString MsgOver4G()
{
    return QStringLiteral("抱歉，此功能不能处理超过4GB的PDF文件。");
}
QString MsgMappingFailed()
{
    return QStringLiteral("抱歉，文件映射创建失败。");
}
QString MsgViewFailed()
{
    return QStringLiteral("抱歉，映射视图创建失败。");
}
QString MsgNoMemory()
{
    return QStringLiteral("内存不足！");
}
QString MsgTooLarge()
{
    return QStringLiteral("抱歉，文件太大，无法打开。");
}

// Reports a failed decoding; otherwise makes every line end one CR and ends the text with a NUL.
bool Settle(BookDecode::Decoded& d)
{
    switch (d.status) {
    case BookDecode::DecodeStatus::Ok:
        break;
    case BookDecode::DecodeStatus::TooLarge:
        ShowMessage(MsgTooLarge(), MsgIcon::Warning);
        return false;
    case BookDecode::DecodeStatus::NoText:
    case BookDecode::DecodeStatus::NoMemory:
        // A failure, not an empty book: an empty buffer in its place could be saved over the file.
        ShowMessage(MsgNoMemory(), MsgIcon::Warning);
        return false;
    }
    if (!d.normalised)
        d.length = NormaliseLineEnds(d.text.get(), d.length);
    d.text[d.length] = u'\0';
    return true;
}

} // namespace

void TextBuffer::Adopt(char16_t* text, std::int32_t length)
{
    m_text.reset(text);
    m_length = length;
}

bool TextBuffer::Load(const QString& path)
{
    Empty();
    m_fingerprint = {};
    ReadOnlyFile file;
    switch (file.Open(path)) {
    case ReadOnlyFile::Status::Ok:
        break;
    case ReadOnlyFile::Status::Empty:
        ShowMessage(MsgEmpty());
        return true;
    case ReadOnlyFile::Status::Over4G:
        ShowMessage(MsgOver4G(), MsgIcon::Warning);
        return false;
    default:
        ShowMessage(MsgOpenFailed(), MsgIcon::Warning);
        return false;
    }
    if (file.Size() > static_cast<std::uint64_t>(kMaxTextUnits)) {
        // Too large to read and then find out: count first, holding nothing.
        const auto limit = static_cast<std::size_t>(kMaxTextUnits);
        const auto units =
            CountDecodedUnits([&](const PieceVisitor& visit) { return file.ForEachPiece(visit); }, limit);
        if (units && *units > limit) {
            ShowMessage(MsgTooLarge(), MsgIcon::Warning);
            return false;
        }
    }
    ReadOnlyFile::Buffer bytes;
    std::size_t got = 0;
    // Two spare bytes: a UTF-16 file's block becomes the text and keeps room for its NUL.
    switch (file.ReadAll(bytes, got, 2)) {
    case ReadOnlyFile::Status::Ok:
        break;
    case ReadOnlyFile::Status::Empty:
        ShowMessage(MsgEmpty());
        return true;
    case ReadOnlyFile::Status::NoMemory:
        ShowMessage(MsgMappingFailed(), MsgIcon::Warning);
        return false;
    default:
        ShowMessage(MsgViewFailed(), MsgIcon::Warning);
        return false;
    }
    file.Close();
    m_fingerprint = FingerprintOfBytes(bytes.get(), got); // before decoding takes the block over
    BookDecode::Decoded d = BookDecode::DecodeBytes(bytes.get(), got, &bytes, m_choice);
    bytes.reset(); // the bytes are not kept once decoded
    Keep(d.encoding, d.codePage, d.marked);
    if (!Settle(d))
        return false;
    Adopt(d.text.release(), static_cast<std::int32_t>(d.length));
    return true;
}

bool TextBuffer::LoadFromBytes(const std::uint8_t* data, std::size_t size, const EncodingChoice& choice)
{
    Empty();
    m_fingerprint = {};
    if (data == nullptr || size == 0) {
        ShowMessage(MsgEmpty());
        return true;
    }
    BookDecode::Decoded d = BookDecode::DecodeBytes(data, size, nullptr, choice);
    Keep(d.encoding, d.codePage, d.marked);
    if (!Settle(d))
        return false;
    Adopt(d.text.release(), static_cast<std::int32_t>(d.length));
    return true;
}

bool TextBuffer::Save(const QString& path)
{
    const QByteArray out = Encode();
    if (!WriteBookFile(path, out))
        return false;
    m_fingerprint = FingerprintOfBytes(reinterpret_cast<const std::uint8_t*>(out.constData()),
                                       static_cast<std::size_t>(out.size()));
    return true;
}
