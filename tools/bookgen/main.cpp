// leafturner-bookgen: writes a generated Chinese book for tests and benchmarks.
#include "bookgen/bookgen.h"

#include "document/codepage.h"

#include <QFile>
#include <QStringList>
#include <cstdio>

namespace {

int Usage(const char* problem)
{
    std::fprintf(stderr,
                 "leafturner-bookgen: %s\n"
                 "usage: leafturner-bookgen --out FILE [--chars N] [--encoding "
                 "utf8|utf8bom|gbk|ansi|utf16le|utf16be]\n"
                 "                          [--line-ends crlf|lf] [--wrap N] [--seed N] [--codepage NAME]\n",
                 problem);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    BookOptions options;
    QString out;
    QString codepage;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (i + 1 >= argc)
            return Usage("every option needs a value");
        const QString value = QString::fromLocal8Bit(argv[++i]);
        bool ok = true;
        if (arg == u"--out") {
            out = value;
        } else if (arg == u"--chars") {
            options.characters = value.toLongLong(&ok);
            ok = ok && options.characters >= 0;
        } else if (arg == u"--encoding") {
            ok = ParseBookEncoding(value, &options.encoding);
        } else if (arg == u"--line-ends") {
            ok = value == u"crlf" || value == u"lf";
            options.crlf = value == u"crlf";
        } else if (arg == u"--wrap") {
            options.wrap = value.toInt(&ok);
            ok = ok && options.wrap >= 0;
        } else if (arg == u"--seed") {
            options.seed = value.toULongLong(&ok);
        } else if (arg == u"--codepage") {
            codepage = value;
        } else {
            return Usage("unknown option");
        }
        if (!ok)
            return Usage("bad value");
    }
    if (out.isEmpty())
        return Usage("--out FILE is required");
    if (!CodePage::InitAnsiCodePage(codepage))
        return Usage("unknown code page");
    const QByteArray bytes = GenerateBook(options);
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "leafturner-bookgen: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
