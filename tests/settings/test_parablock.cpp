// The settings record: defaults, load clamps, write-through only on change, start-up conversion.
#include "document/codepage.h"
#include "settings/inifile.h"
#include "settings/parablock.h"
#include "support/files.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <utility>

namespace {

class ParaBlockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
        m_ini = m_dir.filePath(QStringLiteral("Leafturner.ini"));
    }
    void Load(const QString& body, int width = 1920)
    {
        WriteFileBytes(m_ini, Utf16LeWithMark(QStringLiteral("[ParaBlock]\r\n") + body));
        LoadParaBlock(m_ini, ParaScreen{width, 0xFFFFFF});
    }
    QTemporaryDir m_dir;
    QString m_ini;
};

TEST_F(ParaBlockTest, LoadAppliesTheSixClampsAndNothingElse)
{
    Load(QStringLiteral(
        "PARA_LINE_PERCENT=11\r\nPARA_FONT_SIZE=5\r\nPARA_PAGE_MIDDLE=7\r\nPARA_TURN_PAGE=-4\r\n"
        "PARA_SHOW_MODE=7\r\nPARA_CHP_LINE_HEAD=99\r\nPARA_COVER_MARGIN=-30\r\n"));
    EXPECT_EQ(ParaGetInt(PARA_LINE_PERCENT), 10);
    EXPECT_EQ(ParaGetInt(PARA_FONT_SIZE), 12);
    EXPECT_EQ(ParaGetInt(PARA_PAGE_MIDDLE), 2);
    EXPECT_EQ(ParaGetInt(PARA_TURN_PAGE), 0);
    EXPECT_EQ(ParaGetInt(PARA_SHOW_MODE), 1);
    EXPECT_EQ(ParaGetInt(PARA_CHP_LINE_HEAD), 20);
    EXPECT_EQ(ParaGetInt(PARA_COVER_MARGIN), -30); // not clamped

    Load(QStringLiteral("PARA_LINE_PERCENT=-3\r\nPARA_FONT_SIZE=300\r\nPARA_SHOW_MODE=-2\r\n"));
    EXPECT_EQ(ParaGetInt(PARA_LINE_PERCENT), 0);
    EXPECT_EQ(ParaGetInt(PARA_FONT_SIZE), 100);
    EXPECT_EQ(ParaGetInt(PARA_SHOW_MODE), 0);

    // The default script conversion: one of the five, else none.
    for (const auto& [stored, read] : {std::pair{"4", 4}, {"5", 0}, {"-1", 0}, {"2", 2}}) {
        Load(QStringLiteral("PARA_CONVERSION=") + QLatin1String(stored) + QStringLiteral("\r\n"));
        EXPECT_EQ(ParaGetInt(PARA_CONVERSION), read) << stored;
    }
}

TEST_F(ParaBlockTest, ValuesParseFromTheirLeadingNumber)
{
    Load(QStringLiteral("PARA_MARGIN_LEFT=  25abc\r\nPARA_TEXT_COLOR=red\r\nPARA_MARGIN_TOP=\r\n"
                        "PARA_TXT_FONT_NAME=Noto Serif CJK SC\r\nPARA_LAYOUT_PARA_END=abc\r\n"));
    EXPECT_EQ(ParaGetInt(PARA_MARGIN_LEFT), 25);
    EXPECT_EQ(ParaGetInt(PARA_TEXT_COLOR), 0);
    EXPECT_EQ(ParaGetInt(PARA_MARGIN_TOP), 40);
    EXPECT_EQ(ParaGetString(PARA_TXT_FONT_NAME), QStringLiteral("Noto Serif CJK SC"));
    EXPECT_EQ(ParaGetString(PARA_LAYOUT_PARA_END), QStringLiteral("。？”」！集章"));
    EXPECT_EQ(ParaGetInt(PARA_ADV_TAIL_SPACE), kParaUnset);
}

TEST_F(ParaBlockTest, ScreenWidthChoosesMarginAndSinglePageWidth)
{
    LoadParaBlock(m_ini, ParaScreen{1366, 0xFFFFFF});
    EXPECT_EQ(ParaGetInt(PARA_MARGIN_LEFT), 40);
    EXPECT_EQ(ParaGetInt(PARA_SINGLE_WIDTH), 600);
    LoadParaBlock(m_ini, ParaScreen{1920, 0x00DDEEFF});
    EXPECT_EQ(ParaGetInt(PARA_MARGIN_LEFT), 60);
    EXPECT_EQ(ParaGetInt(PARA_SINGLE_WIDTH), 900);
    EXPECT_EQ(ParaGetInt(PARA_TEXT_BG_COLOR), 0x00DDEEFF);
}

TEST_F(ParaBlockTest, StoredSinglePageWidthBelowTheMinimumReadsAsTheDefault)
{
    const struct
    {
        const char* stored;
        int read;
    } cases[] = {{"0", 900}, {"-5", 900}, {"12", 900}, {"199", 900}, {"200", 200}, {"750", 750}};
    for (const auto& c : cases) {
        Load(QStringLiteral("PARA_SINGLE_WIDTH=") + QLatin1String(c.stored) + QStringLiteral("\r\n"));
        EXPECT_EQ(ParaGetInt(PARA_SINGLE_WIDTH), c.read) << c.stored;
    }
}

TEST_F(ParaBlockTest, SettersWriteOnlyWhatChanged)
{
    Load(QStringLiteral("PARA_FONT_SIZE=30\r\n"));
    const QByteArray before = ReadFileBytes(m_ini);
    ParaSetInt(30, PARA_FONT_SIZE);
    ParaSetString(PARA_TXT_FONT_NAME, QString());
    EXPECT_EQ(ReadFileBytes(m_ini), before);

    ParaSetInt(31, PARA_FONT_SIZE);
    ParaSetString(PARA_LAST_PATH, QStringLiteral("/书/长篇.txt"));
    IniFile ini(m_ini);
    EXPECT_EQ(ini.ReadInt(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE"), 0), 31);
    EXPECT_EQ(ini.ReadString(QStringLiteral("ParaBlock"), QStringLiteral("PARA_LAST_PATH")),
              QStringLiteral("/书/长篇.txt"));

    // Emptying a non-empty string writes the key with an empty value.
    ParaSetString(PARA_LAST_PATH, QString());
    EXPECT_EQ(ini.Load().Value(QStringLiteral("ParaBlock"), QStringLiteral("PARA_LAST_PATH")), QString());

    // A value that would break the file stays in memory and leaves the file as it was.
    const QByteArray kept = ReadFileBytes(m_ini);
    ParaSetString(PARA_LAST_PATH, QStringLiteral("/a\nb.txt"));
    EXPECT_EQ(ParaGetString(PARA_LAST_PATH), QStringLiteral("/a\nb.txt"));
    EXPECT_EQ(ReadFileBytes(m_ini), kept);
}

TEST_F(ParaBlockTest, SyncIntAdoptsDefaultsAndClamps)
{
    Load(QStringLiteral("PARA_ADV_CHN_SPACE=500\r\n"));
    const QByteArray before = ReadFileBytes(m_ini);
    int tail = 4;
    ParaSyncInt(tail, PARA_ADV_TAIL_SPACE, 1, 200);
    EXPECT_EQ(tail, 4);
    EXPECT_EQ(ParaGetInt(PARA_ADV_TAIL_SPACE), 4);
    EXPECT_EQ(ReadFileBytes(m_ini), before);

    int chn = 2;
    ParaSyncInt(chn, PARA_ADV_CHN_SPACE, 0, 200);
    EXPECT_EQ(chn, 200);
    ParaSyncInt(chn, PARA_ADV_CHN_SPACE, 7, 7);
    EXPECT_EQ(chn, 500);
}

TEST_F(ParaBlockTest, CopyCompareAndWriteChanges)
{
    Load(QString());
    CParaBlock copy;
    copy.CopyFrom(theParaBlock);
    EXPECT_TRUE(theParaBlock.IsSameAs(copy));
    const QByteArray before = ReadFileBytes(m_ini);

    theParaBlock.SetInt(PARA_TEXT_LINE_COLOR, 0x123456, false);
    theParaBlock.SetString(PARA_TXT_FONT_NAME, QStringLiteral("宋体"), false);
    EXPECT_EQ(ReadFileBytes(m_ini), before);
    EXPECT_FALSE(theParaBlock.IsSameAs(copy));
    theParaBlock.WriteChangesSince(copy);
    const IniDocument doc = IniFile(m_ini).Load();
    EXPECT_EQ(doc.Keys(QStringLiteral("ParaBlock")),
              (QStringList{QStringLiteral("PARA_TEXT_LINE_COLOR"), QStringLiteral("PARA_TXT_FONT_NAME")}));
    EXPECT_FALSE(copy.CopyFrom(theParaBlock));
    EXPECT_TRUE(copy.CopyFrom(theParaBlock));
}

TEST_F(ParaBlockTest, EnsureUnicodeIniFileConvertsOnce)
{
    const QString missing = m_dir.filePath(QStringLiteral("new.ini"));
    EnsureUnicodeIniFile(missing, QStringLiteral("ParaBlock"));
    EXPECT_EQ(ReadFileBytes(missing), Utf16LeWithMark(QStringLiteral("[ParaBlock]\r\n")));

    const QString empty = m_dir.filePath(QStringLiteral("empty.bmk"));
    WriteFileBytes(empty, QByteArray());
    EnsureUnicodeIniFile(empty, QString());
    EXPECT_EQ(ReadFileBytes(empty), QByteArray("\xFF\xFE\r\0\n\0", 6));

    // An ANSI (GBK) file with a Chinese font name: read as ANSI, converted, read back the same.
    const QString ansi = m_dir.filePath(QStringLiteral("ansi.ini"));
    WriteFileBytes(ansi,
                   QByteArray("[ParaBlock]\r\nPARA_TXT_FONT_NAME=\xCB\xCE\xCC\xE5\r\nPARA_FONT_SIZE=40\r\n"));
    LoadParaBlock(ansi, ParaScreen{});
    EXPECT_EQ(ParaGetString(PARA_TXT_FONT_NAME), QStringLiteral("宋体"));
    EnsureUnicodeIniFile(ansi, QStringLiteral("ParaBlock"));
    EXPECT_TRUE(ReadFileBytes(ansi).startsWith("\xFF\xFE"));
    LoadParaBlock(ansi, ParaScreen{});
    EXPECT_EQ(ParaGetString(PARA_TXT_FONT_NAME), QStringLiteral("宋体"));
    EXPECT_EQ(ParaGetInt(PARA_FONT_SIZE), 40);

    // A hand-edited UTF-8 file keeps its characters instead of being taken for GBK.
    const QString utf8 = m_dir.filePath(QStringLiteral("utf8.ini"));
    WriteFileBytes(utf8, QStringLiteral("[ParaBlock]\nPARA_TXT_FONT_NAME=楷体\n").toUtf8());
    EnsureUnicodeIniFile(utf8, QStringLiteral("ParaBlock"));
    LoadParaBlock(utf8, ParaScreen{});
    EXPECT_EQ(ParaGetString(PARA_TXT_FONT_NAME), QStringLiteral("楷体"));

    // Already UTF-16: untouched.
    const QByteArray unicode = Utf16LeWithMark(QStringLiteral("[ParaBlock]\r\nPARA_FONT_SIZE=20\r\n"));
    WriteFileBytes(ansi, unicode);
    EnsureUnicodeIniFile(ansi, QStringLiteral("ParaBlock"));
    EXPECT_EQ(ReadFileBytes(ansi), unicode);
}

TEST_F(ParaBlockTest, UnreadableSettingsKeepDefaults)
{
    QByteArray noise(10000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 24);
    WriteFileBytes(m_ini, noise);
    LoadParaBlock(m_ini, ParaScreen{});
    EXPECT_EQ(ParaGetInt(PARA_FONT_SIZE), 26);
    ParaSetInt(33, PARA_FONT_SIZE);
    EXPECT_EQ(IniFile(m_ini).ReadInt(QStringLiteral("ParaBlock"), QStringLiteral("PARA_FONT_SIZE"), 0), 33);
}

} // namespace

TEST_F(ParaBlockTest, LaterIntegersKeepTheirPlaceBeforeTheStrings)
{
    // Stored files name keys, but the record and `settings` output go by index.
    EXPECT_STREQ(ParaKeyName(46), "PARA_LINE_BREAK_RULES");
    EXPECT_STREQ(ParaKeyName(47), "PARA_AUTO_TURN_SECONDS");
    EXPECT_STREQ(ParaKeyName(48), "PARA_CONVERSION");
    EXPECT_STREQ(ParaKeyName(49), "PARA_TXT_FONT_NAME");
    Load(QString());
    EXPECT_EQ(ParaGetInt(PARA_LINE_BREAK_RULES), 0);
    EXPECT_EQ(ParaGetInt(PARA_AUTO_TURN_SECONDS), 30);

    // A zero or absurd interval would turn pages in a busy loop or never.
    const struct
    {
        const char* stored;
        int expected;
    } cases[] = {{"0", 1}, {"-5", 1}, {"7", 7}, {"99999", 3600}};
    for (const auto& c : cases) {
        Load(QStringLiteral("PARA_AUTO_TURN_SECONDS=") + QLatin1String(c.stored) +
             QStringLiteral("\r\nPARA_LINE_BREAK_RULES=3\r\nPARA_TXT_FONT_NAME=X\r\n"));
        EXPECT_EQ(ParaGetInt(PARA_AUTO_TURN_SECONDS), c.expected) << c.stored;
        EXPECT_EQ(ParaGetInt(PARA_LINE_BREAK_RULES), 1); // any other value than 0 is on
        EXPECT_EQ(ParaGetString(PARA_TXT_FONT_NAME), QStringLiteral("X"));
    }
}
