// The encodings a reader can pick for a book by name, and where the pick is remembered per book.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// How a book is to be read: detected, or in one named encoding.
struct EncodingChoice
{
    enum class Kind
    {
        Auto,
        Utf8,
        Utf16Le,
        Utf16Be,
        CodePage
    };
    Kind kind = Kind::Auto;
    QString codePage; // the iconv name, for Kind::CodePage

    bool operator==(const EncodingChoice&) const = default;
};

// "auto", "UTF-8", "UTF-16LE", "UTF-16BE", "GB18030", "Big5", "Shift_JIS", "EUC-JP", "EUC-KR" (any
// case), or the iconv name of another code page iconv knows; nothing for an unknown name.
std::optional<EncodingChoice> ParseEncodingChoice(const QString& name);
// The name users see: "UTF-8", "Big5" (CP950), "Shift_JIS" (CP932), "EUC-KR" (CP949), ...
QString EncodingChoiceName(const EncodingChoice& choice);
// The user's name of a code page: "Big5" for CP950, the iconv name for those without another.
QString CodePageDisplayName(const QString& codePage);
// The names offered for picking, "auto" first.
QStringList EncodingChoiceNames();

// Remembers the encoding chosen for each book. The default keeps choices for the running session;
// the reading history installs one that keeps them across restarts.
class BookEncodingMemory
{
public:
    virtual ~BookEncodingMemory() = default;
    // The name stored for the book at `path` (see ParseEncodingChoice), empty when none was chosen.
    virtual QString ChosenEncoding(const QString& path) = 0;
    // Stores the name; empty or "auto" forgets the choice.
    virtual void SetChosenEncoding(const QString& path, const QString& name) = 0;
};
// Null puts the session default back. The memory must outlive its use.
void SetBookEncodingMemory(BookEncodingMemory* memory);
BookEncodingMemory& CurrentBookEncodingMemory();
// The choice remembered for `path`, Auto when none is or it no longer parses.
EncodingChoice RememberedEncodingChoice(const QString& path);
