// lt_appicon: writes leafturner-<size>.png for each icon size into the folder given by --out.
#include "appicon.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--out"));
    if (at < 0 || at + 1 >= args.size()) {
        std::fprintf(stderr, "usage: lt_appicon --out DIR\n");
        return 2;
    }
    const QString dir = args[at + 1];
    QDir().mkpath(dir);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = QStringLiteral("%1/leafturner-%2.png").arg(dir).arg(size);
        if (!PaintAppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "lt_appicon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
