// The edit view driven through the real window: switching both ways, the save prompt, saving in the
// book's own encoding, find and replace, paging keys, undo and the command states.
#include "support/files.h"
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/codepage.h"
#include "document/leafturnerdoc.h"
#include "settings/parablock.h"
#include "ui/commandids.h"
#include "views/findreplacedialog.h"
#include "views/leafturnerview.h"
#include "views/myrichedit.h"
#include "views/myricheditview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>

namespace {

const QString kAskSave = QStringLiteral("文件内容已被修改，您想保存吗？");

class EditViewTest : public ReaderTest
{
protected:
    void SetUp() override
    {
        ReaderTest::SetUp();
        // One page at a time, so the page under the mouse is the current one.
        Setting(QStringLiteral("PARA_SHOW_MODE"), QStringLiteral("1"));
        LastFindSettings() = FindSettings();
    }

    // Lines "第N行文字" for N = 1..count, CR LF line ends.
    static QString NumberedText(int count, const QString& eol = QStringLiteral("\r\n"))
    {
        QString text;
        for (int i = 1; i <= count; ++i)
            text += QStringLiteral("第%1行文字").arg(i) + eol;
        return text;
    }

    bool Open(const QString& path) { return m_app->OpenDocumentFile(path); }
    CLeafturnerDoc* Doc() const { return Frame()->Document(); }
    CMyRichEditView* EditView() const
    {
        return Frame() ? qobject_cast<CMyRichEditView*>(Frame()->ActiveViewWidget()) : nullptr;
    }
    CMyRichEdit* Control() const { return EditView() ? EditView()->Edit() : nullptr; }
    QString BufferText() const
    {
        const TextBuffer* buffer = Doc()->Buffer();
        return buffer ? QString(reinterpret_cast<const QChar*>(buffer->Text()), buffer->Length()) : QString();
    }

    // Ctrl+E as the user presses it, on whichever view has the keyboard.
    void PressCtrlE()
    {
        QWidget* target = Control() ? static_cast<QWidget*>(Control()) : ReadingView()->viewport();
        QApplication::setActiveWindow(Frame());
        target->setFocus();
        QTest::keyClick(target, Qt::Key_E, Qt::ControlModifier);
        Flush();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QApplication::setActiveWindow(Frame());
        Control()->setFocus();
        QTest::keyClick(Control(), static_cast<Qt::Key>(key), modifiers);
        Settle();
    }
    // Typed characters, as the keyboard (or an input method's commit) hands them over.
    void Type(const QString& text)
    {
        Control()->setFocus();
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(Control(), &press);
        }
        Settle();
    }
    // Lets queued commands run and replaced views and closed dialogs go.
    void Flush()
    {
        Settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Settle();
    }
    void PutCaret(int offset)
    {
        QTextCursor c = Control()->textCursor();
        c.setPosition(offset);
        Control()->setTextCursor(c);
    }
    bool Enabled(int id)
    {
        Frame()->UpdateCommandUI();
        return Frame()->Action(id)->isEnabled();
    }
    // Opens `path` and switches to the edit view.
    void OpenInEditView(const QString& path)
    {
        ASSERT_TRUE(Start({path}));
        ASSERT_NE(ReadingView(), nullptr);
        PressCtrlE();
        ASSERT_NE(EditView(), nullptr);
    }
};

TEST_F(EditViewTest, SwitchOnPage50KeepsThePlaceBothWays)
{
    ASSERT_TRUE(Start({WriteBook(QStringLiteral("book.txt"), NumberedText(4000))}));
    CLeafturnerView* reading = ReadingView();
    ASSERT_NE(reading, nullptr);
    ASSERT_GT(reading->PageCount(), 60);
    reading->ShowPage(49);
    const std::int32_t pageStart = Doc()->Buffer()->PageStart(49);
    ASSERT_GT(pageStart, 0);

    PressCtrlE();
    CMyRichEditView* edit = EditView();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_VIEW_MODE")), QStringLiteral("1"));
    EXPECT_TRUE(Frame()->Action(Cmd::EditMode)->isChecked());
    EXPECT_EQ(edit->OffsetUnderMouse(), pageStart);
    EXPECT_EQ(Control()->textCursor().position(), pageStart);
    EXPECT_FALSE(Control()->isReadOnly());
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_FALSE(Enabled(Cmd::EditUndo)); // the history starts empty
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d\\d%$"))
                    .match(Frame()->findChild<QLabel*>(QStringLiteral("StatusIndicator"))->text())
                    .hasMatch());

    // Scroll on a little: the reading view opens at the page holding the new first line.
    edit->GoToScrollToLine(edit->FirstVisibleLine() + 40);
    const std::int32_t top = edit->OffsetUnderMouse();
    PressCtrlE();
    EXPECT_TRUE(m_sink.Messages().isEmpty()); // nothing changed, nothing asked
    reading = ReadingView();
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(reading->CurrentPage(), Doc()->Buffer()->PageOf(top));
    EXPECT_EQ(IniValue(QStringLiteral("PARA_VIEW_MODE")), QStringLiteral("0"));
    // The edit view, on leaving, left its place as the last position.
    EXPECT_EQ(StoredValue(QStringLiteral("PARA_LAST_POS"), QString::number(top)), QString::number(top));
}

TEST_F(EditViewTest, AnsweringNoDiscardsTheEditsAndCancelKeepsThem)
{
    const QByteArray original = NumberedText(30).toUtf8();
    const QString path = WriteBytes(QStringLiteral("book.txt"), original);
    OpenInEditView(path);
    const QString before = BufferText();
    PutCaret(0);
    Type(QStringLiteral("XYZ"));
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_TRUE(Enabled(Cmd::FileSave));

    m_sink.QueueAnswer(MsgAnswer::Cancel);
    PressCtrlE();
    ASSERT_NE(EditView(), nullptr);
    EXPECT_EQ(m_sink.Last(), kAskSave);
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_TRUE(Control()->toPlainText().startsWith(QStringLiteral("XYZ第1行")));

    m_sink.QueueAnswer(MsgAnswer::No);
    PressCtrlE();
    ASSERT_NE(ReadingView(), nullptr);
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_EQ(BufferText(), before);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_FALSE(Enabled(Cmd::FileSave)); // nothing in the reading view is ever modified

    // Back in the edit view the old text is there again.
    PressCtrlE();
    ASSERT_NE(EditView(), nullptr);
    EXPECT_TRUE(Control()->toPlainText().startsWith(QStringLiteral("第1行")));
}

TEST_F(EditViewTest, AnsweringYesWritesTheBookInItsOwnEncoding)
{
    struct Case
    {
        const char* name;
        QByteArray (*encode)(const QString&);
    };
    const Case cases[] = {
        {"utf16.txt", [](const QString& t) { return Utf16LeWithMark(t); }},
        {"gbk.txt", [](const QString& t) { return CodePage::QStringToAnsi(t); }},
        {"utf8bom.txt", [](const QString& t) { return QByteArray(QByteArray("\xEF\xBB\xBF") + t.toUtf8()); }},
    };
    bool started = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = QStringLiteral("第一章　开始\r\n　　他说：“你好。”\r\n第二章　结束\r\n");
        const QString path = WriteBytes(QString::fromLatin1(c.name), c.encode(text));
        if (!started) {
            ASSERT_TRUE(Start({path}));
            started = true;
        } else {
            if (!ReadingView())
                PressCtrlE();
            ASSERT_TRUE(Open(path));
        }
        PressCtrlE();
        ASSERT_NE(EditView(), nullptr);
        PutCaret(static_cast<int>(text.indexOf(u'\n')) - 1); // end of the first line
        Type(QStringLiteral("啊"));
        m_sink.QueueAnswer(MsgAnswer::Yes);
        PressCtrlE();
        ASSERT_NE(ReadingView(), nullptr);
        const QString expected = QStringLiteral("第一章　开始啊\r\n　　他说：“你好。”\r\n第二章　结束\r\n");
        EXPECT_EQ(ReadBytes(path), c.encode(expected));
        QString shown = expected;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
        EXPECT_EQ(BufferText(), shown);
        EXPECT_FALSE(Doc()->IsModified());
    }
}

TEST_F(EditViewTest, NoSequenceOfEditsSwitchesAndSavesLosesWhatWasSaved)
{
    // No-break spaces, tabs and a lone surrogate-free astral character survive as they are.
    const QString text = QStringLiteral("a\u00A0b\tc \U0001F600\r\n第二行\r\n\r\n末行");
    const QString path = WriteBytes(QStringLiteral("book.txt"), Utf16LeWithMark(text));
    OpenInEditView(path);

    PutCaret(0);
    Type(QStringLiteral("A"));
    Frame()->UpdateCommandUI();          // as the frame's timer does
    Key(Qt::Key_S, Qt::ControlModifier); // save
    QString expected = QStringLiteral("A") + text;
    EXPECT_EQ(ReadBytes(path), Utf16LeWithMark(expected));
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_FALSE(Enabled(Cmd::FileSave));

    Type(QStringLiteral("B")); // discarded below
    m_sink.QueueAnswer(MsgAnswer::No);
    PressCtrlE();
    ASSERT_NE(ReadingView(), nullptr);
    EXPECT_EQ(ReadBytes(path), Utf16LeWithMark(expected));

    PressCtrlE();
    ASSERT_NE(EditView(), nullptr);
    PutCaret(Control()->TextLength());
    Type(QStringLiteral("C"));
    m_sink.QueueAnswer(MsgAnswer::Yes);
    PressCtrlE();
    ASSERT_NE(ReadingView(), nullptr);
    expected += QStringLiteral("C");
    EXPECT_EQ(ReadBytes(path), Utf16LeWithMark(expected));

    // Reopened, the book reads back as saved.
    ASSERT_TRUE(Open(path));
    QString shown = expected;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    EXPECT_EQ(BufferText(), shown);
}

TEST_F(EditViewTest, FindFromTheMiddleWrapsOnceThenBeeps)
{
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines << (i == 10 || i == 90 ? QStringLiteral("xx abc yy") : QStringLiteral("line %1").arg(i));
    OpenInEditView(WriteBook(QStringLiteral("book.txt"), lines.join(u'\n')));
    const QString shown = Control()->toPlainText();
    const int first = static_cast<int>(shown.indexOf(QStringLiteral("abc")));
    const int second = static_cast<int>(shown.lastIndexOf(QStringLiteral("abc")));
    PutCaret(static_cast<int>(shown.indexOf(QStringLiteral("line 50"))));

    Frame()->RouteCommand(Cmd::EditFind);
    Settle();
    FindReplaceDialog* dialog = EditView()->FindDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->IsReplaceDialog());
    dialog->FindEdit()->setText(QStringLiteral("abc"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("findNext")), Qt::LeftButton);
    Settle();
    EXPECT_EQ(Control()->textCursor().selectionStart(), second);
    EXPECT_EQ(Control()->textCursor().selectedText(), QStringLiteral("abc"));

    Key(Qt::Key_F3); // wraps to the top, once
    EXPECT_EQ(Control()->textCursor().selectionStart(), first);
    EXPECT_EQ(EditView()->BeepCount(), 0);

    Key(Qt::Key_F3); // back at the starting point: nothing more
    EXPECT_EQ(EditView()->BeepCount(), 1);
    EXPECT_EQ(Control()->textCursor().selectionStart(), first);

    // The next search starts afresh from the hit and goes on downward.
    Key(Qt::Key_F3);
    EXPECT_EQ(Control()->textCursor().selectionStart(), second);

    // Upward, from the second hit: the first one, then around from the end back to the start.
    dialog->UpButton()->setChecked(true);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("findNext")), Qt::LeftButton);
    EXPECT_EQ(Control()->textCursor().selectionStart(), first);

    // Whole word and match case.
    dialog->FindEdit()->setText(QStringLiteral("ABC"));
    dialog->MatchCaseBox()->setChecked(true);
    const int beeps = EditView()->BeepCount();
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("findNext")), Qt::LeftButton);
    EXPECT_EQ(EditView()->BeepCount(), beeps + 1);
}

TEST_F(EditViewTest, FindDialogTakesTheSelectionAndReplaceClosesIt)
{
    OpenInEditView(WriteBook(QStringLiteral("book.txt"), QStringLiteral("one two\nthree two\nfour")));
    QTextCursor c = Control()->textCursor();
    c.setPosition(4);
    c.setPosition(7, QTextCursor::KeepAnchor);
    Control()->setTextCursor(c);
    Frame()->RouteCommand(Cmd::EditFind);
    Settle();
    QPointer<FindReplaceDialog> find = EditView()->FindDialog();
    ASSERT_TRUE(find);
    EXPECT_EQ(find->FindEdit()->text(), QStringLiteral("two"));
    Frame()->RouteCommand(Cmd::EditReplace);
    Flush();
    EXPECT_TRUE(find.isNull()); // closed and gone
    ASSERT_NE(EditView()->FindDialog(), nullptr);
    EXPECT_TRUE(EditView()->FindDialog()->IsReplaceDialog());

    // A selection across lines is not taken as search text.
    c.setPosition(0);
    c.setPosition(12, QTextCursor::KeepAnchor);
    Control()->setTextCursor(c);
    EditView()->FindDialog()->close();
    Flush();
    Frame()->RouteCommand(Cmd::EditFind);
    Settle();
    EXPECT_EQ(EditView()->FindDialog()->FindEdit()->text(), QStringLiteral("two"));
}

TEST_F(EditViewTest, ReplaceAndReplaceAllAreUndoable)
{
    OpenInEditView(WriteBook(QStringLiteral("book.txt"), QStringLiteral("cat Cat\ncat dog cat\ncatalog")));
    PutCaret(8); // start of the second line
    Frame()->RouteCommand(Cmd::EditReplace);
    Settle();
    FindReplaceDialog* dialog = EditView()->FindDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->FindEdit()->setText(QStringLiteral("cat"));
    dialog->ReplaceEdit()->setText(QStringLiteral("ox"));
    dialog->MatchCaseBox()->setChecked(true);
    dialog->WholeWordBox()->setChecked(true);

    QPushButton* replace = dialog->findChild<QPushButton*>(QStringLiteral("replace"));
    QTest::mouseClick(replace, Qt::LeftButton); // selects the first match after the caret
    EXPECT_EQ(Control()->textCursor().selectionStart(), 8);
    QTest::mouseClick(replace, Qt::LeftButton); // replaces it and finds the next
    EXPECT_EQ(Control()->toPlainText(), QStringLiteral("cat Cat\nox dog cat\ncatalog"));
    EXPECT_EQ(Control()->textCursor().selectedText(), QStringLiteral("cat"));

    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("replaceAll")), Qt::LeftButton);
    Settle();
    // Whole words with the case matched: "Cat" and "catalog" stay; the rest wrapped around.
    EXPECT_EQ(Control()->toPlainText(), QStringLiteral("ox Cat\nox dog ox\ncatalog"));
    EXPECT_TRUE(Doc()->IsModified());

    Key(Qt::Key_Z, Qt::ControlModifier); // one step undoes the whole replace-all
    EXPECT_EQ(Control()->toPlainText(), QStringLiteral("cat Cat\nox dog cat\ncatalog"));

    // A replacement holding the search text does not run forever.
    dialog->FindEdit()->setText(QStringLiteral("o"));
    dialog->ReplaceEdit()->setText(QStringLiteral("oo"));
    dialog->MatchCaseBox()->setChecked(false);
    dialog->WholeWordBox()->setChecked(false);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("replaceAll")), Qt::LeftButton);
    EXPECT_EQ(Control()->toPlainText(), QStringLiteral("cat Cat\noox doog cat\ncataloog"));
}

TEST_F(EditViewTest, SpacePagesShiftSpaceTypesAndUndoRedo)
{
    OpenInEditView(WriteBook(QStringLiteral("book.txt"), NumberedText(400, QStringLiteral("\n"))));
    CMyRichEditView* edit = EditView();
    const int perPage = Control()->LinesPerPage();
    ASSERT_GT(perPage, 2);
    EXPECT_EQ(edit->FirstVisibleLine(), 0);

    Key(Qt::Key_Space);
    EXPECT_EQ(edit->FirstVisibleLine(), perPage);
    EXPECT_EQ(Control()->textCursor().position(), edit->OffsetUnderMouse());
    EXPECT_FALSE(Doc()->IsModified());
    Key(Qt::Key_PageDown);
    EXPECT_EQ(edit->FirstVisibleLine(), 2 * perPage);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(edit->FirstVisibleLine(), perPage);
    // The view's own scroll bar follows.
    EXPECT_EQ(edit->verticalScrollBar()->value(), perPage);
    EXPECT_EQ(edit->verticalScrollBar()->maximum(), edit->LineCount() - 1);

    const QString before = Control()->toPlainText();
    const int caret = Control()->textCursor().position();
    Key(Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(Control()->toPlainText(), before.left(caret) + u' ' + before.mid(caret));
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_TRUE(Enabled(Cmd::EditUndo));

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Control()->toPlainText(), before);
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_TRUE(Enabled(Cmd::EditRedo));
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Control()->toPlainText(), before.left(caret) + u' ' + before.mid(caret));

    // The wheel: a line per notch on top of the control's own scrolling; with Ctrl nothing.
    const int line = edit->FirstVisibleLine();
    auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
        QWidget* vp = Control()->viewport();
        const QPointF pos(vp->width() / 2.0, vp->height() / 2.0);
        QWheelEvent event(pos, vp->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(vp, &event);
        Settle();
    };
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(edit->FirstVisibleLine(), line);
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(edit->FirstVisibleLine(), line + 1 + QApplication::wheelScrollLines());
}

TEST_F(EditViewTest, CommandStatesFollowTheSelectionAndTheText)
{
    ASSERT_TRUE(Start({WriteBook(QStringLiteral("book.txt"), QStringLiteral("alpha\nbeta"))}));
    EXPECT_FALSE(Enabled(Cmd::FileSave));
    EXPECT_TRUE(Enabled(Cmd::EditFind)); // in the reading view it opens the search pane
    PressCtrlE();
    ASSERT_NE(EditView(), nullptr);
    EXPECT_FALSE(Enabled(Cmd::EditCut));
    EXPECT_FALSE(Enabled(Cmd::EditCopy));
    EXPECT_FALSE(Enabled(Cmd::EditClear));
    EXPECT_TRUE(Enabled(Cmd::EditFind));
    EXPECT_TRUE(Enabled(Cmd::EditReplace));
    EXPECT_FALSE(Enabled(Cmd::EditRepeat)); // no search text yet
    EXPECT_TRUE(Enabled(Cmd::GoToPage));
    EXPECT_TRUE(Enabled(Cmd::AddBookmark));
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(Enabled(Cmd::EditCut));
    EXPECT_TRUE(Enabled(Cmd::EditCopy));
    Frame()->RouteCommand(Cmd::EditClear);
    EXPECT_EQ(Control()->toPlainText(), QStringLiteral("lpha\nbeta"));

    // Positions for the chapter pane are percentages of the lines.
    const QRegularExpression percent(QStringLiteral("^\\d+\\.\\d\\d%$"));
    EXPECT_TRUE(percent.match(EditView()->FormatPositionLabel(0)).hasMatch());
    EXPECT_EQ(EditView()->FormatPositionLabel(0), QStringLiteral("0.00%"));
    EXPECT_EQ(EditView()->FormatPositionLabel(6), QStringLiteral("50.00%"));

    // Every text removed: find is off, the control stays writable.
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(Control()->toPlainText().isEmpty());
    EXPECT_FALSE(Enabled(Cmd::EditFind));
    EXPECT_FALSE(Control()->isReadOnly());
}

TEST_F(EditViewTest, StartsInTheEditViewAtTheLastPosition)
{
    const QString path = WriteBook(QStringLiteral("book.txt"), NumberedText(3000));
    Setting(QStringLiteral("PARA_VIEW_MODE"), QStringLiteral("1"));
    Setting(QStringLiteral("PARA_SAVE_RST"), QStringLiteral("1"));
    Setting(QStringLiteral("PARA_LAST_PATH"), path);
    // The start of line 2001 (each line "第N行文字" plus CR).
    std::int32_t offset = 0;
    const QString text = NumberedText(2000, QStringLiteral("\r"));
    offset = static_cast<std::int32_t>(text.size());
    Setting(QStringLiteral("PARA_LAST_POS"), QString::number(offset));
    ASSERT_TRUE(Start());
    ASSERT_NE(EditView(), nullptr);
    EXPECT_FALSE(Control()->isReadOnly());
    EXPECT_EQ(EditView()->OffsetUnderMouse(), offset);
    const int caret = Control()->textCursor().position();
    EXPECT_TRUE(Control()->document()->toRawText().mid(caret).startsWith(QStringLiteral("第2001行")));
}

TEST_F(EditViewTest, WithoutABookTheEditViewIsReadOnly)
{
    Setting(QStringLiteral("PARA_VIEW_MODE"), QStringLiteral("1"));
    Setting(QStringLiteral("PARA_LAST_POS"), QStringLiteral("1234"));
    ASSERT_TRUE(Start());
    ASSERT_NE(EditView(), nullptr);
    EXPECT_TRUE(Control()->isReadOnly());
    EXPECT_FALSE(Enabled(Cmd::EditFind));
    EXPECT_FALSE(Enabled(Cmd::GoToPage));
    Key(Qt::Key_A);
    EXPECT_TRUE(Control()->toPlainText().isEmpty());
    // Leaving an empty edit view keeps the stored position.
    PressCtrlE();
    ASSERT_NE(ReadingView(), nullptr);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_POS")), QStringLiteral("1234"));
}

} // namespace

TEST_F(EditViewTest, TripleClickSelectsTheLineClickedWhereLinesShareABlock)
{
    OpenInEditView(WriteBook(QStringLiteral("book.txt"), NumberedText(5)));
    const QString text = BufferText();
    for (const int line : {0, 2, 4}) {
        SCOPED_TRACE(line);
        const int start = Control()->ControlPosition(Control()->OffsetOfLine(line));
        QTextCursor at = Control()->textCursor();
        at.setPosition(start + 2);
        const QPoint point = Control()->cursorRect(at).center();
        QTest::mouseDClick(Control()->viewport(), Qt::LeftButton, Qt::NoModifier, point);
        QTest::mouseClick(Control()->viewport(), Qt::LeftButton, Qt::NoModifier, point);
        const int end = static_cast<int>(text.indexOf(u'\r', start)) + 1;
        EXPECT_EQ(Control()->SelectedTextWithCrs(Control()->textCursor()), text.mid(start, end - start));
    }
}
