// Start-up: restoring the last book, a file argument, a vanished book, a file that is not ".txt".
#include "support/readerfixture.h"

#include "app/leafturnerapp.h"
#include "app/mainframe.h"
#include "document/leafturnerdoc.h"
#include "views/leafturnerview.h"

#include <QFile>

namespace {

QString LongText()
{
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("第%1段。春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。\n").arg(i);
    return text;
}

} // namespace

TEST_F(ReaderTest, RestoreReopensTheLastBookAtItsPage)
{
    const QString book = WriteBook(QStringLiteral("last.txt"), LongText());
    Setting(QStringLiteral("PARA_LAST_PATH"), book);
    Setting(QStringLiteral("PARA_LAST_POS"), QStringLiteral("5000"));
    ASSERT_TRUE(Start());
    CLeafturnerView* view = ReadingView();
    ASSERT_NE(view, nullptr);
    TextBuffer* buffer = Frame()->Document()->Buffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(Frame()->Document()->PathName(), book);
    EXPECT_EQ(view->CurrentPage(), buffer->PageOf(5000) & ~(view->IsSpread() ? 1 : 0));
    EXPECT_GT(view->CurrentPage(), 0);
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner - last.txt"));
}

TEST_F(ReaderTest, FileArgumentWinsOverRestore)
{
    const QString last = WriteBook(QStringLiteral("last.txt"), LongText());
    const QString other = WriteBook(QStringLiteral("other.txt"), QStringLiteral("另一本书"));
    Setting(QStringLiteral("PARA_LAST_PATH"), last);
    Setting(QStringLiteral("PARA_LAST_POS"), QStringLiteral("5000"));
    ASSERT_TRUE(Start({other}));
    EXPECT_EQ(Frame()->Document()->PathName(), other);
    EXPECT_EQ(ReadingView()->CurrentPage(), 0);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_PATH")), other);
}

TEST_F(ReaderTest, VanishedLastBookOpensAnEmptyWindowSilently)
{
    Setting(QStringLiteral("PARA_LAST_PATH"), m_dir.filePath(QStringLiteral("gone.txt")));
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->Document()->Buffer(), nullptr);
    EXPECT_TRUE(m_sink.Messages().isEmpty());
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner"));
    EXPECT_TRUE(ReadingView()->FormatStatusText().isEmpty());
}

TEST_F(ReaderTest, FirstStartShowsTheSampleBookOnlyWhenNothingElseIsAsked)
{
    // The shipped sample is found from the build, with chapters to list.
    m_firstRunBook = CLeafturnerApp::DataFilePath(QStringLiteral("sample/论语.txt"));
    ASSERT_FALSE(m_firstRunBook.isEmpty());
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->Document()->PathName(), m_firstRunBook);
    EXPECT_GT(ReadingView()->PageCount(), 10);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_PATH")), m_firstRunBook);
    Stop();

    // A book that once was open and is gone now leaves the desk empty rather than the sample.
    Setting(QStringLiteral("PARA_LAST_PATH"), m_dir.filePath(QStringLiteral("gone.txt")));
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->Document()->Buffer(), nullptr);
    Stop();

    const QString named = WriteBook(QStringLiteral("named.txt"), QStringLiteral("一本书"));
    Setting(QStringLiteral("PARA_LAST_PATH"), QString());
    ASSERT_TRUE(Start({named}));
    EXPECT_EQ(Frame()->Document()->PathName(), named);
}

TEST_F(ReaderTest, OtherExtensionOpensWithoutTextAndIsNotRecorded)
{
    const QString book = WriteBook(QStringLiteral("a.txt"), LongText());
    const QString text = WriteBook(QStringLiteral("notes.text"), QStringLiteral("abc"));
    ASSERT_TRUE(Start({book}));
    ASSERT_TRUE(m_app->OpenDocumentFile(text));
    EXPECT_EQ(Frame()->Document()->Buffer(), nullptr);
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_PATH")), book);
    EXPECT_FALSE(m_app->RecentFiles().contains(text));
    EXPECT_EQ(ReadingView()->PageCount(), 0);
}

TEST_F(ReaderTest, TitleFollowsTheFileNameSetting)
{
    Setting(QStringLiteral("PARA_SHOW_BOOK_NAME"), QStringLiteral("0"));
    ASSERT_TRUE(Start({WriteBook(QStringLiteral("名字.txt"), LongText())}));
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner"));
    Frame()->RouteCommand(32782);
    EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Leafturner - 名字.txt"));
}

TEST_F(ReaderTest, RestoreHoldsTheSavedOffsetThroughLaterResizes)
{
    const QString book = WriteBook(QStringLiteral("last.txt"), LongText());
    // Inside a page, not at its start: only the page holding it is right.
    constexpr std::int32_t kPosition = 5003;
    Setting(QStringLiteral("PARA_LAST_PATH"), book);
    Setting(QStringLiteral("PARA_LAST_POS"), QString::number(kPosition));
    ASSERT_TRUE(Start());
    CLeafturnerView* view = ReadingView();
    TextBuffer* buffer = Frame()->Document()->Buffer();
    ASSERT_NE(buffer, nullptr);
    // The window manager's sizes arrive after the first layout, before and after the first paint.
    for (const QSize size :
         {QSize(1000, 700), QSize(640, 480), QSize(1400, 900), QSize(700, 1000), QSize(1000, 700)}) {
        Frame()->resize(size);
        Settle();
        const int first = view->CurrentPage();
        const int next = first + (view->IsSpread() ? 2 : 1);
        EXPECT_LE(buffer->PageStart(first), kPosition) << size.width() << "x" << size.height();
        if (next < view->PageCount()) {
            EXPECT_GT(buffer->PageStart(next), kPosition) << size.width() << "x" << size.height();
        }
        EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_POS")).toInt(), kPosition);
    }
}

TEST_F(ReaderTest, OpeningABookRecordsThePlaceItIsShownAt)
{
    const QString first = WriteBook(QStringLiteral("b.txt"), LongText());
    // Another book, not a copy: the reading history would start a copy where the first one is.
    const QString second = WriteBook(QStringLiteral("a.txt"), LongText() + QStringLiteral("另一本"));
    ASSERT_TRUE(Start({first}));
    ReadingView()->ShowPage(4);
    const QString shown = QString::number(ReadingView()->CurrentCharOffset());
    ASSERT_GT(StoredValue(QStringLiteral("PARA_LAST_POS"), shown).toInt(), 0);
    ASSERT_TRUE(m_app->OpenDocumentFile(second));
    EXPECT_EQ(IniValue(QStringLiteral("PARA_LAST_POS")).toInt(), 0);
    Stop();
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->Document()->PathName(), second);
    EXPECT_EQ(ReadingView()->CurrentPage(), 0);
}

TEST_F(ReaderTest, OpenPathCheckUsesLinuxNames)
{
    struct Case
    {
        QString path;
        bool accepted;
    };
    const Case cases[] = {
        {WriteBook(QStringLiteral("问?号.txt"), QStringLiteral("一")), true},
        {WriteBook(QStringLiteral("a:b*c.txt"), QStringLiteral("一")), true},
        {WriteBook(QStringLiteral(".hidden.txt"), QStringLiteral("一")), true},
        {m_dir.filePath(QStringLiteral("gone?.txt")), false},
        {m_dir.filePath(QStringLiteral("a")) + QChar(0) + QStringLiteral("b.txt"), false},
    };
    for (const Case& c : cases) {
        m_sink.Clear();
        EXPECT_EQ(CLeafturnerApp::CheckChosenPath(c.path, true), c.accepted) << c.path.toStdString();
        EXPECT_EQ(m_sink.Messages().isEmpty(), c.accepted) << c.path.toStdString();
    }
}
