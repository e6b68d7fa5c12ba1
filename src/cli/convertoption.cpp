// --convert CONFIG, parsed once for text and render.
#include "cli/convertoption.h"

#include "cli/clicommand.h"

int TakeConvertOption(QStringList& args, ConvertConfig* config)
{
    *config = ConvertConfig::None;
    QString name;
    QString error;
    const bool given = TakeOption(args, QStringLiteral("--convert"), &name, &error);
    if (!error.isEmpty())
        return CliUsageError(error);
    if (given && (!ParseConvertConfig(name.toStdString(), config) || *config == ConvertConfig::None))
        return CliUsageError(QStringLiteral("--convert takes s2t, s2tw, s2hk or t2s"));
    return 0;
}
