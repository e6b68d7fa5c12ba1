// leafturner-cli chapters: the chapter rows of a book, "offset<TAB>title", with the profile's conditions.
#include "cli/clicommand.h"

#include "chapters/chapterdetection.h"
#include "chapters/conditionfile.h"
#include "chapters/regexmatcher.h"
#include "document/textbuffer.h"
#include "settings/messagesink.h"
#include "settings/profile.h"

#include <memory>

int CmdChapters(QStringList args)
{
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--")))
        return CliUsageError(QStringLiteral("usage: chapters BOOK"));

    std::unique_ptr<TextBuffer> book;
    if (const int status = OpenBook(args[0], book))
        return status;

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
    ChapterSearchReport report;
    if (FindChapterStarts(text, length, matcher, conditions, options, table, nullptr, &report) !=
        ChapterSearchResult::Done)
        return 1; // the reason is already on standard error
    // What was left out goes to standard error, so the rows on standard output stay clean.
    for (const QString& notice : ChapterSearchNotices(report))
        ShowMessage(notice, MsgIcon::Warning);
    QString out;
    BuildChapterEntries(text, length, table, options.noDupChapter, {}, [&out](const ChapterEntry& e) {
        // A TAB, line break or other control character in a title would break the row into fields.
        QString title = e.title;
        for (QChar& c : title)
            if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                c == QChar::ParagraphSeparator)
                c = u' ';
        out += QString::number(e.offset) + u'\t' + title + u'\n';
    });
    CliWrite(out);
    return 0;
}
