// Writing beside the user's files: a writable book in a folder that takes no new files, and the
// temporary files an interrupted save left behind.
#include "document/codepage.h"
#include "document/textbuffer.h"
#include "settings/inifile.h"
#include "settings/messagesink.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <ctime>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

namespace {

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Replaces the text with `count` copies of `c`.
void Fill(TextBuffer& buffer, char16_t c, std::size_t count)
{
    char16_t* room = buffer.Allocate(count);
    ASSERT_NE(room, nullptr);
    std::fill_n(room, count, c);
    buffer.SetLength(count);
}

// Folder permissions do not bind root: the checks run in a child that has become nobody.
int RunWithoutPrivileges(const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

} // namespace

TEST(FileWrite, AWritableBookInAReadOnlyFolderIsWrittenInPlaceAndAFailureKeepsIt)
{
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("shelf"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString book = folder + QStringLiteral("/book.txt");
    WriteFileBytes(book, "\xB5\xDA\xD2\xBB\r\n");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(book).constData(), 0666);
    ::chmod(QFile::encodeName(folder).constData(), 0555);

    // Each failed check exits with its own code.
    const int code = RunWithoutPrivileges([&] {
        RecordingMessageSink sink;
        ScopedMessageSink scoped(&sink);
        TextBuffer buffer;
        if (!buffer.Load(book))
            return 1;
        // Longer than before: the whole new text arrives.
        Fill(buffer, u'字', 3000);
        if (!buffer.Save(book))
            return 2;
        if (Read(book) != CodePage::QStringToAnsi(QString(3000, QChar(u'字'))))
            return 3;
        // Shorter: nothing of the old tail stays.
        Fill(buffer, u'书', 2);
        if (!buffer.Save(book) || Read(book) != CodePage::QStringToAnsi(QStringLiteral("书书")))
            return 4;
        // A full disk (a file size limit stands in for it) halfway through: the old bytes come back.
        struct rlimit small = {1024, RLIM_INFINITY};
        std::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0)
            return 5;
        Fill(buffer, u'页', 5000);
        if (buffer.Save(book))
            return 6;
        if (Read(book) != CodePage::QStringToAnsi(QStringLiteral("书书")))
            return 7;
        if (QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) !=
            QStringList{QStringLiteral("book.txt")})
            return 8;
        return 0;
    });
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(code, 0);
}

TEST(FileWrite, OurStaleTemporaryFilesGoWhenTheFolderIsNextWritten)
{
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
    QTemporaryDir dir;
    struct Case
    {
        const char* name;
        std::function<bool(const QString& folder)> write;
    };
    const Case cases[] = {
        {"book",
         [](const QString& folder) {
             TextBuffer buffer;
             Fill(buffer, u'a', 3);
             return buffer.Save(folder + QStringLiteral("/book.txt"));
         }},
        {"settings",
         [](const QString& folder) {
             return IniFile(folder + QStringLiteral("/Leafturner.ini"))
                 .WriteString(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE"),
                              QStringLiteral("30"));
         }},
    };
    const std::time_t hourAgo = std::time(nullptr) - 3600;
    const std::time_t later = std::time(nullptr) + 3600;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(QDir().mkpath(folder));
        const auto make = [&](const QString& name, std::time_t when) {
            const QString path = folder + u'/' + name;
            WriteFileBytes(path, "partial");
            const struct utimbuf times = {when, when};
            ::utime(QFile::encodeName(path).constData(), &times);
        };
        make(QStringLiteral(".lt-0123abcd.tmp"), hourAgo);   // ours, interrupted: goes
        make(QStringLiteral(".lt-89abcdef.tmp"), later);     // newer than us: another save may be writing it
        make(QStringLiteral(".lt-0123ABCD.tmp"), hourAgo);   // not our pattern
        make(QStringLiteral(".lt-0123abcd.tmp.1"), hourAgo); // not our pattern
        make(QStringLiteral("my.lt-0123abc.tmp"), hourAgo);  // the user's
        ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral(".lt-00000002.tmp")));
        ASSERT_EQ(::symlink("elsewhere",
                            QFile::encodeName(folder + QStringLiteral("/.lt-00000003.tmp")).constData()),
                  0);
        ASSERT_TRUE(c.write(folder));
        QStringList left =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        left.sort();
        QStringList expected{QStringLiteral(".lt-00000002.tmp"),
                             QStringLiteral(".lt-00000003.tmp"),
                             QStringLiteral(".lt-0123ABCD.tmp"),
                             QStringLiteral(".lt-0123abcd.tmp.1"),
                             QStringLiteral(".lt-89abcdef.tmp"),
                             QStringLiteral("my.lt-0123abc.tmp"),
                             c.name == std::string("book") ? QStringLiteral("book.txt")
                                                           : QStringLiteral("Leafturner.ini")};
        expected.sort();
        EXPECT_EQ(left, expected);
    }
}
