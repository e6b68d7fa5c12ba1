// leafturner-cli render (not built yet).
#include "cli/clicommand.h"

int CmdRender(QStringList)
{
    return CliFail(QStringLiteral("render: not available in this build"));
}
