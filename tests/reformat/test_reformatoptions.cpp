// The complex options as the settings file gives them, and their round trip through it.
#include "reformat/reformatoptions.h"

#include "settings/parablock.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ReformatOptions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_ini = m_dir.filePath(QStringLiteral("Leafturner.ini"));
    }
    void TearDown() override { theParaBlock.SetIniPath(QString()); }

    void WriteIni(const QByteArray& text)
    {
        QFile f(m_ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir m_dir;
    QString m_ini;
};

TEST_F(ReformatOptions, HandEditedValuesAreClampedAndZeroTailSpaceBecomesOne)
{
    WriteIni("[ParaBlock]\r\nPARA_ADV_TAIL_SPACE=0\r\nPARA_ADV_CHN_SPACE=99\r\n"
             "PARA_ADV_ENG_SPACE=-5\r\nPARA_ADV_BEGIN_WITH_CHN=0\r\nPARA_ADV_ADD_BLINK_LINE=7\r\n"
             "PARA_LAYOUT_PARA_END=xyz\r\n");
    ASSERT_TRUE(LoadParaBlock(m_ini, ParaScreen{}));
    const ComplexOptions o = ReadComplexOptions();
    EXPECT_EQ(o.tailSpace, 1);
    EXPECT_EQ(o.chnSpace, 50);
    EXPECT_EQ(o.engSpace, 0);
    EXPECT_FALSE(o.beginWithChn);
    EXPECT_TRUE(o.addBlankLine);
    // Unset values take the defaults.
    EXPECT_TRUE(o.beginWithEng);
    EXPECT_FALSE(o.checkLineLen);
    EXPECT_TRUE(o.beginWithBlankLine);
    EXPECT_FALSE(o.endWithSpec);
    EXPECT_TRUE(o.addChnSpace);
    EXPECT_EQ(o.paraEnd, QStringLiteral("。？”」！集章"));
}

TEST_F(ReformatOptions, StoredOptionsSurviveARestart)
{
    ASSERT_TRUE(LoadParaBlock(m_ini, ParaScreen{}));
    EnsureUnicodeIniFile(m_ini, QStringLiteral("ParaBlock"));
    ComplexOptions o;
    o.beginWithChn = false;
    o.checkLineLen = true;
    o.endWithSpec = true;
    o.chnSpace = 3;
    o.engSpace = 0;
    o.tailSpace = 7;
    o.addChnSpace = false;
    o.addBlankLine = true;
    StoreComplexOptions(o);

    ASSERT_TRUE(LoadParaBlock(m_ini, ParaScreen{}));
    const ComplexOptions back = ReadComplexOptions();
    EXPECT_EQ(back.beginWithChn, o.beginWithChn);
    EXPECT_EQ(back.beginWithEng, o.beginWithEng);
    EXPECT_EQ(back.checkLineLen, o.checkLineLen);
    EXPECT_EQ(back.beginWithBlankLine, o.beginWithBlankLine);
    EXPECT_EQ(back.endWithSpec, o.endWithSpec);
    EXPECT_EQ(back.chnSpace, o.chnSpace);
    EXPECT_EQ(back.engSpace, o.engSpace);
    EXPECT_EQ(back.tailSpace, o.tailSpace);
    EXPECT_EQ(back.addChnSpace, o.addChnSpace);
    EXPECT_EQ(back.addBlankLine, o.addBlankLine);
}

} // namespace
