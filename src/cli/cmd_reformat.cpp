// leafturner-cli reformat (not built yet).
#include "cli/clicommand.h"

int CmdReformat(QStringList)
{
    return CliFail(QStringLiteral("reformat: not available in this build"));
}
