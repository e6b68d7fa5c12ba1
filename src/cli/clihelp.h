// leafturner-cli --help and --version.
#pragma once

#include <QStringList>
#include <cstdio>

// Handles --help / -h and --version among the arguments before or after the command name:
// prints to standard output and returns 0. Returns -1 when neither is asked for.
int CliHandleHelpOptions(const QStringList& args);
// The usage line and the names of the commands, for a usage error.
void CliPrintUsageSummary(std::FILE* out);
