// The line reader: encodings, line ends, and files it must refuse quietly.
#include "document/codepage.h"
#include "document/mappedtextfile.h"
#include "settings/messagesink.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class MappedTextFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936")));
        ASSERT_TRUE(m_dir.isValid());
    }

    QString Write(const QString& name, const QByteArray& bytes) { return WriteFileIn(m_dir, name, bytes); }
    // Every line of the file, after opening it quietly with detection.
    QStringList Lines(const QByteArray& bytes, int* encoding = nullptr)
    {
        MappedTextFile file;
        if (!file.Open(Write(QStringLiteral("side.txt"), bytes), true, true))
            return {QStringLiteral("<closed>")};
        if (encoding)
            *encoding = file.Encoding();
        return ReadAll(file);
    }
    static QStringList ReadAll(MappedTextFile& file)
    {
        QStringList lines;
        QString line;
        while (file.ReadLine(line) && lines.size() < 100)
            lines.append(line);
        EXPECT_FALSE(file.ReadLine(line)); // stays at the end
        return lines;
    }

    QTemporaryDir m_dir;
    RecordingMessageSink m_messages;
    ScopedMessageSink m_scoped{&m_messages};
};

TEST_F(MappedTextFileTest, LinesInEveryEncoding)
{
    int e = -1;
    EXPECT_EQ(Lines(QByteArray("\xFF\xFE"
                               "a\0\r\0\n\0b\0",
                               10),
                    &e),
              (QStringList{"a", "b"}));
    EXPECT_EQ(e, 1);
    EXPECT_EQ(Lines(QByteArray("\xFE\xFF\0a\0\r\0\r\0\n\0b\0\n\0\n\0c", 18), &e),
              (QStringList{"a", "", "b", "", "c"}));
    EXPECT_EQ(e, 2);
    EXPECT_EQ(Lines("a\n\nb", &e), (QStringList{"a", "", "b"}));
    EXPECT_EQ(e, 0);
    EXPECT_EQ(Lines("\xEF\xBB\xBF\xE7\xAC\xAC\xE4\xB8\x80\xE7\xAB\xA0\r\nx", &e),
              (QStringList{QStringLiteral("第一章"), "x"}));
    EXPECT_EQ(e, 3);
    EXPECT_EQ(Lines("*\xE7\xAC\xAC\xE4\xB8\x80\xE7\xAB\xA0\r\n", &e),
              (QStringList{QStringLiteral("*第一章")}));
    EXPECT_EQ(e, 4);
    EXPECT_EQ(Lines("*\xB5\xDA\xD2\xBB\xD5\xC2\r\n\r\n", &e), (QStringList{QStringLiteral("*第一章"), ""}));
    EXPECT_EQ(e, 0);
    // Too short for the UTF-8 test, and pure ASCII anyway.
    EXPECT_EQ(Lines("abc", &e), (QStringList{"abc"}));
    EXPECT_EQ(e, 0);
    // A two-byte file is never UTF-16 by its mark.
    EXPECT_EQ(Lines("\xFF\xFE", &e).size(), 1);
    EXPECT_EQ(e, 0);
    // The last line needs no line end; a trailing line end gives no empty line.
    EXPECT_EQ(Lines("a\r\nb"), (QStringList{"a", "b"}));
    EXPECT_EQ(Lines("a\r\nb\r\n"), (QStringList{"a", "b"}));
    EXPECT_EQ(Lines("\r\n"), (QStringList{""}));
    EXPECT_EQ(Lines(QByteArray("\xFE\xFF\0a\0\r", 6)), (QStringList{"a"}));
    // An odd last byte of UTF-16 is no character.
    EXPECT_EQ(Lines(QByteArray("\xFF\xFE"
                               "a\0b",
                               5)),
              (QStringList{"a"}));
    EXPECT_EQ(Lines(QByteArray("\xFF\xFE"
                               "a\0\n\0b",
                               7)),
              (QStringList{"a"}));
    // Only the mark: no lines.
    EXPECT_EQ(Lines("\xEF\xBB\xBF"), QStringList{});
    EXPECT_TRUE(m_messages.Messages().isEmpty());
}

TEST_F(MappedTextFileTest, OpenRefusesQuietlyOrWithTheMessage)
{
    MappedTextFile file;
    EXPECT_FALSE(file.Open(m_dir.filePath(QStringLiteral("missing.chp")), false, true));
    EXPECT_FALSE(file.Open(Write(QStringLiteral("empty.chp"), {}), false, true));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("dir.chp")));
    EXPECT_FALSE(file.Open(m_dir.filePath(QStringLiteral("dir.chp")), false, true));
    EXPECT_TRUE(m_messages.Messages().isEmpty());

    const QString big = m_dir.filePath(QStringLiteral("big.chp"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64{4} << 30));
    }
    EXPECT_FALSE(file.Open(big, true, true));
    EXPECT_TRUE(m_messages.Messages().isEmpty());
    EXPECT_FALSE(file.Open(big, false, true));
    EXPECT_EQ(m_messages.Messages(), QStringList{QStringLiteral("抱歉，此功能不能处理超过4GB的PDF文件。")});

    // Data and size handed out; without detection the encoding is left as it was.
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    file.SetEncoding(1);
    ASSERT_TRUE(file.Open(Write(QStringLiteral("a.chp"), "x\ny"), true, false, &data, &size));
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(data), 3), QByteArray("x\ny"));
    EXPECT_EQ(file.Encoding(), 1);
    file.Close();
    QString line;
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_EQ(file.Size(), 0u);
}

TEST_F(MappedTextFileTest, AttachedBlocks)
{
    MappedTextFile file;
    EXPECT_FALSE(file.Attach(nullptr, 4, true));
    EXPECT_FALSE(file.Attach("abc", 0, true));

    // The reformat walks a UTF-16 copy of the text, without a mark, told its encoding.
    const QString text = QStringLiteral("第一行\r\r第三行");
    ASSERT_TRUE(file.Attach(text.constData(), static_cast<std::uint32_t>(text.size() * 2), false));
    file.SetEncoding(1);
    EXPECT_EQ(ReadAll(file), (QStringList{QStringLiteral("第一行"), "", QStringLiteral("第三行")}));

    // An owned block, recognised by its contents; opening again closes what was open.
    auto block = std::make_unique<std::uint8_t[]>(5);
    std::copy_n("\xC3\xA9\n\xC3\xA9", 5, block.get());
    ASSERT_TRUE(file.Attach(std::move(block), 5, true));
    EXPECT_EQ(file.Encoding(), 4);
    EXPECT_EQ(ReadAll(file), (QStringList{QStringLiteral("é"), QStringLiteral("é")}));
    ASSERT_TRUE(file.Attach("a\rb", 3, true));
    EXPECT_EQ(file.Encoding(), 0);
    EXPECT_EQ(ReadAll(file), (QStringList{"a", "b"}));
}

} // namespace
