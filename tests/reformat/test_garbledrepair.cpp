// Garbled-character repair with real GBK bytes.
#include "reformat/garbledrepair.h"

#include "document/codepage.h"

#include <gtest/gtest.h>

namespace {

class GarbledRepair : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("CP936"))); }
};

TEST_F(GarbledRepair, SelectionStartingWithADoubleByteCharacterLosesItsLeadByteToASpace)
{
    // D6 D0 | CE C4 | D7 D6 | 61 -> 20 | D0 CE | C4 D7 | D6 61
    const RepairResult r = RepairGarbled(QStringLiteral("中文字a"));
    EXPECT_EQ(r.outcome, RepairOutcome::Repaired);
    EXPECT_EQ(r.text, QStringLiteral(" 形淖謅"));
    EXPECT_TRUE(RepairMessage(r.outcome).isEmpty());
}

TEST_F(GarbledRepair, SingleByteCharactersBeforeTheFirstLeadByteStay)
{
    const RepairResult r = RepairGarbled(QStringLiteral("ab中文字a"));
    EXPECT_EQ(r.outcome, RepairOutcome::Repaired);
    EXPECT_EQ(r.text, QStringLiteral("ab形淖謅"));
}

TEST_F(GarbledRepair, NothingToRepairGivesTheTwoMessages)
{
    EXPECT_EQ(RepairGarbled(QString()).outcome, RepairOutcome::EmptySelection);
    EXPECT_EQ(RepairMessage(RepairOutcome::EmptySelection),
              QStringLiteral("抱歉，请先选择包含所有乱码的区域，乱码必须是选择区的首字。"));
    for (const QString& s : {QStringLiteral("plain ASCII\r"), QStringLiteral("\U0001F600")}) {
        const RepairResult r = RepairGarbled(s);
        EXPECT_EQ(r.outcome, RepairOutcome::NoLeadByte) << s.toStdString();
        EXPECT_TRUE(r.text.isEmpty());
    }
    EXPECT_EQ(RepairMessage(RepairOutcome::NoLeadByte), QStringLiteral("抱歉，乱码必须是选择区的首字。"));
}

TEST_F(GarbledRepair, DroppedByteInAGbkTextIsRepairedFromTheFirstGarbledCharacter)
{
    const QString original = QStringLiteral("第一章风起云涌天下大乱ok");
    QByteArray bytes = CodePage::QStringToAnsi(original);
    // Lose the trail byte of 风 (the fourth character): every pair after it shifts by one byte.
    bytes.remove(7, 1);
    const QString garbled = CodePage::AnsiToQString(bytes);
    ASSERT_TRUE(garbled.startsWith(QStringLiteral("第一章")));
    ASSERT_FALSE(garbled.contains(QStringLiteral("起云涌")));

    // The user selects from the first garbled character to the end of the garbled stretch.
    const qsizetype start = 3;
    const qsizetype end = garbled.size() - 1; // the "k" that pairs up again by itself
    const RepairResult r = RepairGarbled(garbled.mid(start, end - start));
    ASSERT_EQ(r.outcome, RepairOutcome::Repaired);
    const QString repaired = garbled.left(start) + r.text + garbled.mid(end);
    // 风 itself is gone with its byte; a space stands where its lead byte was.
    EXPECT_EQ(repaired, QStringLiteral("第一章 起云涌天下大乱ok"));
}

// A Big5 book lost a byte of Big5, not of the ANSI code page: the repair works in the book's one.
TEST_F(GarbledRepair, BookReadInAnotherCodePageIsRepairedInThatCodePage)
{
    const QString cp = QStringLiteral("CP950");
    const QString original = QStringLiteral("天色將晚的時候他才從山上走下來ok");
    QByteArray bytes = CodePage::Utf16ToLegacy(cp, reinterpret_cast<const char16_t*>(original.constData()),
                                               static_cast<std::size_t>(original.size()));
    bytes.remove(5, 1); // the trail byte of 將
    QString garbled(bytes.size(), Qt::Uninitialized);
    garbled.truncate(static_cast<qsizetype>(CodePage::LegacyToUtf16(
        cp, reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()),
        reinterpret_cast<char16_t*>(garbled.data()))));
    ASSERT_TRUE(garbled.startsWith(QStringLiteral("天色")));
    ASSERT_NE(garbled.mid(2, 4), original.mid(3, 4));

    const qsizetype start = 2, end = garbled.size() - 1;
    const RepairResult r = RepairGarbled(garbled.mid(start, end - start), cp);
    ASSERT_EQ(r.outcome, RepairOutcome::Repaired);
    const QString repaired = garbled.left(start) + r.text + garbled.mid(end);
    EXPECT_TRUE(repaired.contains(QStringLiteral("的時候他才從山上走下來"))) << repaired.toStdString();
}

} // namespace
