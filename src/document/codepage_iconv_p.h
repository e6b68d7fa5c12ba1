// The per-thread iconv converters that choosing a code page keeps and the conversions use.
#pragma once

#include <QByteArray>
#include <QString>
#include <iconv.h>

namespace CodePage::detail {

// A converter of one thread, reopened by Open when the code page changes.
struct Converter
{
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    int generation = -1;
    QByteArray name;
    Converter() = default;
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter()
    {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
};

// Readies `c` to convert from (toUnicode) or to the code page `named`, the ANSI one when empty;
// (iconv_t)-1 when iconv has no such converter. `asciiCompatible`: whether bytes below 0x80 stand
// for themselves there.
iconv_t Open(Converter& c, bool toUnicode, bool* asciiCompatible = nullptr, const QByteArray& named = {});

// This thread's converters: from and to the ANSI code page, from a named one (one kept for each
// of the last few names), to a named one.
Converter& Decoder();
Converter& Encoder();
Converter& NamedDecoder(const QByteArray& name);
Converter& NamedEncoder();

// A code-page name as iconv takes it.
QByteArray IconvName(const QString& name);

} // namespace CodePage::detail
