// Generated Chinese books for tests and benchmarks: chapters, paragraphs, punctuation, any encoding.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

enum class BookEncoding
{
    Utf8,
    Utf8Bom,
    Gbk,
    Ansi,
    Utf16Le,
    Utf16Be
};

// What to generate. The same options and seed always give the same book.
struct BookOptions
{
    std::int64_t characters = 100000; // UTF-16 units of the text, line ends counted as one
    BookEncoding encoding = BookEncoding::Utf8;
    bool crlf = true; // CR LF line ends, else LF
    int wrap = 0;     // hard-wrap paragraphs every `wrap` characters; 0 keeps them whole
    std::uint64_t seed = 1;
};

// Parses "utf8", "utf8bom", "gbk", "ansi", "utf16le", "utf16be" (any case). False for anything else.
bool ParseBookEncoding(const QString& name, BookEncoding* encoding);

// The book's text with LF line ends: chapter headings such as "第十二章　风起" or "第12章", paragraphs
// opening with two U+3000, Chinese punctuation. Exactly `characters` units long.
QString GenerateBookText(const BookOptions& options);

// `text` (LF line ends) as the file's bytes: line ends and encoding as the options say, with the
// mark of Utf8Bom/Utf16Le/Utf16Be. Gbk is CP936 whatever the ANSI code page; Ansi is the current one.
QByteArray EncodeBookText(const QString& text, const BookOptions& options);

// GenerateBookText + EncodeBookText.
QByteArray GenerateBook(const BookOptions& options);
