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
    // Clamped into range, the dialog's minimum for the tail space; unset values keep their defaults.
    ComplexOptions expected;
    expected.tailSpace = 1;
    expected.chnSpace = 50;
    expected.engSpace = 0;
    expected.beginWithChn = false;
    expected.addBlankLine = true;
    EXPECT_EQ(ReadComplexOptions(), expected);
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
    EXPECT_EQ(ReadComplexOptions(), o);
}

} // namespace
