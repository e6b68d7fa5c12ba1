// Profile folder rules and the start-up steps every Leafturner program shares.
#include "settings/profile.h"

#include "document/codepage.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

namespace {
QMutex g_lock;
QString g_profileDir;
} // namespace

QString ResolveProfileDir(const QString& profileOption, const QString& executableDir)
{
    if (!profileOption.isEmpty())
        return QDir(profileOption).absolutePath();
    const QString env = qEnvironmentVariable("LEAFTURNER_PROFILE");
    if (!env.isEmpty())
        return QDir(env).absolutePath();
    if (!executableDir.isEmpty()) {
        // Writes make temporary and lock files beside the settings: the folder must take them too.
        const QFileInfo portable(QDir(executableDir).filePath(QStringLiteral("Leafturner.ini")));
        if (portable.isFile() && portable.isWritable() && QFileInfo(executableDir).isWritable())
            return QDir(executableDir).absolutePath();
    }
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir(config).filePath(QStringLiteral("leafturner"));
}

void SetProfileDir(const QString& dir)
{
    QMutexLocker guard(&g_lock);
    g_profileDir = dir;
}

QString ProfileDir()
{
    QMutexLocker guard(&g_lock);
    return g_profileDir;
}

QString ProfileFile(const QString& extension)
{
    return QDir(ProfileDir()).filePath(QStringLiteral("Leafturner") + extension);
}

QString SettingsFilePath()
{
    return ProfileFile(QStringLiteral(".ini"));
}

QString BookmarkFilePath()
{
    return ProfileFile(QStringLiteral(".bmk"));
}

QString BookshelfFilePath()
{
    return ProfileFile(QStringLiteral(".blb"));
}

QString ConditionFilePath()
{
    return ProfileFile(QStringLiteral(".chp"));
}

bool ExtractCoreOptions(QStringList& args, CoreOptions& options, QString* error)
{
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString* target = nullptr;
        QString name;
        if (a == u"--profile" || a.startsWith(u"--profile=")) {
            target = &options.profile;
            name = QStringLiteral("--profile");
        } else if (a == u"--codepage" || a.startsWith(u"--codepage=")) {
            target = &options.codepage;
            name = QStringLiteral("--codepage");
        }
        if (!target) {
            rest.append(a);
            continue;
        }
        const qsizetype eq = a.indexOf(u'=');
        if (eq >= 0) {
            *target = a.mid(eq + 1);
        } else if (i + 1 < args.size()) {
            *target = args[++i];
        } else {
            if (error)
                *error = name + QStringLiteral(" needs a value");
            return false;
        }
        if (target->isEmpty()) {
            if (error)
                *error = name + QStringLiteral(" needs a value");
            return false;
        }
    }
    args = rest;
    return true;
}

bool InitCore(const CoreOptions& options, const QString& executableDir, QString* error, int* exitStatus)
{
    auto fail = [&](int status, const QString& message) {
        if (error)
            *error = message;
        if (exitStatus)
            *exitStatus = status;
        return false;
    };
    if (!CodePage::InitAnsiCodePage(options.codepage))
        return fail(2, QStringLiteral("unknown code page: ") +
                           (options.codepage.isEmpty() ? qEnvironmentVariable("LEAFTURNER_CODEPAGE")
                                                       : options.codepage));
    const QString dir = ResolveProfileDir(options.profile, executableDir);
    const QFileInfo folder(dir);
    const bool usable = options.readOnlyProfile ? !folder.exists() || folder.isDir() : QDir().mkpath(dir);
    if (!usable)
        return fail(
            1, QStringLiteral(
                   "您所指定的文件夹\n\n%1\n\n无法创建。请检查驱动器是否为光驱，或您是否具有足够的访问权限。")
                   .arg(QDir::toNativeSeparators(dir)));
    SetProfileDir(dir);
    LoadParaBlock(SettingsFilePath(), options.screen);
    if (options.readOnlyProfile) {
        // Without a file to write to, a change made by mistake stays in memory.
        theParaBlock.SetIniPath(QString());
        return true;
    }
    EnsureUnicodeIniFile(SettingsFilePath(), QStringLiteral("ParaBlock"));
    EnsureUnicodeIniFile(BookmarkFilePath(), QString());
    return true;
}
