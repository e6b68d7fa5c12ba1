// The line reader for side files and memory blocks.
#include "document/mappedtextfile.h"

#include "document/readonlyfile_p.h"
#include "document/sourceencoding.h"
#include "document/codepage.h"
#include "settings/messagesink.h"

#include <cstdlib>
#include <cstring>

void MappedTextFile::FreeDeleter::operator()(std::uint8_t* p) const
{
    std::free(p);
}

MappedTextFile::~MappedTextFile()
{
    Close();
}

void MappedTextFile::Close()
{
    m_fileBytes.reset();
    m_owned.reset();
    m_data = nullptr;
    m_size = 0;
    m_position = 0;
    m_attached = false;
}

bool MappedTextFile::Open(const QString& path, bool quiet, bool detect, const std::uint8_t** data,
                          std::uint32_t* size)
{
    Close();
    auto tell = [quiet](const QString& text) {
        if (!quiet)
            ShowMessage(text, MsgIcon::Warning);
    };
    ReadOnlyFile file;
    switch (file.Open(path)) {
    case ReadOnlyFile::Status::Ok:
        break;
    case ReadOnlyFile::Status::Over4G:
        tell(QStringLiteral("抱歉，此功能不能处理超过4GB的PDF文件。"));
        return false;
    default:
        return false; // missing, unreadable or empty: no message
    }
    ReadOnlyFile::Buffer bytes;
    std::size_t got = 0;
    switch (file.ReadAll(bytes, got)) {
    case ReadOnlyFile::Status::Ok:
        break;
    case ReadOnlyFile::Status::NoMemory:
        tell(QStringLiteral("抱歉，文件映射创建失败。"));
        return false;
    case ReadOnlyFile::Status::ReadError:
        tell(QStringLiteral("抱歉，映射视图创建失败。"));
        return false;
    default:
        return false;
    }
    m_fileBytes.reset(bytes.release());
    m_data = m_fileBytes.get();
    m_size = static_cast<std::uint32_t>(got);
    if (data)
        *data = m_data;
    if (size)
        *size = m_size;
    if (detect)
        DetectEncoding();
    return true;
}

bool MappedTextFile::Attach(const void* block, std::uint32_t length, bool detect)
{
    Close();
    if (block == nullptr || length == 0)
        return false;
    m_data = static_cast<const std::uint8_t*>(block);
    m_size = length;
    m_attached = true;
    if (detect)
        DetectEncoding();
    return true;
}

bool MappedTextFile::Attach(std::unique_ptr<std::uint8_t[]> block, std::uint32_t length, bool detect)
{
    if (!Attach(static_cast<const void*>(block.get()), length, detect))
        return false;
    m_owned = std::move(block);
    return true;
}

void MappedTextFile::DetectEncoding()
{
    m_encoding = 0;
    if (m_size < 3)
        return;
    switch (CodePage::MarkOf(m_data, m_size)) {
    case CodePage::ByteOrderMark::Utf16Le:
        m_encoding = 1;
        break;
    case CodePage::ByteOrderMark::Utf16Be:
        m_encoding = 2;
        break;
    case CodePage::ByteOrderMark::Utf8:
        m_encoding = 3;
        break;
    case CodePage::ByteOrderMark::None:
        if (m_size >= 4 && IsUtf8Text(m_data, m_size))
            m_encoding = 4;
        break;
    }
}

bool MappedTextFile::ReadLine(QString& line)
{
    if (m_data == nullptr || m_position >= m_size)
        return false;
    switch (m_encoding) {
    case 1:
        return ReadLine16(line, false);
    case 2:
        return ReadLine16(line, true);
    default:
        return ReadLine8(line);
    }
}

bool MappedTextFile::ReadLine16(QString& line, bool bigEndian)
{
    const std::uint8_t* b = m_data;
    if (m_position == 0 &&
        CodePage::MarkOf(b, m_size) == (bigEndian ? CodePage::ByteOrderMark::Utf16Be : CodePage::ByteOrderMark::Utf16Le))
        m_position = 2;
    auto unit = [&](std::uint32_t at) -> char16_t {
        return bigEndian ? static_cast<char16_t>((b[at] << 8) | b[at + 1])
                         : static_cast<char16_t>(b[at] | (b[at + 1] << 8));
    };
    // Whole units only: an odd last byte is no character.
    const std::uint32_t end = m_position + ((m_size - m_position) & ~std::uint32_t{1});
    if (m_position >= end) {
        m_position = m_size;
        return false;
    }
    std::uint32_t at = m_position;
    while (at < end) {
        const char16_t u = unit(at);
        if (u == u'\r' || u == u'\n')
            break;
        at += 2;
    }
    const auto count = static_cast<qsizetype>((at - m_position) / 2);
    line.resize(count);
    char16_t* out = reinterpret_cast<char16_t*>(line.data());
    for (qsizetype i = 0; i < count; ++i)
        out[i] = unit(m_position + static_cast<std::uint32_t>(i) * 2);
    if (at < end) {
        const bool crlf = unit(at) == u'\r' && at + 2 < end && unit(at + 2) == u'\n';
        at += crlf ? 4 : 2;
    } else {
        at = m_size;
    }
    m_position = at;
    return true;
}

bool MappedTextFile::ReadLine8(QString& line)
{
    const std::uint8_t* b = m_data;
    if (m_encoding == 3 && m_position == 0 && CodePage::MarkOf(b, m_size) == CodePage::ByteOrderMark::Utf8)
        m_position = 3;
    if (m_position >= m_size)
        return false;
    std::uint32_t at = m_position;
    while (at < m_size && b[at] != '\r' && b[at] != '\n')
        ++at;
    const std::size_t n = at - m_position;
    line.resize(static_cast<qsizetype>(n));
    char16_t* out = reinterpret_cast<char16_t*>(line.data());
    const std::size_t units = (m_encoding == 3 || m_encoding == 4)
                                  ? CodePage::Utf8ToUtf16(b + m_position, n, out)
                                  : CodePage::AnsiToUtf16(b + m_position, n, out);
    line.truncate(static_cast<qsizetype>(units));
    if (at < m_size)
        at += (b[at] == '\r' && at + 1 < m_size && b[at + 1] == '\n') ? 2 : 1;
    m_position = at;
    return true;
}
