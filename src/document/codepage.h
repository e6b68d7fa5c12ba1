// Conversions between UTF-16 and bytes: our own UTF-8 transcoder and the legacy "ANSI" code page.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The reader keeps all text as UTF-16. Bytes without a mark that are not UTF-8 are read in one
// legacy code page, the "ANSI code page": GB18030 unless the locale, --codepage or
// LEAFTURNER_CODEPAGE chooses another. Conversions never throw; bytes that cannot be decoded
// become U+FFFD and decoding goes on with the next byte.
namespace CodePage {

// Chooses the ANSI code page by its iconv name ("CP936", "CP950", ...). False, and nothing
// changed, when iconv does not know the name.
bool SetAnsiCodePage(const QString& name);
QString AnsiCodePageName();

// The code page the locale implies: zh_TW/zh_HK -> CP950, ja -> CP932, ko -> CP949, else GB18030
// (a superset of CP936: GBK bytes read the same, four-byte characters read too).
QString CodePageForLocale(const QString& localeName);

// Chooses the code page at start-up: `override` when not empty, else LEAFTURNER_CODEPAGE, else the
// locale's. False when the chosen name is unknown (the previous code page then stays).
bool InitAnsiCodePage(const QString& override);

// The byte-order mark data[0..n) starts with: FF FE, FE FF or EF BB BF.
enum class ByteOrderMark
{
    None,
    Utf16Le,
    Utf16Be,
    Utf8
};
ByteOrderMark MarkOf(const std::uint8_t* data, std::size_t n);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF; empty counts as well-formed): the question Utf8ToUtf16's stopAtIllFormed answers.
bool IsWellFormedUtf8(const std::uint8_t* data, std::size_t n);

// UTF-8 to UTF-16 in one pass. Invalid sequences become U+FFFD (one per maximal invalid subpart).
// With out == nullptr only counts. `out` must hold at least Utf8MaxUnits(n) units.
std::size_t Utf8ToUtf16(const std::uint8_t* data, std::size_t n, char16_t* out);
// The same with choices, for decoding a whole book in one pass. stopAtIllFormed: stop at the first
// ill-formed sequence instead of marking it (*wellFormed then false), so a caller learns whether the
// bytes are UTF-8 while decoding them. crLineEnds: every line end becomes one CR on the way (CR LF
// and runs of LFs become one CR; a LF right after a written CR is dropped).
struct Utf8Options
{
    bool stopAtIllFormed = false;
    bool crLineEnds = false;
};
std::size_t Utf8ToUtf16(const std::uint8_t* data, std::size_t n, char16_t* out, Utf8Options options,
                        bool* wellFormed = nullptr);
inline std::size_t Utf8MaxUnits(std::size_t n)
{
    return n;
}

// UTF-16 to UTF-8. Lone surrogates become U+FFFD.
std::string Utf16ToUtf8(const char16_t* text, std::size_t n);

// ANSI bytes to UTF-16. `out` must hold at least AnsiMaxUnits(n) units. Returns units written;
// with out == nullptr only counts.
std::size_t AnsiToUtf16(const std::uint8_t* data, std::size_t n, char16_t* out);
inline std::size_t AnsiMaxUnits(std::size_t n)
{
    return n;
}
QString AnsiToQString(const QByteArray& bytes);

// UTF-16 to ANSI bytes. Characters the code page cannot hold become '?'; `exact`, when given,
// tells whether the bytes decode back to exactly the text.
QByteArray Utf16ToAnsi(const char16_t* text, std::size_t n, bool* exact = nullptr);
QByteArray QStringToAnsi(const QString& text, bool* exact = nullptr);

// True when `byte` starts a two-byte character of the ANSI code page.
bool IsLeadByte(std::uint8_t byte);

// The same conversions in a named code page (an iconv name; empty: the ANSI code page), for books
// read in another code page than the side files. `invalid`, when given, counts the bytes that
// started no character.
bool IsKnownCodePage(const QString& name);
std::size_t LegacyToUtf16(const QString& codePage, const std::uint8_t* data, std::size_t n, char16_t* out,
                          std::size_t* invalid = nullptr);
QByteArray Utf16ToLegacy(const QString& codePage, const char16_t* text, std::size_t n, bool* exact = nullptr);
// Which bytes start a multi-byte character (all false for an unknown name).
std::array<bool, 256> LeadBytes(const QString& codePage);

} // namespace CodePage
