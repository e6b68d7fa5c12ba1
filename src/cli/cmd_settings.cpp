// leafturner-cli settings: every setting after loading, one KEY=value line each, in index order.
#include "cli/clicommand.h"

#include "settings/parablock.h"

int CmdSettings(QStringList args)
{
    if (!args.isEmpty())
        return CliUsageError(QStringLiteral("settings takes no arguments"));
    for (int i = 0; i < kParaCount; ++i)
        CliPrintLine(QString::fromLatin1(ParaKeyName(i)) + u'=' + ParaValueText(i));
    return 0;
}
