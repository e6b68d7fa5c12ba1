// The lines of an INI-style file: decoding its bytes, finding and changing sections and keys.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// The parsed lines of one INI file. Sections are "[name]" lines, entries "key=value" lines; section
// and key names compare case-insensitively for ASCII letters; the first matching section and the
// first matching key win. Every line that is not touched is kept as it was.
class IniDocument
{
public:
    IniDocument() = default;

    // Decodes file bytes: UTF-16LE/BE with mark, UTF-8 (with or without mark), else the ANSI code page.
    static IniDocument FromBytes(const QByteArray& bytes);
    // UTF-16LE with FF FE, every line ended by CR LF.
    QByteArray ToBytes() const;

    std::optional<QString> Value(const QString& section, const QString& key) const;
    QStringList SectionNames() const;
    QStringList Keys(const QString& section) const;
    bool HasSection(const QString& section) const;

    // Each returns whether the document changed.
    bool SetValue(const QString& section, const QString& key, const QString& value);
    bool RemoveKey(const QString& section, const QString& key);
    bool RemoveSection(const QString& section);

    const QStringList& Lines() const { return m_lines; }

private:
    int FindSection(const QString& section) const; // index of the header line, -1 if none
    int SectionEnd(int header) const;              // index of the next header or Lines().size()
    int FindKey(int header, const QString& key) const;

    QStringList m_lines;
};

// Decodes the bytes of an INI-style file: UTF-16LE/BE with mark, UTF-8 with mark or valid UTF-8,
// else the ANSI code page. The mark is not part of the result.
QString DecodeIniBytes(const QByteArray& bytes);

// The integer text starts with: an optional sign, then decimal digits (saturated to int) or, with
// allowHex, "0x" and hex digits (saturated at FFFFFFFF, read as signed 32-bit, then the sign).
// Stops at the first character that is no digit; none gives 0.
int ParseIntPrefix(QStringView text, bool allowHex);
