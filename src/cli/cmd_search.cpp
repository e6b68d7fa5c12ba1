// leafturner-cli search BOOK PATTERN [--regex] [--ignore-case] [--ignore-width]: one row per hit,
// "offset<TAB>length<TAB>context", offsets in UTF-16 code units of the decoded text.
#include "cli/clicommand.h"

#include "document/textbuffer.h"
#include "search/textsearch.h"

#include <cstdio>
#include <memory>

namespace {

const QString kUsage =
    QStringLiteral("usage: search BOOK PATTERN [--regex] [--ignore-case] [--ignore-width]");
constexpr int kContextUnits = 10;

} // namespace

int CmdSearch(QStringList args)
{
    // After "--" everything is positional, so a pattern may begin with dashes.
    QStringList positional;
    if (const qsizetype dashes = args.indexOf(QStringLiteral("--")); dashes >= 0) {
        positional = args.mid(dashes + 1);
        args = args.first(dashes);
    }
    SearchQuery query;
    query.regex = TakeFlag(args, QStringLiteral("--regex"));
    query.ignoreCase = TakeFlag(args, QStringLiteral("--ignore-case"));
    query.ignoreWidth = TakeFlag(args, QStringLiteral("--ignore-width"));
    for (const QString& a : args)
        if (a.startsWith(QLatin1String("--")))
            return CliUsageError(QStringLiteral("unknown option: ") + a);
    args += positional;
    if (args.size() != 2)
        return CliUsageError(kUsage);
    query.pattern = args[1];
    if (const QString problem = SearchPatternProblem(query); !problem.isEmpty())
        return CliFail(problem);

    std::unique_ptr<TextBuffer> book;
    if (const int status = OpenBook(args[0], book))
        return status;
    const char16_t* text = nullptr;
    std::int32_t length = 0;
    book->GetText(&text, &length);

    const SearchOutcome outcome = FindHits(text, length, query, [&](std::span<const SearchHit> batch) {
        QString rows;
        for (const SearchHit& hit : batch) {
            const SearchContext c = ContextOfHit(text, length, hit, kContextUnits, kContextUnits);
            rows +=
                QString::number(hit.offset) + u'\t' + QString::number(hit.length) + u'\t' + c.text + u'\n';
        }
        CliWrite(rows);
    });
    switch (outcome.status) {
    case SearchStatus::InvalidPattern:
    case SearchStatus::LimitHit:
        return CliFail(outcome.message);
    case SearchStatus::Capped:
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n",
                     QStringLiteral("已达上限：只列出前 %1 处。").arg(kMaxSearchHits).toUtf8().constData());
        return 0;
    case SearchStatus::Done:
    case SearchStatus::Cancelled:
        break;
    }
    return 0;
}
