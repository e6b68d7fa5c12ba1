// IniFile: lookups as the reader's side files need them, safe concurrent and interrupted writes.
#include "document/codepage.h"
#include "settings/inifile.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
        m_path = m_dir.filePath(QStringLiteral("t.ini"));
    }
    QTemporaryDir m_dir;
    QString m_path;
};

TEST_F(IniFileTest, LookupIgnoresCaseAndBlanksAndKeepsOtherLines)
{
    WriteFileBytes(
        m_path, Utf16LeWithMark(QStringLiteral("; note\r\n[Books]\r\n  Path = /a/b.txt \r\npos=\"12\"\r\n\r\n"
                                               "[Other]\r\nk=v\r\n")));
    IniFile ini(m_path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("books"), QStringLiteral("PATH")), QStringLiteral("/a/b.txt"));
    EXPECT_EQ(ini.ReadInt(QStringLiteral("BOOKS"), QStringLiteral("pos"), -5), 12);
    EXPECT_EQ(ini.ReadInt(QStringLiteral("Books"), QStringLiteral("missing"), -5), -5);
    EXPECT_EQ(ini.SectionNames(), (QStringList{QStringLiteral("Books"), QStringLiteral("Other")}));

    // A new key goes after the section's last entry, before the blank line; the comment stays.
    ASSERT_TRUE(ini.WriteString(QStringLiteral("books"), QStringLiteral("NEW"), QStringLiteral("1")));
    const QStringList lines = ini.Load().Lines();
    EXPECT_EQ(lines.first(), QStringLiteral("; note"));
    EXPECT_EQ(lines.indexOf(QStringLiteral("NEW=1")), 4);
    EXPECT_EQ(lines.at(5), QString());

    // Replacing keeps the place; deleting a section takes all of its lines.
    ASSERT_TRUE(ini.WriteString(QStringLiteral("Books"), QStringLiteral("path"), QStringLiteral("/c.txt")));
    EXPECT_EQ(ini.Load().Lines().at(2), QStringLiteral("path=/c.txt"));
    ASSERT_TRUE(ini.DeleteSection(QStringLiteral("BOOKS")));
    EXPECT_EQ(ini.SectionNames(), QStringList{QStringLiteral("Other")});
    EXPECT_EQ(ini.ReadString(QStringLiteral("Other"), QStringLiteral("k")), QStringLiteral("v"));
    EXPECT_TRUE(ReadFileBytes(m_path).startsWith("\xFF\xFE"));
}

// What is written or removed reads back so, whatever else the file holds: lone CRs, repeated
// sections and keys, broken headers.
TEST_F(IniFileTest, ChangesReadBackWhateverElseTheFileHolds)
{
    enum class Op
    {
        Write,
        DeleteKey,
        DeleteSection
    };
    struct Case
    {
        const char* file;
        Op op;
        const char* section;
        const char* key;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"[ParaBlock]\r\nPARA_FONT_SIZE=\r[\r[ParaBlock]\r\nPARA_FONT_SIZE=\r", Op::Write, "ParaBlock",
         "PARA_FONT_SIZE", QStringLiteral("30")},
        {"[ParaBlock]\r\nPARA_FONT_SIZE=\r[\r[ParaBlock]\r\nPARA_FONT_SIZE=\r", Op::DeleteSection,
         "ParaBlock", "PARA_FONT_SIZE", std::nullopt},
        {"[A]\r\nk=1\r\n[B]\r\nk=3\r\n[a]\r\nk=2\r\n", Op::DeleteSection, "A", "k", std::nullopt},
        {"[A]\r\nk=1\r\nK = 2\r\n", Op::DeleteKey, "A", "k", std::nullopt},
        {"[A]\rk=1\r[B]\rk=2", Op::Write, "A", "k", QStringLiteral("30")},
        {"[A\r\nk=1\r\n[A]\r\n[B\r\nk=2\r\n", Op::Write, "A", "k", QStringLiteral("30")},
    };
    for (const Case& c : cases) {
        WriteFileBytes(m_path, c.file);
        IniFile ini(m_path);
        const QString section = QLatin1String(c.section), key = QLatin1String(c.key);
        const bool done = c.op == Op::Write       ? ini.WriteString(section, key, QStringLiteral("30"))
                          : c.op == Op::DeleteKey ? ini.DeleteKey(section, key)
                                                  : ini.DeleteSection(section);
        ASSERT_TRUE(done) << c.file;
        EXPECT_EQ(ini.Load().Value(section, key), c.expected) << c.file;
        if (c.op == Op::DeleteSection) {
            EXPECT_FALSE(ini.Load().HasSection(section)) << c.file;
        }
    }
}

TEST_F(IniFileTest, IntegersParseLikeTheProfileFunctions)
{
    EXPECT_EQ(IniFile::ParseInt(QStringLiteral("  25abc")), 25);
    EXPECT_EQ(IniFile::ParseInt(QStringLiteral("abc")), 0);
    EXPECT_EQ(IniFile::ParseInt(QStringLiteral("-17")), -17);
    EXPECT_EQ(IniFile::ParseInt(QStringLiteral("0x1F")), 31);
    EXPECT_EQ(IniFile::ParseInt(QStringLiteral("99999999999999999999")), INT_MAX);
}

TEST(IniIntegers, PrefixReadsDecimalAndHexToTheEdges)
{
    struct Case
    {
        const char16_t* text;
        bool hex;
        int expected;
    };
    const Case cases[] = {
        {u"-0x80000000", true, INT_MIN}, // wraps in unsigned arithmetic, no signed overflow
        {u"0xFFFFFFFF", true, -1},
        {u"0x1FFFFFFFF", true, -1},
        {u"-0x1", true, -1},
        {u"0x1F", false, 0},
        {u"-2147483648", false, INT_MIN},
        {u"-99999999999", false, INT_MIN},
        {u"4294967296", true, INT_MAX},
        {u"+7z", false, 7},
        {u"\uFF17", true, 0}, // a fullwidth digit is no digit
        {u"0x\uFF21", true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseIntPrefix(QStringView(c.text), c.hex), c.expected) << QStringView(c.text).toString().toStdString();
}

TEST_F(IniFileTest, RefusesWritesThatWouldBreakTheFile)
{
    IniFile ini(m_path);
    ASSERT_TRUE(ini.WriteString(QStringLiteral("S"), QStringLiteral("a"), QStringLiteral("1")));
    const QByteArray before = ReadFileBytes(m_path);
    EXPECT_FALSE(ini.WriteString(QStringLiteral("bad]name"), QStringLiteral("a"), QStringLiteral("1")));
    EXPECT_FALSE(ini.WriteString(QStringLiteral("S"), QStringLiteral("a=b"), QStringLiteral("1")));
    EXPECT_FALSE(
        ini.WriteString(QStringLiteral("S"), QStringLiteral("a"), QStringLiteral("x\r\n[S]\r\na=2")));
    EXPECT_EQ(ReadFileBytes(m_path), before);
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("a")), QStringLiteral("1"));

    ASSERT_TRUE(ini.WriteBinary(QStringLiteral("W"), QStringLiteral("b"), QByteArray("\x00\x01\xFE", 3)));
    EXPECT_EQ(ini.ReadBinary(QStringLiteral("W"), QStringLiteral("b")), QByteArray("\x00\x01\xFE", 3));
}

TEST_F(IniFileTest, RandomBytesAndHugeFilesAreHandled)
{
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) & 0xFF);
    WriteFileBytes(m_path, noise);
    IniFile ini(m_path);
    (void)ini.SectionNames();
    ASSERT_TRUE(
        ini.WriteString(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE"), QStringLiteral("30")));
    EXPECT_EQ(ini.ReadInt(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE"), 0), 30);

    // Too large to be a settings file: nothing is read and the file is never rewritten.
    const QString big = m_dir.filePath(QStringLiteral("big.ini"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[ParaBlock]\r\nPARA_FONT_SIZE=40\r\n");
        ASSERT_TRUE(f.resize(IniFile::kMaxFileSize + 1));
    }
    IniFile huge(big);
    EXPECT_TRUE(huge.SectionNames().isEmpty());
    EXPECT_FALSE(
        huge.WriteString(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE"), QStringLiteral("1")));
    EXPECT_EQ(QFileInfo(big).size(), IniFile::kMaxFileSize + 1);
}

TEST_F(IniFileTest, ConcurrentWritersLoseNoKey)
{
    constexpr int kRounds = 40;
    auto writer = [this](const QString& prefix) {
        IniFile ini(m_path);
        for (int i = 0; i < kRounds; ++i)
            ini.WriteString(QStringLiteral("S"), prefix + QString::number(i), QString::number(i));
    };
    // Another process and two threads of this one write at the same time.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        writer(QStringLiteral("p"));
        _exit(0);
    }
    std::thread a(writer, QStringLiteral("a"));
    std::thread b(writer, QStringLiteral("b"));
    a.join();
    b.join();
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));

    const IniDocument doc = IniFile(m_path).Load();
    for (const char* prefix : {"a", "b", "p"})
        for (int i = 0; i < kRounds; ++i)
            EXPECT_EQ(doc.Value(QStringLiteral("S"), QLatin1String(prefix) + QString::number(i)),
                      QString::number(i))
                << prefix << i;
}

TEST_F(IniFileTest, KilledWriterNeverLeavesAPartialFile)
{
    IniFile ini(m_path);
    ASSERT_TRUE(ini.WriteString(QStringLiteral("S"), QStringLiteral("keep"), QStringLiteral("yes")));
    for (int round = 0; round < 20; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            IniFile w(m_path);
            for (int i = 0;; ++i)
                w.WriteString(QStringLiteral("S"), QStringLiteral("k") + QString::number(i % 50),
                              QString(200, u'x'));
        }
        usleep(static_cast<useconds_t>(2000 + round * 1500));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const QByteArray bytes = ReadFileBytes(m_path);
        ASSERT_TRUE(bytes.startsWith("\xFF\xFE")) << "round " << round;
        EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("keep")), QStringLiteral("yes"));
        EXPECT_TRUE(bytes.endsWith(QByteArray("\r\0\n\0", 4)));
    }
    // Temporary files of killed writers do not pile up as settings.
    EXPECT_EQ(IniFile(m_path).SectionNames(), QStringList{QStringLiteral("S")});
}

} // namespace
