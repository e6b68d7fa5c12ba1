// The reader's command line.
#include "app/commandline.h"

#include <QFileInfo>
#include <cstdio>
#include <cstring>

ReaderCommandLine ParseReaderCommandLine(const QStringList& args)
{
    ReaderCommandLine line;
    auto refuse = [&line](const QString& error) {
        line.action = ReaderCommandLine::Action::UsageError;
        line.error = error;
        return line;
    };
    bool optionsEnded = false;
    QString book;
    for (const QString& a : args) {
        if (!optionsEnded && a.startsWith(u'-') && a.size() > 1) {
            if (a == u"--")
                optionsEnded = true;
            else if (a == u"--help" || a == u"-h")
                line.action = ReaderCommandLine::Action::Help;
            else if (a == u"--version")
                line.action = ReaderCommandLine::Action::Version;
            else if (a == u"--new-window")
                line.newWindow = true;
            else
                return refuse(QStringLiteral("未知选项：") + a);
            continue;
        }
        if (!book.isEmpty())
            return refuse(QStringLiteral("一次只能打开一本书：") + a);
        if (a.isEmpty())
            return refuse(QStringLiteral("书的路径为空"));
        book = a;
    }
    if (line.action != ReaderCommandLine::Action::Run)
        return line;
    // Absolute, because a running reader that takes the book over has another working folder.
    if (!book.isEmpty())
        line.book = QFileInfo(book).absoluteFilePath();
    return line;
}

QString LeafturnerVersion()
{
    return QStringLiteral(LT_VERSION);
}

QString ReaderVersionText()
{
    return QStringLiteral("leafturner ") + LeafturnerVersion();
}

QString ReaderUsageText()
{
    return QStringLiteral("用法：leafturner [选项] [书.txt]\n"
                          "以翻书方式阅读长篇纯文本。已有阅读器在运行时，书交给它打开。\n"
                          "\n"
                          "选项：\n"
                          "  --profile DIR     设置文件所在的文件夹\n"
                          "  --codepage NAME   无标记文件所用的代码页（如 GB18030、Big5）\n"
                          "  --new-window      另开一个阅读器，不交给正在运行的那个\n"
                          "  -h, --help        显示本说明\n"
                          "  --version         显示版本\n");
}

int HandleEarlyReaderOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(ReaderUsageText().toUtf8().constData(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", ReaderVersionText().toUtf8().constData());
            return 0;
        }
    }
    return -1;
}

int ReaderUsageError(const QString& error)
{
    std::fprintf(stderr, "leafturner: %s\n%s", error.toUtf8().constData(),
                 ReaderUsageText().toUtf8().constData());
    return 2;
}
