// Loading books from disk (including hostile files) and saving them back byte for byte.
#include "document/textbuffer.h"
#include "document/codepage.h"
#include "settings/messagesink.h"

#include "bookgen/bookgen.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

class LoadSaveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override { CodePage::SetAnsiCodePage(QStringLiteral("CP936")); }

    QString Write(const QString& name, const QByteArray& bytes) { return WriteFileIn(m_dir, name, bytes); }
    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static std::u16string Text(const TextBuffer& b)
    {
        const char16_t* t = nullptr;
        std::int32_t n = 0;
        b.GetText(&t, &n);
        return t ? std::u16string(t, static_cast<std::size_t>(n)) : std::u16string();
    }
    // Loads, expecting `ok` and exactly the messages given.
    void ExpectLoad(TextBuffer& b, const QString& path, bool ok, const QStringList& messages)
    {
        m_messages.Clear();
        EXPECT_EQ(b.Load(path), ok) << path.toStdString();
        EXPECT_EQ(m_messages.Messages(), messages) << path.toStdString();
    }

    QTemporaryDir m_dir;
    RecordingMessageSink m_messages;
    ScopedMessageSink m_scoped{&m_messages};
};

TEST_F(LoadSaveTest, FactoryTakesOnlyTxtPaths)
{
    Write(QStringLiteral("a.TXT"), "abc");
    Write(QStringLiteral("a.text"), "abc");
    Write(QStringLiteral("a.txt.bak"), "abc");
    Write(QStringLiteral("txt"), "abc");
    auto book = CreateTextBuffer(m_dir.filePath(QStringLiteral("a.TXT")));
    ASSERT_TRUE(book);
    EXPECT_EQ(Text(*book), u"abc");
    EXPECT_FALSE(CreateTextBuffer(m_dir.filePath(QStringLiteral("a.text"))));
    EXPECT_FALSE(CreateTextBuffer(m_dir.filePath(QStringLiteral("a.txt.bak"))));
    EXPECT_FALSE(CreateTextBuffer(m_dir.filePath(QStringLiteral("txt"))));
    EXPECT_TRUE(m_messages.Messages().isEmpty());
    // A failed load gives no buffer.
    EXPECT_FALSE(CreateTextBuffer(m_dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_EQ(m_messages.Messages(), QStringList{QStringLiteral("文件打开失败。")});
}

TEST_F(LoadSaveTest, FilesThatAreNoBooksAreRefusedWithTheirMessage)
{
    const QString open = QStringLiteral("文件打开失败。");
    TextBuffer b;
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("x.txt")));
    ExpectLoad(b, m_dir.filePath(QStringLiteral("x.txt")), false, {open});
    ExpectLoad(b, m_dir.filePath(QStringLiteral("missing.txt")), false, {open});
    ASSERT_TRUE(QFile::link(m_dir.filePath(QStringLiteral("nowhere")),
                            m_dir.filePath(QStringLiteral("dangling.txt"))));
    ExpectLoad(b, m_dir.filePath(QStringLiteral("dangling.txt")), false, {open});
    // A FIFO would block a plain open until a writer came.
    const QString fifo = m_dir.filePath(QStringLiteral("fifo.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ExpectLoad(b, fifo, false, {open});
    ExpectLoad(b, QStringLiteral("/dev/zero"), false, {open});
    if (::geteuid() != 0) {
        const QString locked = Write(QStringLiteral("locked.txt"), "abc");
        ::chmod(QFile::encodeName(locked).constData(), 0);
        ExpectLoad(b, locked, false, {open});
    }
    EXPECT_FALSE(b.HasText());
    EXPECT_EQ(b.Length(), 0);

    // An empty file is a book without text.
    ExpectLoad(b, Write(QStringLiteral("empty.txt"), {}), true, {QStringLiteral("空文件。")});
    EXPECT_EQ(b.Text(), nullptr);
    EXPECT_EQ(b.Length(), 0);
}

TEST_F(LoadSaveTest, LoadingReplacesTheOldTextAndPages)
{
    TextBuffer b;
    ExpectLoad(b, Write(QStringLiteral("a.txt"), "first\r\nbook"), true, {});
    b.Pages().Append(0);
    b.Pages().Append(3);
    ExpectLoad(b, Write(QStringLiteral("b.txt"), QByteArray("\xFE\xFF\0x", 4)), true, {});
    EXPECT_EQ(Text(b), u"x");
    EXPECT_EQ(b.Encoding(), SourceEncoding::Utf16Be);
    EXPECT_EQ(b.PageCount(), 0);
    ExpectLoad(b, m_dir.filePath(QStringLiteral("missing.txt")), false, {QStringLiteral("文件打开失败。")});
    EXPECT_FALSE(b.HasText());
}

TEST_F(LoadSaveTest, HugeFilesAreRefusedWithoutReadingThem)
{
    TextBuffer b;
    // 3 GB of zeros is 3 G units of text: more than 32-bit offsets can reach.
    const QString sparse = m_dir.filePath(QStringLiteral("sparse.txt"));
    {
        QFile f(sparse);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64{3} << 30));
    }
    ExpectLoad(b, sparse, false, {QStringLiteral("抱歉，文件太大，无法打开。")});
    {
        QFile f(sparse);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(qint64{4} << 30));
    }
    ExpectLoad(b, sparse, false, {QStringLiteral("抱歉，此功能不能处理超过4GB的PDF文件。")});
    EXPECT_FALSE(b.HasText());
}

TEST_F(LoadSaveTest, RandomBytesLoadWithoutLineFeeds)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes(1 + static_cast<int>(random() % 70000), Qt::Uninitialized);
        for (char& c : bytes)
            c = static_cast<char>(random());
        if (round % 4 == 1)
            bytes.prepend("\xFF\xFE");
        if (round % 4 == 2)
            bytes.prepend("\xEF\xBB\xBF");
        TextBuffer b;
        ExpectLoad(b, Write(QStringLiteral("random.txt"), bytes), true, {});
        const std::u16string text = Text(b);
        EXPECT_EQ(text.find(u'\n'), std::u16string::npos);
        EXPECT_LE(text.size(), static_cast<std::size_t>(bytes.size()));
    }
}

// Another program shortening the book while it is read must not crash the reader (a mapping
// would take SIGBUS); whatever was read is a prefix of one of the file's contents.
TEST_F(LoadSaveTest, FileShrinkingWhileReadIsNoCrash)
{
    BookOptions o;
    o.characters = 2'000'000;
    o.encoding = BookEncoding::Utf16Le;
    const QByteArray full = GenerateBook(o);
    const QString path = Write(QStringLiteral("shrinking.txt"), full);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        const QByteArray name = QFile::encodeName(path);
        for (int i = 0; !stop; ++i) {
            ::truncate(name.constData(), i % 2 ? 1000 : 0);
            QFile f(path);
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(full);
        }
    });
    const std::u16string all =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(full.constData() + 2), (full.size() - 2) / 2)
            .replace(QStringLiteral("\r\n"), QStringLiteral("\r"))
            .toStdU16String();
    for (int i = 0; i < 40; ++i) {
        TextBuffer b;
        m_messages.Clear();
        EXPECT_TRUE(b.Load(path));
        const std::u16string text = Text(b);
        if (b.Encoding() == SourceEncoding::Utf16Le) {
            EXPECT_EQ(all.compare(0, text.size(), text), 0) << "load " << i;
        }
    }
    stop = true;
    writer.join();

    // A file that reports more bytes than it holds reads as what it holds.
    const QString sysfs = QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled");
    if (QFileInfo(sysfs).size() > 0) {
        TextBuffer b;
        EXPECT_TRUE(b.Load(sysfs));
        EXPECT_LT(b.Length(), QFileInfo(sysfs).size());
    }
}

TEST_F(LoadSaveTest, SavingWritesTheSourceEncodingByteForByte)
{
    struct Case
    {
        QByteArray in;
        SourceEncoding encoding;
        QByteArray out;
    };
    const Case cases[] = {
        {QByteArray("\xFE\xFF\0A\0\r\0\n\0B\0\n", 12), SourceEncoding::Utf16Be,
         QByteArray("\xFE\xFF\0A\0\r\0\n\0B\0\r\0\n", 14)},
        {QByteArray("\xFF\xFE"
                    "A\0\n\0",
                    6),
         SourceEncoding::Utf16Le,
         QByteArray("\xFF\xFE"
                    "A\0\r\0\n\0",
                    8)},
        {"\xC3\xA9\n\xE4\xB8\xAD", SourceEncoding::Utf8, "\xC3\xA9\r\n\xE4\xB8\xAD"},
        {"\xEF\xBB\xBF\xE4\xB8\xAD\r", SourceEncoding::Utf8Bom, "\xEF\xBB\xBF\xE4\xB8\xAD\r\n"},
        {"\xB5\xDA\xD2\xBB\r\r\n", SourceEncoding::Ansi, "\xB5\xDA\xD2\xBB\r\n\r\n"},
    };
    for (const Case& c : cases) {
        TextBuffer b;
        const QString path = Write(QStringLiteral("book.txt"), c.in);
        ExpectLoad(b, path, true, {});
        EXPECT_EQ(b.Encoding(), c.encoding);
        ASSERT_TRUE(b.Save(path));
        EXPECT_EQ(Read(path), c.out) << static_cast<int>(c.encoding);
    }
    // An encoding value from nowhere must not write an empty book.
    TextBuffer b;
    const QString path = Write(QStringLiteral("odd.txt"), "ab");
    ExpectLoad(b, path, true, {});
    b.SetEncoding(static_cast<SourceEncoding>(9));
    ASSERT_TRUE(b.Save(path));
    EXPECT_EQ(Read(path), QByteArray("\xFF\xFE"
                                     "a\0b\0",
                                     6));
}

TEST_F(LoadSaveTest, AnsiBookWithCharactersTheCodePageLacksIsSavedAsUtf16)
{
    TextBuffer b;
    const QString path = Write(QStringLiteral("book.txt"), "\xB5\xDA\xD2\xBB\r\n");
    ExpectLoad(b, path, true, {});
    const std::u16string edited = u"第一\r한\U0001F600";
    char16_t* room = b.Allocate(edited.size());
    ASSERT_NE(room, nullptr);
    std::copy(edited.begin(), edited.end(), room);
    b.SetLength(edited.size());
    ASSERT_TRUE(b.Save(path));
    EXPECT_EQ(b.Encoding(), SourceEncoding::Ansi); // the book keeps its encoding
    const QByteArray saved = Read(path);
    EXPECT_EQ(saved.left(6), QByteArray("\xFF\xFE\x2C\x7B\x00\x4E", 6));
    EXPECT_EQ(saved.mid(6, 4), QByteArray("\r\0\n\0", 4));
    TextBuffer again;
    ExpectLoad(again, path, true, {});
    EXPECT_EQ(again.Encoding(), SourceEncoding::Utf16Le);
    EXPECT_EQ(Text(again), edited);

    // glibc's CP932 turns U+203E into "~" and reports success: only decoding back shows it.
    ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP932")));
    const QString jp = Write(QStringLiteral("jp.txt"), "abc\r\n");
    ExpectLoad(b, jp, true, {});
    room = b.Allocate(3);
    std::copy_n(u"a\u203Eb", 3, room);
    b.SetLength(3);
    ASSERT_TRUE(b.Save(jp));
    EXPECT_EQ(Read(jp), QByteArray("\xFF\xFE"
                                   "a\0\x3E\x20"
                                   "b\0",
                                   8));
}

TEST_F(LoadSaveTest, EveryEncodingRoundTrips)
{
    for (BookEncoding e : {BookEncoding::Utf8, BookEncoding::Utf8Bom, BookEncoding::Gbk,
                           BookEncoding::Utf16Le, BookEncoding::Utf16Be}) {
        for (bool crlf : {true, false}) {
            BookOptions o;
            o.characters = 50000;
            o.encoding = e;
            o.crlf = crlf;
            o.wrap = crlf ? 0 : 30;
            const QByteArray original = GenerateBook(o);
            const QString path = Write(QStringLiteral("round.txt"), original);
            TextBuffer first;
            ExpectLoad(first, path, true, {});
            ASSERT_TRUE(first.Save(path));
            if (crlf) {
                EXPECT_TRUE(Read(path) == original) << static_cast<int>(e);
            }
            TextBuffer second;
            ExpectLoad(second, path, true, {});
            EXPECT_EQ(second.Encoding(), first.Encoding());
            EXPECT_TRUE(Text(second) == Text(first)) << static_cast<int>(e) << crlf;
        }
    }
}

} // namespace
