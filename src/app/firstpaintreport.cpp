// The first-paint report of the start-up benchmark.
#include "app/firstpaintreport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

// Milliseconds since this process was started, from the kernel's own clock of it.
double MillisecondsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Field 22 (start time in clock ticks) counts from after the command name's closing parenthesis.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields[19].toDouble();
    const double now = uptime.readAll().split(' ').value(0).toDouble();
    return (now - startTicks / static_cast<double>(sysconf(_SC_CLK_TCK))) * 1000.0;
}

} // namespace

bool ExitAfterFirstPaintRequested()
{
    return !qEnvironmentVariableIsEmpty("LEAFTURNER_EXIT_AFTER_FIRST_PAINT");
}

void ReportFirstPaintAndExit()
{
    std::fprintf(stdout, "first-paint-ms: %.0f\n", MillisecondsSinceProcessStart());
    std::fflush(stdout);
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}
