// leafturner-cli history: the remembered books, most recent first: percent TAB offset TAB path.
#include "cli/clicommand.h"

#include "history/historydb.h"
#include "settings/profile.h"

int CmdHistory(QStringList args)
{
    if (!args.isEmpty())
        return CliUsageError(QStringLiteral("history takes no arguments"));
    HistoryDb::Status status = HistoryDb::Status::Failed;
    const auto db = HistoryDb::OpenReadOnly(ProfileFile(QStringLiteral(".db")), &status);
    if (status == HistoryDb::Status::Missing)
        return 0; // nothing read yet
    if (!db)
        return CliFail(QStringLiteral("阅读记录无法打开。"));
    QString out;
    for (const BookRecord& r : db->All())
        out +=
            QString::number(r.percent, 'f', 2) + u'\t' + QString::number(r.position) + u'\t' + r.path + u'\n';
    CliWrite(out);
    return 0;
}
