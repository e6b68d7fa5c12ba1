// leafturner-cli info (not built yet).
#include "cli/clicommand.h"

int CmdInfo(QStringList)
{
    return CliFail(QStringLiteral("info: not available in this build"));
}
