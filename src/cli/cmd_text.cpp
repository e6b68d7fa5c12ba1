// leafturner-cli text (not built yet).
#include "cli/clicommand.h"

int CmdText(QStringList)
{
    return CliFail(QStringLiteral("text: not available in this build"));
}
