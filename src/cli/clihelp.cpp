// leafturner-cli's usage and version texts.
#include "cli/clihelp.h"

#include <cstdio>

namespace {

constexpr const char* kUsage = "usage: leafturner-cli [--profile DIR] [--codepage NAME] [--encoding NAME] COMMAND ...\n";

// Every command with its operands, in the order both usage texts list them.
struct Synopsis
{
    const char* name;
    const char* operands; // empty: none
};

constexpr Synopsis kSynopses[] = {
    {"info", "BOOK"},
    {"text", "BOOK [--convert s2t|s2tw|s2hk|t2s]"},
    {"settings", ""},
    {"paginate", "BOOK --window WxH [--offsets | --lines]"},
    {"render", "BOOK --window WxH --page N --out FILE.png [--convert CONFIG] [--highlight OFFSET:LENGTH] [--scale S]"},
    {"turn", "BOOK --window WxH --page N --to M --mode K --out DIR [--scale S]"},
    {"chapters", "BOOK"},
    {"reformat", "BOOK (--simple [--no-blank-lines 0|1] [--trim 0|1] [--indent 0|1] | --complex) --out FILE"},
    {"search", "BOOK PATTERN [--regex] [--ignore-case] [--ignore-width]"},
    {"history", ""},
};

void PrintCommandList(std::FILE* out)
{
    std::fputs("commands:\n", out);
    for (const Synopsis& s : kSynopses)
        std::fprintf(out, "  %s%s%s\n", s.name, *s.operands ? " " : "", s.operands);
}

} // namespace

void CliPrintUsageSummary(std::FILE* out)
{
    std::fputs(kUsage, out);
    std::fputs("commands:", out);
    const char* separator = " ";
    for (const Synopsis& s : kSynopses) {
        std::fprintf(out, "%s%s", separator, s.name);
        separator = ", ";
    }
    std::fputs("\n", out);
}

int CliHandleHelpOptions(const QStringList& args)
{
    // After "--" everything is a command's operand, even a book named "--help".
    for (const QString& a : args) {
        if (a == u"--")
            break;
        if (a == u"--help" || a == u"-h") {
            std::fputs(kUsage, stdout);
            std::fputs("The reader's libraries without a window. Exit 0 on success, 1 when the work\n"
                       "fails, 2 on a usage error. Pages count from 1.\n\n",
                       stdout);
            PrintCommandList(stdout);
            std::fputs("\n"
                       "options:\n"
                       "  --profile DIR     folder of the settings and side files\n"
                       "  --codepage NAME   code page of files without a mark (e.g. GB18030, Big5)\n"
                       "  --encoding NAME   read books in this encoding: auto (default), UTF-8, UTF-16LE,\n"
                       "                    UTF-16BE, GB18030, Big5, Shift_JIS, EUC-JP, EUC-KR\n"
                       "  -h, --help        this text\n"
                       "  --version         the version\n",
                       stdout);
            return 0;
        }
        if (a == u"--version") {
            std::printf("leafturner-cli %s\n", LT_VERSION);
            return 0;
        }
    }
    return -1;
}
