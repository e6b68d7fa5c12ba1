// The reformat and repair commands driven through the real window: the dialogs, the new text and
// its encoding, saving, reloading, the save question, the garbled repair on GBK bytes and undo.
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "reformat/complexreformatdlg.h"
#include "reformat/simplereformatdlg.h"
#include "settings/parablock.h"
#include "ui/commandids.h"
#include "views/myrichedit.h"
#include "views/myricheditview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

namespace {

const QString kAskSave = QStringLiteral("文件内容已被修改，您想保存吗？");
const QString kNoSelection = QStringLiteral("抱歉，请先选择包含所有乱码的区域，乱码必须是选择区的首字。");
const QString kNotFirst = QStringLiteral("抱歉，乱码必须是选择区的首字。");

// "中文乱码测试" in GBK.
const QByteArray kChineseGbk("\xD6\xD0\xCE\xC4\xC2\xD2\xC2\xEB\xB2\xE2\xCA\xD4");

QString U(const char16_t* s)
{
    return QString::fromUtf16(s);
}

class ReformatUiTest : public ReaderTest
{
protected:
    void SetUp() override
    {
        ReaderTest::SetUp();
        Setting(QStringLiteral("PARA_VIEW_MODE"), QStringLiteral("1"));
    }
    void TearDown() override
    {
        for (const QPointer<QTimer>& timer : m_timers) {
            EXPECT_TRUE(timer.isNull()) << "a dialog the test waited for never showed";
            delete timer.data();
        }
        ReaderTest::TearDown();
    }

    // Acts on the next modal dialog of type T once a command has opened it.
    template <typename T> void WhenShown(std::function<void(T&)> act)
    {
        auto* timer = new QTimer;
        auto tries = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!dialog && ++*tries < 2000)
                return;
            timer->stop();
            timer->deleteLater();
            if (dialog)
                act(*dialog);
        });
        timer->start(5);
        m_timers.emplace_back(timer);
    }
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    void OpenInEditView(const QString& path)
    {
        ASSERT_TRUE(Start({path}));
        ASSERT_NE(EditView(), nullptr);
    }
    CLeafturnerDoc* Doc() const { return Frame()->Document(); }
    CMyRichEditView* EditView() const
    {
        return Frame() ? qobject_cast<CMyRichEditView*>(Frame()->ActiveViewWidget()) : nullptr;
    }
    CMyRichEdit* Control() const { return EditView() ? EditView()->Edit() : nullptr; }
    QString ControlText() const { return Control()->TextWithCrs(); }
    QString BufferText() const
    {
        const TextBuffer* buffer = Doc()->Buffer();
        return buffer ? QString(reinterpret_cast<const QChar*>(buffer->Text()), buffer->Length()) : QString();
    }
    bool Enabled(int id)
    {
        Frame()->UpdateCommandUI();
        return Frame()->Action(id)->isEnabled();
    }
    // The command as the menu runs it.
    void Run(int id)
    {
        ASSERT_TRUE(Enabled(id));
        Frame()->Action(id)->trigger();
        Settle();
    }
    void Select(int from, int to)
    {
        QTextCursor c = Control()->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        Control()->setTextCursor(c);
    }
    void TypeAtStart(const QString& text)
    {
        Select(0, 0);
        Control()->setFocus();
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(Control(), &press);
        }
        Settle();
    }

    std::vector<QPointer<QTimer>> m_timers;
};

TEST_F(ReformatUiTest, SimpleReformatReplacesTheTextAndSavesAsUtf16LeWithMark)
{
    const QString path = WriteBook(QStringLiteral("book.txt"), QStringLiteral("a b  \r\n\r\n\r\n  c d\r\n"));
    OpenInEditView(path);
    // Plain ASCII is read as the ANSI code page.
    EXPECT_EQ(Doc()->Buffer()->Encoding(), SourceEncoding::Ansi);

    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("简单排版"));
        EXPECT_TRUE(d.DeleteBlankLinesBox()->isChecked());
        EXPECT_TRUE(d.TrimBox()->isChecked());
        EXPECT_TRUE(d.IndentBox()->isChecked());
        Click(d.OkButton());
    });
    Run(Cmd::Reformat);
    const QString once = U(u"\x3000\x3000"
                           u"a b\r\x3000\x3000"
                           u"c d\r");
    EXPECT_EQ(ControlText(), once);
    EXPECT_EQ(BufferText(), once);
    EXPECT_EQ(Doc()->Buffer()->Encoding(), SourceEncoding::Utf16Le);
    // Only in memory so far: Save is offered and closing would ask.
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_TRUE(m_sink.Messages().isEmpty());

    Run(Cmd::FileSave);
    QByteArray expected("\xFF\xFE", 2);
    for (const QChar c : U(u"\x3000\x3000"
                           u"a b\r\n\x3000\x3000"
                           u"c d\r\n")) {
        expected.append(static_cast<char>(c.unicode() & 0xFF));
        expected.append(static_cast<char>(c.unicode() >> 8));
    }
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_FALSE(Doc()->IsModified());

    // The boxes start ticked again; with only the indent on, every line gets two more spaces.
    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) {
        EXPECT_TRUE(d.DeleteBlankLinesBox()->isChecked());
        EXPECT_TRUE(d.TrimBox()->isChecked());
        d.DeleteBlankLinesBox()->setChecked(false);
        d.TrimBox()->setChecked(false);
        Click(d.OkButton());
    });
    Run(Cmd::Reformat);
    EXPECT_EQ(ControlText(), U(u"\x3000\x3000\x3000\x3000"
                               u"a b\r\x3000\x3000\x3000\x3000"
                               u"c d\r"));
}

TEST_F(ReformatUiTest, AReformatThrownAwayLeavesTheReadingViewShowingTheBookAsStored)
{
    const QByteArray stored("a b  \r\n\r\n\r\n  c d\r\n");
    const QString path = WriteBytes(QStringLiteral("book.txt"), stored);
    OpenInEditView(path);
    const QString asStored = BufferText();
    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.OkButton()); });
    Run(Cmd::Reformat);
    ASSERT_NE(BufferText(), asStored);
    ASSERT_TRUE(Doc()->IsModified());

    // Leaving the edit view asks; No shows the book as the file holds it, and the position stored
    // is one in that text.
    m_sink.QueueAnswer(MsgAnswer::No);
    Run(Cmd::EditMode);
    EXPECT_EQ(m_sink.Last(), kAskSave);
    ASSERT_EQ(EditView(), nullptr);
    EXPECT_EQ(BufferText(), asStored);
    EXPECT_EQ(Doc()->Buffer()->Encoding(), SourceEncoding::Ansi);
    EXPECT_LE(IniValue(QStringLiteral("PARA_LAST_POS")).toInt(), asStored.size());
    EXPECT_EQ(ReadBytes(path), stored);
    EXPECT_FALSE(Doc()->IsModified());

    // Back in the edit view the stored text is there.
    Run(Cmd::EditMode);
    ASSERT_NE(EditView(), nullptr);
    EXPECT_EQ(ControlText(), asStored);

    // A second reformat that drops the first one works on the text as stored.
    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.OkButton()); });
    Run(Cmd::Reformat);
    const QString once = BufferText();
    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.OkButton()); });
    m_sink.QueueAnswer(MsgAnswer::No);
    Run(Cmd::Reformat);
    EXPECT_EQ(m_sink.Last(), kAskSave);
    EXPECT_EQ(ControlText(), once);
    EXPECT_EQ(BufferText(), once);
    EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(ReformatUiTest, CancelTheSaveQuestionOrNothingToDoLeavesTheBookAlone)
{
    const QString text = QStringLiteral("  \r\n \t \r\n");
    OpenInEditView(WriteBook(QStringLiteral("blank.txt"), text));
    const QString shown = ControlText();

    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.CancelButton()); });
    Run(Cmd::Reformat);
    EXPECT_EQ(ControlText(), shown);
    EXPECT_FALSE(Doc()->IsModified());

    // Cancel in the complex dialog stores nothing.
    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.ComplexButton()); });
    WhenShown<CComplexReformatDlg>([](CComplexReformatDlg& d) {
        d.LineLengthBox()->setChecked(true);
        Click(d.CancelButton());
    });
    Run(Cmd::Reformat);
    EXPECT_EQ(ControlText(), shown);
    EXPECT_TRUE(IniValue(QStringLiteral("PARA_ADV_CHECK_LINE_LEN")).isEmpty());

    // The short-line test on a text without a non-blank line has nothing to do: nothing happens.
    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.ComplexButton()); });
    WhenShown<CComplexReformatDlg>([](CComplexReformatDlg& d) {
        d.LineLengthBox()->setChecked(true);
        Click(d.OkButton());
    });
    Run(Cmd::Reformat);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_ADV_CHECK_LINE_LEN")), QStringLiteral("1"));
    EXPECT_EQ(ControlText(), shown);
    EXPECT_EQ(Doc()->Buffer()->Encoding(), SourceEncoding::Ansi);
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_TRUE(m_sink.Messages().isEmpty());

    // Unsaved edits: the save question comes first, and Cancel stops the command.
    TypeAtStart(QStringLiteral("x"));
    ASSERT_TRUE(Doc()->IsModified());
    m_sink.QueueAnswer(MsgAnswer::Cancel);
    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.OkButton()); });
    Run(Cmd::Reformat);
    EXPECT_EQ(m_sink.Last(), kAskSave);
    EXPECT_EQ(ControlText(), QStringLiteral("x") + shown);
    EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(ReformatUiTest, AComplexReformatMakingAParagraphOverTheLimitAsksFirst)
{
    // Lines without indents or blank lines: the complex reformat joins them into one paragraph.
    QString text;
    while (text.size() <= 130'000)
        text += QStringLiteral("没有缩进的一行文字\r\n");
    OpenInEditView(WriteBook(QStringLiteral("lines.txt"), text));
    const QString shown = ControlText();
    for (const MsgAnswer answer : {MsgAnswer::Cancel, MsgAnswer::Ok}) {
        m_sink.Clear();
        m_sink.QueueAnswer(answer);
        WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.ComplexButton()); });
        WhenShown<CComplexReformatDlg>([](CComplexReformatDlg& d) { Click(d.OkButton()); });
        Run(Cmd::Reformat);
        ASSERT_EQ(m_sink.Messages().size(), 1);
        EXPECT_EQ(m_sink.Last(), QStringLiteral("整理后将有 1 个段落超过 100,000 字。是否继续？"));
        if (answer == MsgAnswer::Cancel) {
            EXPECT_EQ(ControlText(), shown);
            EXPECT_FALSE(Doc()->IsModified());
        }
    }
    EXPECT_FALSE(ControlText().contains(u'\r'));
    EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(ReformatUiTest, ComplexDialogShowsTheSettingsTicksBoxesAsSpinsMoveAndStoresOnOk)
{
    Setting(QStringLiteral("PARA_ADV_BEGIN_WITH_CHN"), QStringLiteral("0"));
    Setting(QStringLiteral("PARA_ADV_CHN_SPACE"), QStringLiteral("3"));
    Setting(QStringLiteral("PARA_ADV_TAIL_SPACE"), QStringLiteral("0")); // hand-edited, below the dialog's 1
    Setting(QStringLiteral("PARA_ADV_ADD_BLINK_LINE"), QStringLiteral("1"));
    OpenInEditView(
        WriteBook(QStringLiteral("wrapped.txt"), U(u"\x3000\x3000第一段的第一行文字\r\n第一段第二行。\r\n"
                                                   u"\x3000\x3000第二段开始\r\n接着写\r\n")));

    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.ComplexButton()); });
    WhenShown<CComplexReformatDlg>([](CComplexReformatDlg& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("复杂排版"));
        EXPECT_FALSE(d.ChnSpaceBox()->isChecked());
        EXPECT_EQ(d.ChnSpaceSpin()->value(), 3);
        EXPECT_EQ(d.TailSpaceSpin()->value(), 1);
        EXPECT_EQ(d.TailSpaceSpin()->minimum(), 1);
        EXPECT_EQ(d.TailSpaceSpin()->maximum(), 200);
        EXPECT_EQ(d.EngSpaceSpin()->maximum(), 50);
        EXPECT_EQ(d.EndCharsEdit()->text(), QStringLiteral("。？”」！集章"));
        EXPECT_FALSE(d.LineLengthBox()->isChecked());
        EXPECT_TRUE(d.AddBlankLineBox()->isChecked());
        // Moving a spin ticks its box.
        QTest::keyClick(d.ChnSpaceSpin(), Qt::Key_Down);
        EXPECT_EQ(d.ChnSpaceSpin()->value(), 2);
        EXPECT_TRUE(d.ChnSpaceBox()->isChecked());
        QTest::keyClick(d.TailSpaceSpin(), Qt::Key_Up);
        EXPECT_EQ(d.TailSpaceSpin()->value(), 2);
        EXPECT_TRUE(d.LineLengthBox()->isChecked());
        // A box already ticked stays ticked.
        QTest::keyClick(d.EngSpaceSpin(), Qt::Key_Up);
        EXPECT_TRUE(d.EngSpaceBox()->isChecked());
        QTest::keyClick(d.EngSpaceSpin(), Qt::Key_Down);
        Click(d.OkButton());
    });
    Run(Cmd::Reformat);

    EXPECT_EQ(IniValue(QStringLiteral("PARA_ADV_BEGIN_WITH_CHN")), QStringLiteral("1"));
    EXPECT_EQ(IniValue(QStringLiteral("PARA_ADV_CHN_SPACE")), QStringLiteral("2"));
    EXPECT_EQ(IniValue(QStringLiteral("PARA_ADV_CHECK_LINE_LEN")), QStringLiteral("1"));
    EXPECT_EQ(IniValue(QStringLiteral("PARA_ADV_TAIL_SPACE")), QStringLiteral("2"));
    EXPECT_EQ(ParaGetInt(PARA_ADV_ENG_SPACE), 4);
    EXPECT_EQ(ParaGetInt(PARA_ADV_ADD_BLINK_LINE), 1);
    EXPECT_EQ(ParaGetInt(PARA_ADV_BEGIN_WITH_BLINK_LINE), 1);
    EXPECT_EQ(ParaGetInt(PARA_ADV_ADD_CHN_SPACE), 1);

    // Lines joined into two indented paragraphs with an empty line between them.
    EXPECT_EQ(ControlText(), U(u"\x3000\x3000第一段的第一行文字第一段第二行。\r\r"
                               u"\x3000\x3000第二段开始接着写"));
    EXPECT_EQ(Doc()->Buffer()->Encoding(), SourceEncoding::Utf16Le);
}

TEST_F(ReformatUiTest, ReloadShowsTheFileAsStoredWithoutAskingAndKeepsTheTextWhenItIsGone)
{
    const QString path = WriteBook(QStringLiteral("book.txt"), QStringLiteral("第一行\r\n  第二行\r\n"));
    OpenInEditView(path);
    const QString stored = ControlText();

    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.OkButton()); });
    Run(Cmd::Reformat);
    TypeAtStart(QStringLiteral("改"));
    ASSERT_NE(ControlText(), stored);
    ASSERT_TRUE(Doc()->IsModified());

    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.ReloadButton()); });
    Run(Cmd::Reformat);
    ASSERT_NE(EditView(), nullptr);
    EXPECT_EQ(ControlText(), stored);
    EXPECT_EQ(BufferText(), stored);
    EXPECT_EQ(Doc()->Buffer()->Encoding(), SourceEncoding::Utf8);
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_TRUE(m_sink.Messages().isEmpty()); // the edits go without a save question

    // The file is gone: reopening would leave nothing, so the text on screen stays.
    TypeAtStart(QStringLiteral("新"));
    ASSERT_TRUE(QFile::remove(path));
    WhenShown<CSimpleReformatDlg>([](CSimpleReformatDlg& d) { Click(d.ReloadButton()); });
    Run(Cmd::Reformat);
    EXPECT_EQ(m_sink.Last(), QStringLiteral("文件打开失败。"));
    EXPECT_EQ(ControlText(), QStringLiteral("新") + stored);
    EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(ReformatUiTest, RepairMakesAGarbledGbkStretchReadableAgainAndUndoRestoresIt)
{
    // A book whose second line lost the second byte of its first character.
    QByteArray garbled = kChineseGbk + "abc";
    garbled.remove(1, 1);
    const QByteArray bytes = QByteArray("\xD5\xFD\xB3\xA3\xB5\xC4\xD2\xBB\xD0\xD0\xA1\xA3\r\n") + garbled +
                             "\r\n" + QByteArray("\xBA\xF3\xC3\xE6\xD2\xB2\xD5\xFD\xB3\xA3\xA1\xA3\r\n");
    OpenInEditView(WriteBytes(QStringLiteral("garbled.txt"), bytes));
    ASSERT_EQ(Doc()->Buffer()->Encoding(), SourceEncoding::Ansi);
    const QString before = ControlText();
    const QString first = QStringLiteral("正常的一行。\r");
    ASSERT_TRUE(before.startsWith(first));
    // Every byte pairs up wrongly, but each pair is a real character: six of them, then "bc".
    const int start = static_cast<int>(first.size());
    ASSERT_EQ(before.mid(start + 6, 3), QStringLiteral("bc\r"));
    ASSERT_FALSE(before.contains(QChar(0xFFFD)));

    EXPECT_FALSE(Enabled(Cmd::RepairGarbled)); // nothing selected
    Select(start, start + 6);
    Run(Cmd::RepairGarbled);
    // The lost character's remaining byte becomes a space; everything after it reads again.
    EXPECT_EQ(ControlText(), first + QStringLiteral(" 文乱码测试abc\r后面也正常。\r"));
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_TRUE(m_sink.Messages().isEmpty());

    // One undo step takes the whole replacement back.
    Run(Cmd::EditUndo);
    EXPECT_EQ(ControlText(), before);
}

TEST_F(ReformatUiTest, RepairDropsTheFirstLeadByteAfterAsciiAndAnswersPlainAsciiAndNoSelection)
{
    // "ab" and then "中文乱码测试" missing its first byte, then "xyz".
    QByteArray line = "ab" + kChineseGbk + "xyz";
    line.remove(2, 1);
    const QByteArray correct("\xD6\xD0\xCE\xC4\xC2\xD2\xC2\xEB"); // 中文乱码
    OpenInEditView(WriteBytes(QStringLiteral("mixed.txt"), line + "\r\n" + correct + "\r\nplain\r\n"));
    const QString before = ControlText();
    ASSERT_TRUE(before.endsWith(QStringLiteral("yz\r中文乱码\rplain\r")));

    // ASCII first: it stays, the lead byte after it goes, the rest pairs up again.
    Select(0, 8);
    Run(Cmd::RepairGarbled);
    const QString repaired = QStringLiteral("ab文乱码测试xyz\r");
    ASSERT_EQ(ControlText(), repaired + QStringLiteral("中文乱码\rplain\r"));

    // A correct character first: its lead byte becomes a space and the rest shifts by one byte;
    // text after the selection stays as it was.
    const int second = static_cast<int>(repaired.size());
    Select(second, second + 2);
    Run(Cmd::RepairGarbled);
    const QString shifted = QString::fromUtf16(u" 形\xFFFD");
    EXPECT_EQ(ControlText(), repaired + shifted + QStringLiteral("乱码\rplain\r"));
    Run(Cmd::EditUndo);
    EXPECT_EQ(ControlText(), repaired + QStringLiteral("中文乱码\rplain\r"));

    // Plain ASCII: a message and no change.
    const QString unchanged = ControlText();
    const int plain = static_cast<int>(unchanged.indexOf(QStringLiteral("plain")));
    Select(plain, plain + 5);
    Run(Cmd::RepairGarbled);
    EXPECT_EQ(m_sink.Last(), kNotFirst);
    EXPECT_EQ(ControlText(), unchanged);

    // Nothing selected: the command is off, and if it runs anyway it only says what to do.
    Select(3, 3);
    EXPECT_FALSE(Enabled(Cmd::RepairGarbled));
    m_sink.Clear();
    Frame()->RouteCommand(Cmd::RepairGarbled);
    EXPECT_EQ(m_sink.Last(), kNoSelection);
    EXPECT_EQ(ControlText(), unchanged);
}

} // namespace
