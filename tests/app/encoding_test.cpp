// Reopening a book in another encoding through the real window, and the status-bar pane naming it.
#include "support/readerfixture.h"

#include "app/encodingmenu.h"
#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "document/textbuffer.h"
#include "document/codepage.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace {

QByteArray InCodePage(const QString& text, const char* codePage)
{
    return CodePage::Utf16ToLegacy(QString::fromLatin1(codePage),
                                   reinterpret_cast<const char16_t*>(text.constData()),
                                   static_cast<std::size_t>(text.size()));
}

const QString kBig5Text = QString::fromUtf16(
    u"天色將晚的時候，他才從山上走下來。路邊的小店已經點起了燈，老闆娘站在門口，看著遠處的河水，"
    u"好像在等什麼人。\r\n他走進店裡，要了一碗麵，坐在靠窗的地方慢慢地吃。窗外的風很大，吹得樹葉沙沙作響。"
    u"他想起小時候，母親也是這樣站在門口等他回家。那時候家裡很窮，可是每到過年，母親總會做一桌好菜。\r\n");

QAction* ChoiceAction(CMainFrame* frame, const QString& name)
{
    for (QAction* a : frame->Encodings()->Menu()->actions())
        if (a->data().toString() == name)
            return a;
    return nullptr;
}

QString Pane(CMainFrame* frame)
{
    return frame->findChild<QLabel*>(QStringLiteral("EncodingPane"))->text();
}

} // namespace

TEST_F(ReaderTest, ReopenWithAnotherEncodingIsRememberedAndSaved)
{
    const QByteArray big5 = InCodePage(kBig5Text, "CP950");
    const QString path = WriteBytes(QStringLiteral("big5.txt"), big5);
    ASSERT_TRUE(Start({path}));
    Settle();
    EXPECT_EQ(Pane(Frame()), QStringLiteral("Big5"));

    // The submenu is in the File menu and in the reading view's context menu, with its items.
    QMenu* menu = Frame()->Encodings()->Menu();
    EXPECT_EQ(menu->title(), QStringLiteral("以其他编码重新打开"));
    EXPECT_TRUE(Frame()->menuBar()->actions().front()->menu()->actions().contains(menu->menuAction()));
    EXPECT_TRUE(Frame()->ContextMenu(160)->actions().contains(menu->menuAction()));
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << a->text();
    // The tests' ANSI code page is CP936, offered after the others.
    EXPECT_EQ(texts,
              (QStringList{QStringLiteral("自动检测"), QStringLiteral("UTF-8"), QStringLiteral("UTF-16LE"),
                           QStringLiteral("UTF-16BE"), QStringLiteral("GB18030"), QStringLiteral("Big5"),
                           QStringLiteral("Shift_JIS"), QStringLiteral("EUC-KR"), QStringLiteral("CP936")}));

    ChoiceAction(Frame(), QStringLiteral("UTF-16LE"))->trigger();
    Settle();
    EXPECT_EQ(Pane(Frame()), QStringLiteral("UTF-16LE"));
    EXPECT_TRUE(ChoiceAction(Frame(), QStringLiteral("UTF-16LE"))->isChecked());

    // Remembered when the reader starts again.
    Stop();
    ASSERT_TRUE(Start({path}));
    Settle();
    EXPECT_EQ(Pane(Frame()), QStringLiteral("UTF-16LE"));
    const TextBuffer* buffer = TheApp()->Document()->Buffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_FALSE(buffer->HasMark());
    // Saved as read: UTF-16 without a mark, the same bytes.
    ASSERT_TRUE(TheApp()->Document()->OnSaveDocument(path));
    EXPECT_TRUE(ReadBytes(path) == big5);

    ChoiceAction(Frame(), QStringLiteral("auto"))->trigger();
    Settle();
    EXPECT_EQ(Pane(Frame()), QStringLiteral("Big5"));
    ChoiceAction(Frame(), QStringLiteral("GB18030"))->trigger();
    Settle();
    EXPECT_EQ(Pane(Frame()), QStringLiteral("GB18030"));
    EXPECT_EQ(TheApp()->Document()->Buffer()->CodePageName(), QStringLiteral("GB18030"));
    ChoiceAction(Frame(), QStringLiteral("auto"))->trigger();
    Settle();
}
