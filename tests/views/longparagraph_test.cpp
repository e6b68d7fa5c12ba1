// A book that is one long paragraph through the real window: the control holds it in pieces, and every
// edit, copy, find and save sees the book's text with no line break added.
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "document/textbuffer.h"
#include "ui/commandids.h"
#include "views/myrichedit.h"
#include "views/myricheditview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <functional>

namespace {

// 30,000 characters without a line break: punctuation now and then, and a character outside the BMP
// where a piece would end if cuts ignored surrogate pairs.
QString OneParagraph()
{
    QString text;
    for (int i = 0; text.size() < 30'000; ++i) {
        text += QStringLiteral("天地玄黄宇宙洪荒日月盈昃辰宿列张");
        if (i % 997 == 0)
            text += QStringLiteral("。");
    }
    text.truncate(30'000);
    text.replace(4095, 2, QString::fromUcs4(U"\U00020000", 1));
    return text;
}

class LongParagraphTest : public ReaderTest
{
public:
    void SetUp() override
    {
        ReaderTest::SetUp();
        Setting(QStringLiteral("PARA_VIEW_MODE"), QStringLiteral("1"));
    }
    CMyRichEditView* View() const { return qobject_cast<CMyRichEditView*>(Frame()->ActiveViewWidget()); }
    CMyRichEdit* Control() const { return View() ? View()->Edit() : nullptr; }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(Control(), &press);
        Settle();
    }
    void CaretAt(int position)
    {
        QTextCursor c = Control()->textCursor();
        c.setPosition(position);
        Control()->setTextCursor(c);
    }
    void Run(int id)
    {
        Frame()->UpdateCommandUI();
        ASSERT_TRUE(Frame()->Action(id)->isEnabled());
        Frame()->Action(id)->trigger();
        Settle();
    }
    int Cut(std::size_t i) const { return Control()->DisplayCutPositions().at(i); }
};

} // namespace

TEST_F(LongParagraphTest, TypingAtTheEndUndoAndSaveGiveTheBookPlusTheKey)
{
    const QString text = OneParagraph();
    const QString path = WriteBook(QStringLiteral("one.txt"), text);
    ASSERT_TRUE(Start({path}));
    ASSERT_NE(Control(), nullptr);
    // Held in pieces no longer than a display piece, none split inside a surrogate pair.
    ASSERT_GT(Control()->document()->blockCount(), 7);
    for (QTextBlock b = Control()->document()->begin(); b.isValid(); b = b.next()) {
        EXPECT_LE(b.length() - 1, 4096);
        ASSERT_FALSE(b.text().isEmpty());
        EXPECT_FALSE(b.text().front().isLowSurrogate());
    }
    EXPECT_EQ(Control()->TextWithCrs(), text);

    Control()->setFocus();
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_unknown, Qt::NoModifier, QStringLiteral("啊"));
    // Enter in the middle makes a real break; undo takes it back and keeps the key typed at the end.
    CaretAt(Cut(0) + 100);
    Key(Qt::Key_Return);
    EXPECT_EQ(Control()->TextWithCrs().count(u'\r'), 1);
    Run(Cmd::EditUndo);
    Run(Cmd::FileSave);
    EXPECT_EQ(ReadBytes(path), (text + QStringLiteral("啊")).toUtf8());
    EXPECT_FALSE(Frame()->Document()->IsModified());

    // Nothing typed: the save writes the same bytes, no break where the pieces meet.
    View()->SetTextModified(true);
    Run(Cmd::FileSave);
    EXPECT_EQ(ReadBytes(path), (text + QStringLiteral("啊")).toUtf8());
}

TEST_F(LongParagraphTest, EditsNextToADisplayCutChangeTheBookAsTheyShow)
{
    const QString text = OneParagraph();
    struct Case
    {
        const char* name;
        std::function<void(LongParagraphTest&, int cut)> act;
        std::function<QString(int at)> expected; // `at`: book offset of the cut
    };
    const Case cases[] = {
        {"Backspace after the cut takes the character before it",
         [](LongParagraphTest& t, int cut) { t.CaretAt(cut + 1), t.Key(Qt::Key_Backspace); },
         [&](int at) { return QString(text).remove(at - 1, 1); }},
        {"Delete before the cut takes the character after it",
         [](LongParagraphTest& t, int cut) { t.CaretAt(cut), t.Key(Qt::Key_Delete); },
         [&](int at) { return QString(text).remove(at, 1); }},
        {"Enter at the cut is a line break",
         [](LongParagraphTest& t, int cut) { t.CaretAt(cut + 1), t.Key(Qt::Key_Enter); },
         [&](int at) { return QString(text).insert(at, u'\r'); }},
        {"a selection across the cut typed over",
         [](LongParagraphTest& t, int cut) {
             QTextCursor c = t.Control()->textCursor();
             c.setPosition(cut - 2);
             c.setPosition(cut + 3, QTextCursor::KeepAnchor);
             t.Control()->setTextCursor(c);
             t.Key(Qt::Key_unknown, Qt::NoModifier, QStringLiteral("x"));
         },
         [&](int at) { return QString(text).replace(at - 2, 4, QStringLiteral("x")); }},
        {"a long paragraph pasted is cut too and stays one paragraph",
         [&](LongParagraphTest& t, int cut) {
             t.CaretAt(cut + 1);
             const int blocks = t.Control()->document()->blockCount();
             QApplication::clipboard()->setText(text.left(9000));
             t.Control()->paste();
             EXPECT_GE(t.Control()->document()->blockCount(), blocks + 2);
         },
         [&](int at) { return QString(text).insert(at, text.left(9000)); }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A file of its own per case: opening the book already open keeps it as it is.
        const QString path = WriteBook(QStringLiteral("cut-%1.txt").arg(++n), text);
        ASSERT_TRUE(m_app ? m_app->OpenDocumentFile(path) : Start({path}));
        ASSERT_NE(Control(), nullptr);
        Control()->setFocus();
        // The first cut lies before a surrogate pair: Delete there takes both units.
        const int cut = Cut(1);
        const int at = Control()->BookOffset(cut);
        c.act(*this, cut);
        EXPECT_TRUE(Control()->TextWithCrs() == c.expected(at));
        Run(Cmd::FileSave);
        QString expected = c.expected(at);
        expected.replace(u'\r', QStringLiteral("\r\n"));
        EXPECT_TRUE(ReadBytes(path) == expected.toUtf8());
    }
}

TEST_F(LongParagraphTest, OffsetsCopyAndFindSeeTheBookNotThePieces)
{
    const QString text = OneParagraph();
    ASSERT_TRUE(Start({WriteBook(QStringLiteral("find.txt"), text)}));
    ASSERT_NE(Control(), nullptr);
    CMyRichEdit* edit = Control();
    const int cut = Cut(0);
    const int at = edit->BookOffset(cut);
    // Every book offset names the same character in the control, and back.
    for (int offset : {0, at - 1, at, at + 1, at + 5000, static_cast<int>(text.size()) - 1}) {
        const int position = edit->ControlPosition(offset);
        EXPECT_EQ(edit->BookOffset(position), offset);
        EXPECT_EQ(edit->document()->characterAt(position), text.at(offset)) << offset;
    }
    // A selection across the cut copies without a line break.
    QTextCursor c = edit->textCursor();
    c.setPosition(cut - 3);
    c.setPosition(cut + 4, QTextCursor::KeepAnchor);
    edit->setTextCursor(c);
    edit->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), text.mid(at - 3, 6));

    // Find matches the text lying across the cut, forward and backward.
    const QString across = text.mid(at - 2, 4);
    for (const bool backward : {false, true}) {
        SCOPED_TRACE(backward ? "backward" : "forward");
        const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
        int hits = 0;
        bool found = false;
        for (int from = backward ? edit->TextLength() : 0;;) {
            const QTextCursor hit = edit->Find(across, from, flags | QTextDocument::FindCaseSensitively);
            if (hit.isNull())
                break;
            EXPECT_EQ(edit->SelectedTextWithCrs(hit), across);
            found = found || (hit.selectionStart() < cut && hit.selectionEnd() > cut);
            from = backward ? hit.selectionStart() : hit.selectionEnd();
            ++hits;
        }
        EXPECT_EQ(hits, text.count(across));
        EXPECT_TRUE(found);
    }
}

TEST_F(LongParagraphTest, FindFarAwaySeesLineEndsCutsWordsCaseAndNoBreakSpaces)
{
    // Short lines (which share blocks), a paragraph cut for display, and short lines again, searched
    // from either end.
    QString text;
    const auto lines = [&text](int from, int to) {
        for (int i = from; i < to; ++i)
            text += QStringLiteral("第%1行\r").arg(i);
    };
    lines(0, 25'000);
    std::uint32_t seed = 7;
    for (int i = 0; i < 30'000; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += QChar(static_cast<char16_t>(0x5000 + (seed >> 16) % 0x800));
    }
    text += u'\r';
    lines(25'000, 50'000);
    text += QStringLiteral("末行甲\r乙行 xaby ab ABC\u00A0d\r");
    lines(50'000, 50'010);
    ASSERT_TRUE(Start({WriteBook(QStringLiteral("far.txt"), text)}));
    ASSERT_NE(Control(), nullptr);
    CMyRichEdit* edit = Control();
    ASSERT_FALSE(edit->DisplayCutPositions().empty());
    const int at = edit->BookOffset(edit->DisplayCutPositions().back());
    const QString across = text.mid(at - 3, 6);
    const int end = static_cast<int>(text.size());

    struct Case
    {
        QString what;
        int from; // book offset
        QTextDocument::FindFlags flags;
        int expected; // book offset of the match, -1 for none
    };
    const QTextDocument::FindFlags none;
    const Case cases[] = {
        {QStringLiteral("甲乙"), 0, none, -1}, // not across a line end
        {across, 0, none, at - 3},
        {across, end, QTextDocument::FindBackward, at - 3},
        {QStringLiteral("ab"), 0, QTextDocument::FindWholeWords, static_cast<int>(text.indexOf(" ab ")) + 1},
        {QStringLiteral("abc"), 0, none, static_cast<int>(text.indexOf("ABC"))},
        {QStringLiteral("abc"), 0, QTextDocument::FindCaseSensitively, -1},
        {QStringLiteral("C d"), 0, QTextDocument::FindCaseSensitively,
         static_cast<int>(text.indexOf("C\u00A0d"))},
        {QStringLiteral("第1行"), end, QTextDocument::FindBackward, 4},
        {QStringLiteral("乙"), end, QTextDocument::FindBackward, static_cast<int>(text.indexOf(u'乙'))},
        {QStringLiteral("第50009行"), 0, none, static_cast<int>(text.indexOf(QStringLiteral("第50009行")))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        const QTextCursor hit = edit->Find(c.what, edit->ControlPosition(c.from), c.flags);
        if (c.expected < 0) {
            EXPECT_TRUE(hit.isNull());
            continue;
        }
        ASSERT_FALSE(hit.isNull());
        EXPECT_EQ(edit->BookOffset(hit.selectionStart()), c.expected);
        EXPECT_EQ(edit->SelectedTextWithCrs(hit), text.mid(c.expected, c.what.size()));
    }
}
