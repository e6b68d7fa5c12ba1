// leafturner-cli chapters: the chapter rows of a book, "offset<TAB>title", with the profile's conditions.
#include "cli/clicommand.h"

#include "chapters/chapterdetection.h"
#include "chapters/conditionfile.h"
#include "chapters/regexmatcher.h"
#include "document/textbuffer.h"
#include "settings/messagesink.h"
#include "settings/profile.h"

#include <memory>

namespace {

// Passes messages on and remembers whether loading already told the user why it failed.
class CountingSink : public MessageSink
{
public:
    explicit CountingSink(MessageSink& next) : m_next(next) {}
    MsgAnswer Show(const QString& text, MsgButtons buttons, MsgIcon icon) override
    {
        ++m_count;
        return m_next.Show(text, buttons, icon);
    }
    int Count() const { return m_count; }

private:
    MessageSink& m_next;
    int m_count = 0;
};

} // namespace

int CmdChapters(QStringList args)
{
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--")))
        return CliUsageError(QStringLiteral("usage: chapters BOOK"));

    std::unique_ptr<TextBuffer> book;
    {
        CountingSink counting(CurrentMessageSink());
        ScopedMessageSink scoped(&counting);
        book = CreateTextBuffer(args[0]);
        if (!book) {
            if (counting.Count() == 0)
                return CliFail(QStringLiteral("文件打开失败。"));
            return 1;
        }
    }

    // Read only: a missing file means the defaults, and the command never creates it.
    ChapterConditionList conditions;
    LoadConditionFile(ConditionFilePath(), conditions);

    const char16_t* text = nullptr;
    std::int32_t length = 0;
    book->GetText(&text, &length);
    RegexMatcher matcher;
    matcher.Create();
    matcher.SetGlobal(true);
    matcher.SetIgnoreCase(false);
    matcher.SetMultiline(true);
    const ChapterSearchOptions options = ChapterSearchOptions::FromSettings();
    ChapterTable table;
    if (FindChapterStarts(text, length, matcher, conditions, options, table) != ChapterSearchResult::Done)
        return 1; // the reason is already on standard error
    QString out;
    BuildChapterEntries(text, length, table, options.noDupChapter, {}, [&out](const ChapterEntry& e) {
        out += QString::number(e.offset) + u'\t' + e.title + u'\n';
    });
    CliWrite(out);
    return 0;
}
