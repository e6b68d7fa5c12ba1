// Encoding names and the session's per-book memory of them.
#include "document/bookencoding.h"

#include "document/codepage.h"

#include <QHash>
#include <atomic>
#include <mutex>

namespace {

struct NamedCodePage
{
    const char* display;
    const char* iconv;
};

// Display names first, then the iconv names they stand for.
constexpr NamedCodePage kCodePages[] = {
    {"GB18030", "GB18030"}, {"Big5", "CP950"},   {"Shift_JIS", "CP932"},
    {"EUC-JP", "EUC-JP"},   {"EUC-KR", "CP949"},
};

class SessionMemory : public BookEncodingMemory
{
public:
    QString ChosenEncoding(const QString& path) override
    {
        std::lock_guard guard(m_lock);
        return m_names.value(path);
    }
    void SetChosenEncoding(const QString& path, const QString& name) override
    {
        std::lock_guard guard(m_lock);
        if (name.isEmpty() || name.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
            m_names.remove(path);
        else
            m_names.insert(path, name);
    }

private:
    std::mutex m_lock;
    QHash<QString, QString> m_names;
};

SessionMemory& Session()
{
    static SessionMemory memory;
    return memory;
}

std::atomic<BookEncodingMemory*> g_memory{nullptr};

} // namespace

std::optional<EncodingChoice> ParseEncodingChoice(const QString& name)
{
    const QString n = name.trimmed();
    auto is = [&](const char* s) { return n.compare(QLatin1String(s), Qt::CaseInsensitive) == 0; };
    using Kind = EncodingChoice::Kind;
    if (is("auto"))
        return EncodingChoice{Kind::Auto, {}};
    if (is("UTF-8") || is("UTF8"))
        return EncodingChoice{Kind::Utf8, {}};
    if (is("UTF-16LE"))
        return EncodingChoice{Kind::Utf16Le, {}};
    if (is("UTF-16BE"))
        return EncodingChoice{Kind::Utf16Be, {}};
    for (const NamedCodePage& p : kCodePages)
        if (is(p.display) || is(p.iconv))
            return EncodingChoice{Kind::CodePage, QString::fromLatin1(p.iconv)};
    if (!n.isEmpty() && !n.startsWith(u"UTF", Qt::CaseInsensitive) && CodePage::IsKnownCodePage(n))
        return EncodingChoice{Kind::CodePage, n.toUpper()};
    return std::nullopt;
}

QString CodePageDisplayName(const QString& codePage)
{
    for (const NamedCodePage& p : kCodePages)
        if (codePage.compare(QLatin1String(p.iconv), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(p.display);
    return codePage.toUpper();
}

QString EncodingChoiceName(const EncodingChoice& choice)
{
    switch (choice.kind) {
    case EncodingChoice::Kind::Auto:
        return QStringLiteral("auto");
    case EncodingChoice::Kind::Utf8:
        return QStringLiteral("UTF-8");
    case EncodingChoice::Kind::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case EncodingChoice::Kind::Utf16Be:
        return QStringLiteral("UTF-16BE");
    case EncodingChoice::Kind::CodePage:
        return CodePageDisplayName(choice.codePage);
    }
    return QStringLiteral("auto");
}

QStringList EncodingChoiceNames()
{
    QStringList names{QStringLiteral("auto"), QStringLiteral("UTF-8"), QStringLiteral("UTF-16LE"),
                      QStringLiteral("UTF-16BE")};
    for (const NamedCodePage& p : kCodePages)
        names << QString::fromLatin1(p.display);
    return names;
}

void SetBookEncodingMemory(BookEncodingMemory* memory)
{
    g_memory.store(memory);
}

BookEncodingMemory& CurrentBookEncodingMemory()
{
    BookEncodingMemory* memory = g_memory.load();
    return memory ? *memory : Session();
}

EncodingChoice RememberedEncodingChoice(const QString& path)
{
    const QString name = CurrentBookEncodingMemory().ChosenEncoding(path);
    if (name.isEmpty())
        return {};
    return ParseEncodingChoice(name).value_or(EncodingChoice{});
}
