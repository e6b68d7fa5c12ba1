// The text of the open book: UTF-16, one CR at every line end, with its encoding and page table.
#pragma once

#include "document/bookfingerprint.h"
#include "document/bookencoding.h"
#include "document/pagetable.h"
#include "document/sourceencoding.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

class QPainter;
class TextBuffer;

// Pagination and page drawing live in the layout library, which installs itself here; without an
// engine a buffer paginates to 0 pages and draws nothing.
class PageEngine
{
public:
    virtual ~PageEngine() = default;
    virtual int Paginate(TextBuffer& buffer, QSize pageSize) = 0;
    virtual int DrawPage(const TextBuffer& buffer, int page, QPainter& painter, const QRect& rect,
                         int numberPlace) = 0;
};
void SetPageEngine(PageEngine* engine);
PageEngine* CurrentPageEngine();

// Largest text the reader holds: offsets are signed 32-bit.
constexpr std::int64_t kMaxTextUnits = 2147483646; // 2^31 - 2

class TextBuffer
{
public:
    TextBuffer();
    virtual ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Reads and decodes the file; messages go to the message sink.
    virtual bool Load(const QString& path);
    // Writes Encode()'s bytes, replacing the file atomically (in place when only the file is writable).
    virtual bool Save(const QString& path);
    // Copies text from code unit byteOffset/2, at most byteCount/2 units; returns bytes copied.
    virtual std::size_t Read(void* destination, std::size_t byteOffset, std::size_t byteCount) const;
    virtual void GetText(const char16_t** text, std::int32_t* length) const;
    // Frees the text and returns room for `count` units (null on failure); the encoding is kept.
    virtual char16_t* Allocate(std::size_t count);
    virtual void SetLength(std::size_t count);
    virtual int Paginate(QSize pageSize);
    virtual int PageCount() const;
    // numberPlace: 0 none, 1 left-aligned, 2 right-aligned, 3 centred. Returns units drawn.
    virtual int DrawPage(int page, QPainter& painter, const QRect& rect, int numberPlace) const;
    virtual std::int32_t PageStart(int page) const;
    virtual int PageOf(std::int32_t offset) const;
    virtual std::int32_t Length() const;

    // The file's bytes: the text in the encoding it was read in, CR as CR LF. `written` is the encoding
    // the bytes are in: UTF-16LE for an Ansi text the code page cannot hold.
    QByteArray Encode(SourceEncoding* written = nullptr) const;
    // Decodes bytes held in memory as if they were a file's contents (the reformat result), detected
    // unless `choice` says otherwise (the choice made for the file does not apply).
    bool LoadFromBytes(const std::uint8_t* data, std::size_t size, const EncodingChoice& choice = {});

    const char16_t* Text() const { return m_text.get(); }
    bool HasText() const { return m_text != nullptr && m_length > 0; }
    SourceEncoding Encoding() const { return m_encoding; }
    // Another encoding than the current one is written the usual way: UTF-16 with its mark,
    // Ansi in the ANSI code page. The same one keeps its code page and mark.
    void SetEncoding(SourceEncoding encoding)
    {
        if (encoding != m_encoding)
            Keep(encoding, {}, true);
    }
    // The code page an Ansi book was read in and is saved in (empty: the ANSI code page).
    const QString& CodePageName() const { return m_codePage; }
    // False for UTF-16 read without a mark, which is saved without one too.
    bool HasMark() const { return m_marked; }
    // How the next Load reads the file (detection unless chosen).
    void SetEncodingChoice(const EncodingChoice& choice) { m_choice = choice; }
    const EncodingChoice& Choice() const { return m_choice; }
    // Of the file as last loaded or saved; invalid for text that came from memory.
    const BookFingerprint& Fingerprint() const { return m_fingerprint; }
    PageTable& Pages() { return m_pages; }
    const PageTable& Pages() const { return m_pages; }

private:
    struct FreeDeleter
    {
        void operator()(char16_t* p) const;
    };
    void Empty();
    void Keep(SourceEncoding encoding, const QString& codePage, bool marked)
    {
        m_encoding = encoding;
        m_codePage = codePage;
        m_marked = marked;
    }
    // Takes a malloc'ed, NUL-terminated text.
    void Adopt(char16_t* text, std::int32_t length);

    PageTable m_pages;
    std::unique_ptr<char16_t[], FreeDeleter> m_text;
    std::int32_t m_length = 0;
    SourceEncoding m_encoding = SourceEncoding::Ansi;
    BookFingerprint m_fingerprint;
    QString m_codePage;
    bool m_marked = true;
    EncodingChoice m_choice;
};

// Makes every line end one CR in place: CR LF and each run of LFs become one CR (a LF directly
// after a written CR is dropped). Returns the new length.
std::size_t NormaliseLineEnds(char16_t* text, std::size_t n);

// True when the file name ends in ".txt" (without regard to case): the only books the reader opens.
bool HasBookExtension(const QString& path);
// A buffer for a ".txt" path (extension compared without case), loaded; none for another extension
// or a failed load. Without a choice, the one remembered for the path (see BookEncodingMemory).
std::unique_ptr<TextBuffer> CreateTextBuffer(const QString& path);
std::unique_ptr<TextBuffer> CreateTextBuffer(const QString& path, const EncodingChoice& choice);

// The encoding as users name it: "UTF-8", "UTF-16LE", "GB18030", "Big5"...
QString EncodingDisplayName(const TextBuffer& buffer);
