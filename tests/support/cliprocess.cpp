// A program run as a user's script runs it: its exit code and what it printed.
#include "support/cliprocess.h"

#include <QProcess>
#include <gtest/gtest.h>

CliRun RunProgram(const QString& program, const QStringList& args, const RunOptions& options)
{
    QProcess p;
    p.setProcessEnvironment(options.environment);
    if (!options.stdoutFile.isEmpty())
        p.setStandardOutputFile(options.stdoutFile);
    p.start(program, args);
    if (!options.input.isEmpty())
        p.write(options.input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(options.timeoutMs)) << program.toStdString();
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
    }
    CliRun run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput();
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

QStringList WithProfile(const QString& profile, const QStringList& args)
{
    return QStringList{QStringLiteral("--profile"), profile} + args;
}
