// The profile folder and the start-up conversion: choices and conversions that later writes rely on.
#include "document/codepage.h"
#include "settings/filewrite.h"
#include "settings/inifile.h"
#include "settings/parablock.h"
#include "settings/profile.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs `check` as an ordinary user when this runs as root, who may write anywhere.
bool AsOrdinaryUser(const std::function<bool()>& check)
{
    if (geteuid() != 0)
        return check();
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(ProfileTest, PortableSettingsNeedAWritableFolderToo)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("LEAFTURNER_PROFILE", "");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    struct Case
    {
        const char* name;
        QFileDevice::Permissions folder;
        bool portable;
    };
    const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                     QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const auto readOnly =
        QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
    const Case cases[] = {{"writable", all, true}, {"read-only", readOnly, false}};
    ASSERT_TRUE(QFile::setPermissions(dir.path(), all));
    for (const Case& c : cases) {
        const QString exe = dir.filePath(QLatin1String(c.name));
        ASSERT_TRUE(QDir().mkpath(exe));
        const QString ini = exe + QStringLiteral("/Leafturner.ini");
        WriteFileBytes(ini, "[ParaBlock]\r\n");
        ASSERT_TRUE(QFile::setPermissions(ini, all));
        ASSERT_TRUE(QFile::setPermissions(exe, c.folder));
        const bool chosen = AsOrdinaryUser([&] { return ResolveProfileDir(QString(), exe) == exe; });
        EXPECT_EQ(chosen, c.portable) << c.name;
        QFile::setPermissions(exe, all);
    }
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("LEAFTURNER_PROFILE");
}

TEST(ProfileTest, ConversionWaitsForTheLockAndKeepsAnotherInstancesWrite)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
    const QString ini = dir.filePath(QStringLiteral("Leafturner.ini"));
    WriteFileBytes(ini, "[ParaBlock]\r\nPARA_FONT_SIZE=30\r\n");

    // Another instance holds the lock while it writes a key of its own.
    QLockFile other(ini + QStringLiteral(".lock"));
    ASSERT_TRUE(other.tryLock(0));
    std::thread convert([&] { EnsureUnicodeIniFile(ini, QStringLiteral("ParaBlock")); });
    usleep(300 * 1000);
    ASSERT_TRUE(WriteFileAtomically(ini, "[ParaBlock]\r\nPARA_FONT_SIZE=30\r\nPARA_MARGIN_TOP=7\r\n"));
    other.unlock();
    convert.join();

    const QByteArray bytes = ReadFileBytes(ini);
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
    const IniDocument doc = IniDocument::FromBytes(bytes);
    EXPECT_EQ(doc.Value(QStringLiteral("ParaBlock"), QStringLiteral("PARA_MARGIN_TOP")), QStringLiteral("7"));
    EXPECT_EQ(doc.Value(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE")), QStringLiteral("30"));
}

} // namespace
