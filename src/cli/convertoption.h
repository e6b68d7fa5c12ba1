// The --convert option of the commands that can show a book in the other script.
#pragma once

#include "convert/scriptconverter.h"

#include <QStringList>

// Takes "--convert CONFIG" out of `args` into `config` (None when absent). 0, or the usage error's
// exit status for a missing or unknown config.
int TakeConvertOption(QStringList& args, ConvertConfig* config);
