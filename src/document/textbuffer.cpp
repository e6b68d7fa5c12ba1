// TextBuffer: holding the text, its page table queries and the forwarding to the page engine.
#include "document/textbuffer.h"

#include "document/codepage.h"

#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {
std::atomic<PageEngine*> g_engine{nullptr};
} // namespace

void SetPageEngine(PageEngine* engine)
{
    g_engine.store(engine);
}

PageEngine* CurrentPageEngine()
{
    return g_engine.load();
}

void TextBuffer::FreeDeleter::operator()(char16_t* p) const
{
    std::free(p);
}

TextBuffer::TextBuffer()
{
    m_pages.Starts().reserve(256);
}

TextBuffer::~TextBuffer()
{
    Empty();
}

void TextBuffer::Empty()
{
    m_pages.Clear();
    m_text.reset();
    m_length = 0;
}

std::size_t TextBuffer::Read(void* destination, std::size_t byteOffset, std::size_t byteCount) const
{
    if (!m_text || destination == nullptr)
        return 0;
    const std::size_t start = byteOffset / 2;
    if (start >= static_cast<std::size_t>(m_length))
        return 0;
    const std::size_t units = std::min(byteCount / 2, static_cast<std::size_t>(m_length) - start);
    std::memcpy(destination, m_text.get() + start, units * sizeof(char16_t));
    return units * sizeof(char16_t);
}

void TextBuffer::GetText(const char16_t** text, std::int32_t* length) const
{
    if (text)
        *text = m_text.get();
    if (length)
        *length = m_length;
}

char16_t* TextBuffer::Allocate(std::size_t count)
{
    Empty();
    if (count > static_cast<std::size_t>(kMaxTextUnits) + 1)
        return nullptr;
    auto* p = static_cast<char16_t*>(std::malloc(std::max<std::size_t>(count, 1) * sizeof(char16_t)));
    m_text.reset(p);
    return p;
}

void TextBuffer::SetLength(std::size_t count)
{
    m_length =
        static_cast<std::int32_t>(std::min<std::size_t>(count, static_cast<std::size_t>(kMaxTextUnits)));
}

int TextBuffer::Paginate(QSize pageSize)
{
    PageEngine* engine = CurrentPageEngine();
    if (!engine) {
        m_pages.Clear();
        return 0;
    }
    return engine->Paginate(*this, pageSize);
}

int TextBuffer::PageCount() const
{
    return m_pages.Count();
}

int TextBuffer::DrawPage(int page, QPainter& painter, const QRect& rect, int numberPlace) const
{
    PageEngine* engine = CurrentPageEngine();
    if (!engine)
        return 0;
    return engine->DrawPage(*this, page, painter, rect, numberPlace);
}

std::int32_t TextBuffer::PageStart(int page) const
{
    if (page < 0 || page >= m_pages.Count())
        return 0;
    return m_pages.At(page);
}

int TextBuffer::PageOf(std::int32_t offset) const
{
    const auto& starts = m_pages.Starts();
    // The first page whose start is greater than the offset.
    const auto it = std::upper_bound(starts.begin(), starts.end(), offset);
    if (it == starts.end())
        return offset < m_length ? m_pages.Count() - 1 : 0;
    const auto i = static_cast<int>(it - starts.begin());
    return i == 0 ? 0 : i - 1;
}

std::int32_t TextBuffer::Length() const
{
    return m_length;
}

bool HasBookExtension(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && name.mid(dot).compare(QLatin1String(".txt"), Qt::CaseInsensitive) == 0;
}

std::unique_ptr<TextBuffer> CreateTextBuffer(const QString& path)
{
    return CreateTextBuffer(path, RememberedEncodingChoice(path));
}

std::unique_ptr<TextBuffer> CreateTextBuffer(const QString& path, const EncodingChoice& choice)
{
    if (!HasBookExtension(path))
        return nullptr;
    auto buffer = std::make_unique<TextBuffer>();
    buffer->SetEncodingChoice(choice);
    if (!buffer->Load(path))
        return nullptr;
    return buffer;
}

QString EncodingDisplayName(const TextBuffer& buffer)
{
    switch (buffer.Encoding()) {
    case SourceEncoding::Ansi:
        return CodePageDisplayName(buffer.CodePageName().isEmpty() ? CodePage::AnsiCodePageName()
                                                                   : buffer.CodePageName());
    case SourceEncoding::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case SourceEncoding::Utf16Be:
        return QStringLiteral("UTF-16BE");
    case SourceEncoding::Utf8Bom:
    case SourceEncoding::Utf8:
        return QStringLiteral("UTF-8");
    }
    return {};
}
