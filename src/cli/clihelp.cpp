// leafturner-cli's usage and version texts.
#include "cli/clihelp.h"

#include <cstdio>

namespace {

constexpr const char* kCommands =
    "commands:\n"
    "  info BOOK\n"
    "  text BOOK [--convert s2t|s2tw|s2hk|t2s]\n"
    "  settings\n"
    "  paginate BOOK --window WxH [--offsets | --lines]\n"
    "  render BOOK --window WxH --page N --out FILE.png [--convert CONFIG] [--highlight OFFSET:LENGTH]"
    " [--scale S]\n"
    "  turn BOOK --window WxH --page N --to M --mode K --out DIR [--scale S]\n"
    "  chapters BOOK\n"
    "  reformat BOOK (--simple [--no-blank-lines 0|1] [--trim 0|1] [--indent 0|1] | --complex) --out FILE\n"
    "  search BOOK PATTERN [--regex] [--ignore-case] [--ignore-width]\n"
    "  history\n";

} // namespace

int CliHandleHelpOptions(const QStringList& args)
{
    // After "--" everything is a command's operand, even a book named "--help".
    for (const QString& a : args) {
        if (a == u"--")
            break;
        if (a == u"--help" || a == u"-h") {
            std::printf("usage: leafturner-cli [--profile DIR] [--codepage NAME] [--encoding NAME] COMMAND ...\n"
                        "The reader's libraries without a window. Exit 0 on success, 1 when the work\n"
                        "fails, 2 on a usage error. Pages count from 1.\n\n%s\n"
                        "options:\n"
                        "  --profile DIR     folder of the settings and side files\n"
                        "  --codepage NAME   code page of files without a mark (e.g. GB18030, Big5)\n"
                        "  --encoding NAME   read books in this encoding: auto (default), UTF-8, UTF-16LE,\n"
                        "                    UTF-16BE, GB18030, Big5, Shift_JIS, EUC-JP, EUC-KR\n"
                        "  -h, --help        this text\n"
                        "  --version         the version\n",
                        kCommands);
            return 0;
        }
        if (a == u"--version") {
            std::printf("leafturner-cli %s\n", LT_VERSION);
            return 0;
        }
    }
    return -1;
}
