// The chapter settings and condition dialogs driven through their buttons, as a user would.
#include "chapters/chapterconditiondlg.h"
#include "chapters/chaptersettingsdlg.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "settings/profile.h"
#include "support/modaldialog.h"
#include "support/temporaryprofile.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kDuplicate = QStringLiteral("抱歉，此条件已经包含在列表中。");

class ChapterDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(UseAsProfile(m_dir.path()));
        m_scoped = std::make_unique<ScopedMessageSink>(&m_sink);
    }
    void TearDown() override { m_scoped.reset(); }

    template <typename T> static T* Child(QWidget* parent, const char* name)
    {
        T* child = parent->findChild<T*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static void Click(QWidget* parent, const char* name)
    {
        QTest::mouseClick(Child<QPushButton>(parent, name), Qt::LeftButton);
    }

    // Drives the condition dialog the next click opens; closes it if `drive` left it open.
    static void WhenConditionDialog(std::function<void(CChapterConditionDlg*)> drive)
    {
        WhenModal<CChapterConditionDlg>(std::move(drive), 100, 10);
    }
    // Types `text` into the condition dialog and presses OK; true when the dialog stayed open.
    static bool TypeAndConfirm(CChapterConditionDlg* dialog, const QString& text)
    {
        dialog->Edit()->setText(text);
        Click(dialog, "OkButton");
        return dialog->isVisible();
    }

    static QStringList Rows(const CChapterSettingsDlg& dialog) { return dialog.RowTexts(); }
    static Qt::CheckState Tick(const CChapterSettingsDlg& dialog, int row)
    {
        return dialog.List()->item(row, 0)->checkState();
    }

    QTemporaryDir m_dir;
    RecordingMessageSink m_sink;
    std::unique_ptr<ScopedMessageSink> m_scoped;
};

TEST_F(ChapterDialogTest, SettingsDialogRefusesBadSettingsAndStoresGoodOnes)
{
    ChapterConditionList conditions;
    conditions.FillDefaults();
    conditions.Add(QStringLiteral("楔子")); // disabled
    CChapterSettingsDlg dialog(conditions);
    dialog.show();

    ASSERT_EQ(dialog.List()->rowCount(), 11);
    EXPECT_EQ(Rows(dialog).first(), QStringLiteral("第×集"));
    EXPECT_EQ(Rows(dialog)[9], QStringLiteral("后记"));
    EXPECT_EQ(Tick(dialog, 9), Qt::Checked);
    EXPECT_EQ(Rows(dialog)[10], QStringLiteral("楔子"));
    EXPECT_EQ(Tick(dialog, 10), Qt::Unchecked);

    for (const char* box : {"EngDigit", "ChnDigit", "ChnLower", "ChnUpper"})
        Child<QCheckBox>(&dialog, box)->setChecked(false);
    Click(&dialog, "OkButton");
    EXPECT_EQ(m_sink.Last(), QStringLiteral("×总要包括点什么吧？"));
    EXPECT_TRUE(dialog.isVisible());
    // Nothing is stored before every check passed.
    EXPECT_EQ(ParaGetInt(PARA_CHP_ENG_DIGIT), 1);

    Child<QCheckBox>(&dialog, "ChnUpper")->setChecked(true);
    const QString range = QStringLiteral("抱歉，关键字前出现的字符数只能是0～20，请更正。");
    for (const char* bad : {"21", "-1", "abc", ""}) {
        m_sink.Clear();
        Child<QLineEdit>(&dialog, "LineHead")->setText(QLatin1String(bad));
        Click(&dialog, "OkButton");
        EXPECT_EQ(m_sink.Last(), range) << bad;
        EXPECT_TRUE(dialog.isVisible()) << bad;
    }
    EXPECT_EQ(ParaGetInt(PARA_CHP_CHN_UPPER), 0);

    Child<QLineEdit>(&dialog, "LineHead")->setText(QStringLiteral(" 20 "));
    Child<QCheckBox>(&dialog, "SepBlank")->setChecked(false);
    Click(&dialog, "OkButton");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ParaGetInt(PARA_CHP_ENG_DIGIT), 0);
    EXPECT_EQ(ParaGetInt(PARA_CHP_CHN_LOWER), 0);
    EXPECT_EQ(ParaGetInt(PARA_CHP_CHN_UPPER), 1);
    EXPECT_EQ(ParaGetInt(PARA_CHP_LINE_HEAD), 20);
    EXPECT_EQ(ParaGetInt(PARA_CHP_SEP_BLANK), 0);
    EXPECT_EQ(ParaGetInt(PARA_CHP_NO_DUP_CHPT), 1);
    EXPECT_EQ(dialog.WorkingCopy(), conditions);
}

TEST_F(ChapterDialogTest, TickButtonsAndDelete)
{
    ChapterConditionList conditions;
    conditions.FillDefaults();
    CChapterSettingsDlg dialog(conditions);
    dialog.show();

    Click(&dialog, "UntickAllButton");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Tick(dialog, i), Qt::Unchecked);
    Click(&dialog, "TickAllButton");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Tick(dialog, i), Qt::Checked);

    Click(&dialog, "DeleteButton");
    EXPECT_EQ(m_sink.Last(), QStringLiteral("请先选择需要删除的项。"));
    dialog.List()->selectRow(2);
    m_sink.QueueAnswer(MsgAnswer::No);
    Click(&dialog, "DeleteButton");
    EXPECT_EQ(m_sink.Last(), QStringLiteral("您真的想删除所选项吗？"));
    EXPECT_EQ(dialog.List()->rowCount(), 10);
    m_sink.QueueAnswer(MsgAnswer::Yes);
    Click(&dialog, "DeleteButton");
    ASSERT_EQ(dialog.List()->rowCount(), 9);
    EXPECT_FALSE(Rows(dialog).contains(QStringLiteral("第×册")));

    // The working copy follows the rows and their ticks.
    dialog.List()->item(0, 0)->setCheckState(Qt::Unchecked);
    Click(&dialog, "OkButton");
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.WorkingCopy().Count(), 9);
    EXPECT_EQ(dialog.WorkingCopy().At(1), QStringLiteral("第×集"));
    EXPECT_EQ(dialog.WorkingCopy().At(2), QStringLiteral("*第×部"));
    EXPECT_EQ(dialog.WorkingCopy().At(9), QStringLiteral("*后记"));

    CChapterSettingsDlg empty(ChapterConditionList{});
    empty.show();
    m_sink.Clear();
    Click(&empty, "DeleteButton");
    EXPECT_TRUE(m_sink.Messages().isEmpty());
}

TEST_F(ChapterDialogTest, DuplicateCheckSeesTheRowsAsTheyStand)
{
    ChapterConditionList conditions;
    conditions.FillDefaults();
    conditions.Add(QStringLiteral("楔子"));
    CChapterSettingsDlg dialog(conditions);
    dialog.show();

    // A disabled row, an enabled one (shown without its mark), then the new text, trimmed.
    WhenConditionDialog([this](CChapterConditionDlg* d) {
        EXPECT_TRUE(d->IsAddMode());
        EXPECT_TRUE(TypeAndConfirm(d, QStringLiteral("楔子")));
        EXPECT_EQ(m_sink.Last(), kDuplicate);
        m_sink.Clear();
        EXPECT_TRUE(TypeAndConfirm(d, QStringLiteral("第×章")));
        EXPECT_EQ(m_sink.Last(), kDuplicate);
        EXPECT_FALSE(TypeAndConfirm(d, QStringLiteral("　 尾声  ")));
    });
    Click(&dialog, "AddButton");
    ASSERT_EQ(dialog.List()->rowCount(), 12);
    EXPECT_EQ(Rows(dialog).last(), QStringLiteral("尾声"));
    EXPECT_EQ(Tick(dialog, 11), Qt::Checked);

    // A row added while the dialog is open counts too.
    m_sink.Clear();
    WhenConditionDialog([this](CChapterConditionDlg* d) {
        EXPECT_TRUE(TypeAndConfirm(d, QStringLiteral("尾声")));
        EXPECT_EQ(m_sink.Last(), kDuplicate);
        // A pasted line break would split the condition in the file.
        EXPECT_FALSE(TypeAndConfirm(d, QStringLiteral("番\r\n外")));
    });
    Click(&dialog, "AddButton");
    EXPECT_EQ(Rows(dialog).last(), QStringLiteral("番外"));

    // Editing into an existing text is taken as Cancel; a new text replaces the row, tick kept.
    dialog.List()->selectRow(10);
    m_sink.Clear();
    WhenConditionDialog([](CChapterConditionDlg* d) {
        EXPECT_FALSE(d->IsAddMode());
        EXPECT_EQ(d->Edit()->text(), QStringLiteral("楔子"));
        EXPECT_FALSE(TypeAndConfirm(d, QStringLiteral("第×章")));
        EXPECT_EQ(d->result(), QDialog::Rejected);
    });
    Click(&dialog, "EditButton");
    EXPECT_TRUE(m_sink.Messages().isEmpty());
    EXPECT_EQ(Rows(dialog)[10], QStringLiteral("楔子"));
    WhenConditionDialog(
        [](CChapterConditionDlg* d) { EXPECT_FALSE(TypeAndConfirm(d, QStringLiteral("引子"))); });
    Click(&dialog, "EditButton");
    EXPECT_EQ(Rows(dialog)[10], QStringLiteral("引子"));
    EXPECT_EQ(Tick(dialog, 10), Qt::Unchecked);

    // Cancel changes nothing.
    WhenConditionDialog([](CChapterConditionDlg* d) {
        d->Edit()->setText(QStringLiteral("不要"));
        Click(d, "CancelButton");
    });
    Click(&dialog, "AddButton");
    EXPECT_EQ(dialog.List()->rowCount(), 13);

    // The enabled mark cannot be typed: saved and read back it would change the condition.
    CChapterConditionDlg marked(true, QString(), {});
    marked.show();
    for (const QString& text :
         {QStringLiteral("*abc"), QStringLiteral(" \t*abc"), QStringLiteral("**第×章")}) {
        m_sink.Clear();
        EXPECT_TRUE(TypeAndConfirm(&marked, text)) << text.toStdString();
        EXPECT_EQ(m_sink.Last(), QStringLiteral("抱歉，查询条件不能以“*”开头。"));
    }
    EXPECT_FALSE(TypeAndConfirm(&marked, QStringLiteral("第×章*")));
    EXPECT_EQ(marked.Text(), QStringLiteral("第×章*"));

    CChapterConditionDlg longText(true, QString(), {});
    longText.Edit()->setText(QString(5000, u'字'));
    EXPECT_EQ(longText.Edit()->text().size(), CChapterConditionDlg::kMaxTextUnits);
}

} // namespace
