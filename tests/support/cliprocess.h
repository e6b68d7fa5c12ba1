// A program run as a user's script runs it: its exit code and what it printed.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct CliRun
{
    int exitCode = -1; // -1 when the program crashed or did not finish
    QByteArray out;
    QString err;
    QString Text() const { return QString::fromUtf8(out); }
};

// How RunProgram runs it; the setters chain, as in RunOptions().Timeout(120000).
struct RunOptions
{
    QByteArray input;   // written to its standard input, which is then closed
    QString stdoutFile; // where its standard output goes instead of `out`
    int timeoutMs = 60000;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    RunOptions& Input(const QByteArray& bytes)
    {
        input = bytes;
        return *this;
    }
    RunOptions& StdoutTo(const QString& path)
    {
        stdoutFile = path;
        return *this;
    }
    RunOptions& Timeout(int ms)
    {
        timeoutMs = ms;
        return *this;
    }
    RunOptions& Environment(const QProcessEnvironment& env)
    {
        environment = env;
        return *this;
    }
};

// Runs `program` to its end; one that does not finish in time fails the test and is killed.
CliRun RunProgram(const QString& program, const QStringList& args, const RunOptions& options = {});
// `args` behind `--profile profile`, as the tests run leafturner-cli on a temporary profile.
QStringList WithProfile(const QString& profile, const QStringList& args);
