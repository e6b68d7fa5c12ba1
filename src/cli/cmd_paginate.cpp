// leafturner-cli paginate (not built yet).
#include "cli/clicommand.h"

int CmdPaginate(QStringList)
{
    return CliFail(QStringLiteral("paginate: not available in this build"));
}
