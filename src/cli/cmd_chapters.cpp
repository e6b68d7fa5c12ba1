// leafturner-cli chapters (not built yet).
#include "cli/clicommand.h"

int CmdChapters(QStringList)
{
    return CliFail(QStringLiteral("chapters: not available in this build"));
}
