// Saving from the edit view through the real window: Save As moves the document to the new file, a
// save that changes the file's encoding asks first, and characters the control would turn into line
// breaks come back unchanged.
#include "support/files.h"
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/codepage.h"
#include "document/leafturnerdoc.h"
#include "ui/commandids.h"
#include "views/myrichedit.h"
#include "views/myricheditview.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <iterator>

namespace {

class EditSaveTest : public ReaderTest
{
protected:
    void SetUp() override
    {
        ReaderTest::SetUp();
        Setting(QStringLiteral("PARA_VIEW_MODE"), QStringLiteral("1"));
    }
    CLeafturnerDoc* Doc() const { return Frame()->Document(); }
    CMyRichEdit* Control() const
    {
        auto* view = Frame() ? qobject_cast<CMyRichEditView*>(Frame()->ActiveViewWidget()) : nullptr;
        return view ? view->Edit() : nullptr;
    }
    void TypeAtStart(const QString& text)
    {
        QTextCursor c = Control()->textCursor();
        c.setPosition(0);
        Control()->setTextCursor(c);
        Control()->setFocus();
        for (const QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(Control(), &press);
        }
        Settle();
    }
    void Run(int id)
    {
        Frame()->UpdateCommandUI();
        ASSERT_TRUE(Frame()->Action(id)->isEnabled());
        Frame()->Action(id)->trigger();
        Settle();
    }
};

} // namespace

TEST_F(EditSaveTest, SaveAsMakesTheDocumentTheNewFileForReloadRecentFilesAndTheNextStart)
{
    const QString first = WriteBook(QStringLiteral("first.txt"), QStringLiteral("第一行\r\n"));
    const QString second = m_dir.filePath(QStringLiteral("second.txt"));
    ASSERT_TRUE(Start({first}));
    ASSERT_NE(Control(), nullptr);
    TypeAtStart(QStringLiteral("新"));
    AcceptNextFileDialog(second);
    Run(Cmd::FileSaveAs);
    EXPECT_EQ(ReadBytes(second), QStringLiteral("新第一行\r\n").toUtf8());
    EXPECT_EQ(ReadBytes(first), QStringLiteral("第一行\r\n").toUtf8());
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_EQ(Doc()->PathName(), second);
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner - second.txt"));
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_PATH")), second);
    ASSERT_FALSE(m_app->RecentFiles().isEmpty());
    EXPECT_EQ(m_app->RecentFiles().constFirst(), second);
    Stop();

    ASSERT_TRUE(Start());
    EXPECT_EQ(Doc()->PathName(), second);
    EXPECT_EQ(m_app->RecentFiles().constFirst(), second);
}

TEST_F(EditSaveTest, ASaveThatChangesTheEncodingAsksFirst)
{
    struct Case
    {
        const char* name;
        QString typed;
        bool asks;
        QByteArray (*expected)(const QString& text);
    };
    const Case cases[] = {
        {"the code page holds it", QStringLiteral("啊"), false,
         [](const QString& t) { return CodePage::QStringToAnsi(t); }},
        {"the code page lacks it", QStringLiteral("한"), true,
         [](const QString& t) { return Utf16LeWithMark(t); }},
    };
    const QString text = QStringLiteral("第一章\r\n");
    bool started = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A book of its own per case: choosing the book already open keeps it as it is.
        const QString path = WriteBytes(c.asks ? QStringLiteral("gbk-asks.txt") : QStringLiteral("gbk.txt"),
                                        CodePage::QStringToAnsi(text));
        if (!started) {
            ASSERT_TRUE(Start({path}));
            started = true;
        } else {
            ASSERT_TRUE(m_app->OpenDocumentFile(path));
        }
        ASSERT_NE(Control(), nullptr);
        TypeAtStart(c.typed);
        m_sink.Clear();
        if (c.asks)
            m_sink.QueueAnswer(MsgAnswer::Cancel);
        Run(Cmd::FileSave);
        if (c.asks) {
            ASSERT_EQ(m_sink.Messages().size(), 1);
            EXPECT_TRUE(m_sink.Last().contains(QStringLiteral("ANSI")));
            EXPECT_TRUE(m_sink.Last().contains(QStringLiteral("UTF-16LE")));
            EXPECT_EQ(ReadBytes(path), CodePage::QStringToAnsi(text));
            EXPECT_TRUE(Doc()->IsModified());
            // OK writes; the file now is UTF-16LE, so the next save asks nothing.
            m_sink.QueueAnswer(MsgAnswer::Ok);
            Run(Cmd::FileSave);
            EXPECT_EQ(m_sink.Messages().size(), 2);
            TypeAtStart(c.typed);
            Run(Cmd::FileSave);
            EXPECT_EQ(m_sink.Messages().size(), 2);
            EXPECT_EQ(ReadBytes(path), c.expected(c.typed + c.typed + text));
        } else {
            EXPECT_TRUE(m_sink.Messages().isEmpty());
            EXPECT_EQ(ReadBytes(path), c.expected(c.typed + text));
        }
        EXPECT_FALSE(Doc()->IsModified());
    }
}

TEST_F(EditSaveTest, CharactersTheControlWouldBreakLinesAtComeBackUnchanged)
{
    // U+FDD2 is there too: what stands in for the others must not be taken from the text. A line
    // separator and a NUL stay what they are in the control anyway.
    const char16_t units[] = u"甲\x2029乙\xFDD0丙\xFDD1丁\xFDD2戊\x2028己\0庚\r\n第二行\r\n";
    const QString text = QString::fromUtf16(units, std::size(units) - 1);
    const QString path = WriteBook(QStringLiteral("marks.txt"), text);
    ASSERT_TRUE(Start({path}));
    ASSERT_NE(Control(), nullptr);
    EXPECT_EQ(Control()->LineCount(), 3);
    EXPECT_EQ(Control()->TextLength(), Doc()->Buffer()->Length());
    EXPECT_EQ(Control()->OffsetOfLine(1), text.indexOf(u'\r') + 1);
    TypeAtStart(QStringLiteral("啊"));
    Run(Cmd::FileSave);
    EXPECT_EQ(ReadBytes(path), (QStringLiteral("啊") + text).toUtf8());
}
