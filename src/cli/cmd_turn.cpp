// leafturner-cli turn (not built yet).
#include "cli/clicommand.h"

int CmdTurn(QStringList)
{
    return CliFail(QStringLiteral("turn: not available in this build"));
}
