// The add and organise dialogs driven as a user would: typing, clicks, double-clicks, answers, resizing.
#include "document/codepage.h"
#include "library/addbookmarkdialog.h"
#include "library/organizebookmarksdialog.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"
#include "support/files.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList Items(const QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

QListWidgetItem* Find(const QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.constFirst();
}

void Click(QListWidget* list, QListWidgetItem* item)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void DoubleClick(QListWidget* list, QListWidgetItem* item)
{
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

class BookmarkDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
        m_bmk = m_dir.filePath(QStringLiteral("Leafturner.bmk"));
        EnsureUnicodeIniFile(m_bmk, QString());
        m_book = Touch(QStringLiteral("红楼梦.第一卷.txt"));
    }

    QString Touch(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("text");
        return path;
    }

    // Puts `name` into the name field and presses Enter (the default button). Key clicks carry
    // ASCII only, so the text is set directly.
    void TypeAndConfirm(AddBookmarkDialog& dialog, const QString& name)
    {
        dialog.NameEdit()->setText(name);
        QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
    }

    QTemporaryDir m_dir;
    QString m_bmk;
    QString m_book;
    RecordingMessageSink m_sink;
    ScopedMessageSink m_scoped{&m_sink};
};

TEST_F(BookmarkDialogTest, ProposedNameIsAcceptable)
{
    const struct
    {
        const char* path;
        const char* name;
    } cases[] = {
        {"/books/[精校]红楼梦.txt", "精校红楼梦"},
        {"/books/红楼梦[第1-80回].txt", "红楼梦第1-80回"},
        {"/books/ [a] .txt", "a"},
        {"/books/红楼梦.第一卷.txt", "红楼梦.第一卷"},
    };
    for (const auto& c : cases) {
        const QString name = BookmarkFile::ProposedName(QString::fromUtf8(c.path));
        EXPECT_EQ(name, QString::fromUtf8(c.name)) << c.path;
        EXPECT_EQ(BookmarkFile::CheckName(name), BookmarkFile::NameProblem::None) << c.path;
    }
    // Through the dialog: the offered name is taken as it stands.
    AddBookmarkDialog dialog(nullptr, Touch(QStringLiteral("[精校]红楼梦.txt")), 42, m_bmk);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("精校红楼梦"));
    QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(m_sink.Messages().isEmpty());
    EXPECT_EQ(BookmarkFile(m_bmk).Read(QStringLiteral("精校红楼梦")).position, 42);
}

TEST_F(BookmarkDialogTest, AddStartsWithTheBookNameAndListsNamesSorted)
{
    BookmarkFile file(m_bmk);
    file.Write(QStringLiteral("zeta"), m_book, 1);
    file.Write(QStringLiteral("Alpha"), m_book, 2);
    file.Write(QStringLiteral("beta"), m_book, 3);
    AddBookmarkDialog dialog(nullptr, m_book, 1234, m_bmk);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("加入书签"));
    EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("红楼梦.第一卷"));
    EXPECT_EQ(Items(dialog.NameList()),
              (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("zeta")}));

    Click(dialog.NameList(), Find(dialog.NameList(), QStringLiteral("beta")));
    EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("beta"));

    TypeAndConfirm(dialog, QStringLiteral("  新书签 "));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(m_sink.Messages().isEmpty());
    const BookmarkEntry mark = file.Read(QStringLiteral("新书签"));
    EXPECT_EQ(mark.path, m_book);
    EXPECT_EQ(mark.position, 1234);
}

TEST_F(BookmarkDialogTest, BadNamesAreRefusedAndTheDialogKeepsItsText)
{
    AddBookmarkDialog dialog(nullptr, m_book, 5, m_bmk);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QByteArray before = ReadFileBytes(m_bmk);

    TypeAndConfirm(dialog, QStringLiteral("第[一]章"));
    EXPECT_EQ(m_sink.Last(), QStringLiteral("抱歉，名称不能含“[”或“]”，请更正。"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.NameEdit()->text(), QStringLiteral("第[一]章"));

    TypeAndConfirm(dialog, QStringLiteral("a]"));
    EXPECT_EQ(m_sink.Last(), QStringLiteral("抱歉，名称不能含“[”或“]”，请更正。"));

    TypeAndConfirm(dialog, QStringLiteral("   "));
    EXPECT_EQ(m_sink.Last(), QStringLiteral("抱歉，名称不能为空，请更正。"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(m_sink.Messages().size(), 3);
    EXPECT_EQ(ReadFileBytes(m_bmk), before);
}

TEST_F(BookmarkDialogTest, ExistingNameAsksFirstIgnoringCase)
{
    const QString other = Touch(QStringLiteral("other.txt"));
    BookmarkFile file(m_bmk);
    file.Write(QStringLiteral("first"), other, 1);
    file.Write(QStringLiteral("Shared"), other, 2);
    file.Write(QStringLiteral("last"), other, 3);
    const QByteArray before = ReadFileBytes(m_bmk);

    AddBookmarkDialog dialog(nullptr, m_book, 777, m_bmk);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    m_sink.QueueAnswer(MsgAnswer::No);
    TypeAndConfirm(dialog, QStringLiteral("SHARED"));
    EXPECT_EQ(m_sink.Messages(), QStringList{QStringLiteral("同名书签已存在，您打算覆盖它吗？")});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(ReadFileBytes(m_bmk), before);

    // The second book takes the name over; the section stays where it was.
    m_sink.QueueAnswer(MsgAnswer::Yes);
    DoubleClick(dialog.NameList(), Find(dialog.NameList(), QStringLiteral("Shared")));
    EXPECT_EQ(m_sink.Messages().size(), 2);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(file.Names(),
              (QStringList{QStringLiteral("first"), QStringLiteral("Shared"), QStringLiteral("last")}));
    EXPECT_EQ(file.Read(QStringLiteral("shared")).path, m_book);
    EXPECT_EQ(file.Read(QStringLiteral("shared")).position, 777);
    EXPECT_EQ(file.Load().Lines().indexOf(QStringLiteral("[Shared]")), 4);
}

TEST_F(BookmarkDialogTest, UnwritableFileIsReportedNotTakenForSuccess)
{
    const QString folder = m_dir.filePath(QStringLiteral("taken"));
    ASSERT_TRUE(QDir().mkpath(folder));
    AddBookmarkDialog dialog(nullptr, m_book, 5, folder);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    TypeAndConfirm(dialog, QStringLiteral("mark"));
    EXPECT_TRUE(m_sink.Last().startsWith(QStringLiteral("抱歉，书签未能写入书签文件")));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(BookmarkDialogTest, OrganiseWithAnEmptyListOnlySaysSo)
{
    OrganizeBookmarksDialog dialog(nullptr, m_bmk);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("整理书签"));
    EXPECT_EQ(dialog.Hint()->text(), QStringLiteral("提示：鼠标双击即可调入"));
    QTest::mouseClick(dialog.LoadButton(), Qt::LeftButton);
    EXPECT_EQ(m_sink.Messages(), QStringList{QStringLiteral("抱歉，没什么好调入的。")});
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(m_sink.Last(), QStringLiteral("抱歉，没什么好删除的。"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ChosenName(), QString());
}

TEST_F(BookmarkDialogTest, OrganiseSelectsShowsLoadsAndDeletes)
{
    const QString gone = m_dir.filePath(QStringLiteral("gone.txt"));
    BookmarkFile file(m_bmk);
    file.Write(QStringLiteral("good"), m_book, 10);
    file.Write(QStringLiteral("Gone"), gone, 20);
    file.Write(QStringLiteral("extra"), m_book, 30);

    OrganizeBookmarksDialog dialog(nullptr, m_bmk);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QListWidget* list = dialog.List();
    EXPECT_EQ(Items(list),
              (QStringList{QStringLiteral("extra"), QStringLiteral("Gone"), QStringLiteral("good")}));
    // The keyboard starts in the list, on the first bookmark.
    EXPECT_EQ(dialog.focusWidget(), list);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(list->item(0)->isSelected());

    list->clearSelection();
    QTest::mouseClick(dialog.LoadButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(m_sink.Messages(), (QStringList{QStringLiteral("请先选择需调入的项。"),
                                              QStringLiteral("请先选择需删除的书签。")}));
    m_sink.Clear();

    Click(list, Find(list, QStringLiteral("Gone")));
    EXPECT_EQ(dialog.PathLine()->text(), gone);

    // A vanished book: No keeps the bookmark, Yes deletes it without a second question.
    const QString question =
        QStringLiteral("该书签所对应的文件或文件夹已经不存在，无法打开。\n您想删除此无效书签吗？");
    m_sink.QueueAnswer(MsgAnswer::No);
    DoubleClick(list, Find(list, QStringLiteral("Gone")));
    EXPECT_EQ(m_sink.Messages(), QStringList{question});
    EXPECT_EQ(list->count(), 3);
    EXPECT_TRUE(dialog.isVisible());
    m_sink.QueueAnswer(MsgAnswer::Yes);
    QTest::mouseClick(dialog.LoadButton(), Qt::LeftButton);
    EXPECT_EQ(m_sink.Messages(), (QStringList{question, question}));
    EXPECT_EQ(Items(list), (QStringList{QStringLiteral("extra"), QStringLiteral("good")}));
    EXPECT_EQ(file.Names(), (QStringList{QStringLiteral("good"), QStringLiteral("extra")}));
    EXPECT_EQ(dialog.PathLine()->text(), QString());
    EXPECT_TRUE(dialog.isVisible());
    m_sink.Clear();

    // Delete asks; No keeps it.
    Click(list, Find(list, QStringLiteral("extra")));
    m_sink.QueueAnswer(MsgAnswer::No);
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(m_sink.Messages(), QStringList{QStringLiteral("您真的想删除此书签吗？")});
    EXPECT_EQ(list->count(), 2);
    m_sink.QueueAnswer(MsgAnswer::Yes);
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(Items(list), QStringList{QStringLiteral("good")});

    Click(list, Find(list, QStringLiteral("good")));
    QTest::mouseClick(dialog.LoadButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.ChosenName(), QStringLiteral("good"));
}

TEST_F(BookmarkDialogTest, DeletingTheLastBookmarkLeavesAnEmptyListAndTheMark)
{
    BookmarkFile(m_bmk).Write(QStringLiteral("only"), m_book, 1);
    OrganizeBookmarksDialog dialog(nullptr, m_bmk);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    Click(dialog.List(), dialog.List()->item(0));
    m_sink.QueueAnswer(MsgAnswer::Yes);
    QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.List()->count(), 0);
    EXPECT_TRUE(ReadFileBytes(m_bmk).startsWith("\xFF\xFE"));
    EXPECT_TRUE(BookmarkFile(m_bmk).Names().isEmpty());
}

TEST_F(BookmarkDialogTest, OrganiseControlsFollowTheDialogsSize)
{
    OrganizeBookmarksDialog dialog(nullptr, m_bmk);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QSize initial = dialog.size();
    const QRect list = dialog.List()->geometry();
    const QRect path = dialog.PathLine()->geometry();
    const QRect load = dialog.LoadButton()->geometry();
    const QRect hint = dialog.Hint()->geometry();
    // Nothing overlaps the list and everything fits the dialog.
    EXPECT_GT(load.left(), list.right());
    EXPECT_GT(path.top(), list.bottom());
    EXPECT_TRUE(dialog.rect().contains(hint));
    EXPECT_TRUE(dialog.rect().contains(path));

    dialog.resize(initial + QSize(50, 40));
    EXPECT_EQ(dialog.List()->geometry(), list.adjusted(0, 0, 50, 40));
    EXPECT_EQ(dialog.PathLine()->geometry(), path.adjusted(0, 40, 50, 40));
    EXPECT_EQ(dialog.LoadButton()->geometry(), load.translated(50, 0));
    EXPECT_EQ(dialog.CloseButton()->geometry().left(), load.left() + 50);
    EXPECT_EQ(dialog.Hint()->geometry(), hint.translated(50, 0));

    dialog.resize(initial - QSize(100, 100));
    EXPECT_EQ(dialog.size(), initial);
    EXPECT_EQ(dialog.List()->geometry(), list);
}

TEST_F(BookmarkDialogTest, BrokenAndHugeFilesOpenAndAddingKeepsTheRest)
{
    QByteArray junk(32 * 1024, '\0');
    QRandomGenerator rng(777);
    for (char& c : junk)
        c = static_cast<char>(rng.bounded(256));
    {
        QFile f(m_bmk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        // Read in the ANSI code page like the junk before it: the path stays ASCII.
        f.write(junk + "\r\n[keep]\r\nPATH=/books/keep.txt\r\nPOSITION=5\r\n");
    }
    {
        OrganizeBookmarksDialog organise(nullptr, m_bmk);
        organise.show();
        EXPECT_NE(Find(organise.List(), QStringLiteral("keep")), nullptr);
        AddBookmarkDialog add(nullptr, m_book, 3, m_bmk);
        add.show();
        TypeAndConfirm(add, QStringLiteral("added"));
        EXPECT_EQ(add.result(), QDialog::Accepted);
    }
    BookmarkFile file(m_bmk);
    EXPECT_EQ(file.Read(QStringLiteral("keep")).path, QStringLiteral("/books/keep.txt"));
    EXPECT_EQ(file.Read(QStringLiteral("keep")).position, 5);
    EXPECT_EQ(file.Read(QStringLiteral("added")).position, 3);

    QString text = QStringLiteral("\uFEFF");
    for (int i = 0; i < 10000; ++i)
        text +=
            QStringLiteral("[mark %1]\r\nPATH=/books/%1.txt\r\nPOSITION=%1\r\n").arg(i, 5, 10, QChar(u'0'));
    {
        QFile f(m_bmk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8());
    }
    OrganizeBookmarksDialog organise(nullptr, m_bmk);
    organise.show();
    ASSERT_EQ(organise.List()->count(), 10000);
    EXPECT_EQ(organise.List()->item(0)->text(), QStringLiteral("mark 00000"));
    Click(organise.List(), organise.List()->item(2));
    EXPECT_EQ(organise.PathLine()->text(), QStringLiteral("/books/00002.txt"));

    AddBookmarkDialog add(nullptr, m_book, 3, m_bmk);
    add.show();
    EXPECT_EQ(add.NameList()->count(), 10000);
    TypeAndConfirm(add, QStringLiteral("one more"));
    EXPECT_EQ(add.result(), QDialog::Accepted);
    EXPECT_EQ(file.Names().size(), 10001);
    EXPECT_EQ(file.Read(QStringLiteral("mark 09999")).position, 9999);
}

} // namespace
