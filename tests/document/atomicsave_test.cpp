// Saving replaces the book atomically: long names, links, permissions, and failures that keep it.
#include "document/codepage.h"
#include "document/textbuffer.h"
#include "settings/filewrite.h"
#include "settings/messagesink.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class AtomicSaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
        ASSERT_TRUE(m_dir.isValid());
    }

    QString Write(const QString& path, const QByteArray& bytes)
    {
        WriteFileBytes(path, bytes);
        return path;
    }
    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    // Everything in the folder except the names given: a temporary file left behind shows up here.
    QStringList Strays(const QString& folder, const QStringList& expected)
    {
        QStringList names =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& e : expected)
            names.removeAll(e);
        return names;
    }
    static mode_t Mode(const QString& path)
    {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
    }

    QTemporaryDir m_dir;
    RecordingMessageSink m_messages;
    ScopedMessageSink m_scoped{&m_messages};
};

TEST_F(AtomicSaveTest, LongChineseNamesSaveInPlaceOfTheBook)
{
    // 83 Chinese characters: 249 bytes, 253 with ".txt", near the 255-byte limit of a name.
    const QString name = QString(83, QChar(0x4E66)) + QStringLiteral(".txt");
    ASSERT_EQ(QFile::encodeName(name).size(), 253);
    const QString path = Write(m_dir.filePath(name), "\xB5\xDA\xD2\xBB\r\n");
    TextBuffer b;
    ASSERT_TRUE(b.Load(path));
    ASSERT_TRUE(b.Save(path));
    EXPECT_EQ(Read(path), QByteArray("\xB5\xDA\xD2\xBB\r\n"));
    EXPECT_TRUE(Strays(m_dir.path(), {name}).isEmpty());
}

TEST_F(AtomicSaveTest, LinksStayLinksAndPermissionsStay)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("real")));
    const QString real = Write(m_dir.filePath(QStringLiteral("real/book.txt")), "old\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    // A relative link, and a link to that link.
    ASSERT_EQ(
        ::symlink("real/book.txt", QFile::encodeName(m_dir.filePath(QStringLiteral("link.txt"))).constData()),
        0);
    ASSERT_TRUE(
        QFile::link(m_dir.filePath(QStringLiteral("link.txt")), m_dir.filePath(QStringLiteral("chain.txt"))));

    for (const QString& via : {QStringLiteral("link.txt"), QStringLiteral("chain.txt")}) {
        const QByteArray text = via.toUtf8() + "\r\n";
        ASSERT_TRUE(WriteFileAtomically(m_dir.filePath(via), text));
        EXPECT_TRUE(QFileInfo(m_dir.filePath(QStringLiteral("link.txt"))).isSymLink());
        EXPECT_TRUE(QFileInfo(m_dir.filePath(QStringLiteral("chain.txt"))).isSymLink());
        EXPECT_EQ(Read(real), text);
        EXPECT_EQ(Mode(real), 0640u);
    }
    EXPECT_TRUE(Strays(m_dir.filePath(QStringLiteral("real")), {QStringLiteral("book.txt")}).isEmpty());
    // A folder is never replaced by a file.
    EXPECT_FALSE(WriteFileAtomically(m_dir.filePath(QStringLiteral("real")), "x"));
    EXPECT_TRUE(QFileInfo(m_dir.filePath(QStringLiteral("real"))).isDir());
}

// A full disk must not cost the user the book they had.
TEST_F(AtomicSaveTest, FailedSaveKeepsTheOldBook)
{
    const QString path = Write(m_dir.filePath(QStringLiteral("book.txt")), "\xB5\xDA\xD2\xBB");
    TextBuffer b;
    ASSERT_TRUE(b.Load(path));
    char16_t* room = b.Allocate(100000);
    ASSERT_NE(room, nullptr);
    std::fill_n(room, 100000, u'字');
    b.SetLength(100000);

    // A file size limit stands in for a full disk (and works for root too).
    struct rlimit old;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = b.Save(path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved);
    EXPECT_EQ(Read(path), QByteArray("\xB5\xDA\xD2\xBB"));
    EXPECT_TRUE(Strays(m_dir.path(), {QStringLiteral("book.txt")}).isEmpty());

    // A folder that takes no new files (permissions bind everyone but root): a book not yet there
    // cannot be made.
    if (::geteuid() != 0) {
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("ro")));
        ::chmod(QFile::encodeName(m_dir.filePath(QStringLiteral("ro"))).constData(), 0555);
        EXPECT_FALSE(b.Save(m_dir.filePath(QStringLiteral("ro/book.txt"))));
        EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("ro/book.txt"))));
        ::chmod(QFile::encodeName(m_dir.filePath(QStringLiteral("ro"))).constData(), 0755);
    }
    // A folder that does not exist.
    EXPECT_FALSE(b.Save(m_dir.filePath(QStringLiteral("none/book.txt"))));
    EXPECT_TRUE(m_messages.Messages().isEmpty());
}

} // namespace
