// Folder path checks and the folder picker's OK: questions, messages and folder creation.
#include "ui/folderpickerdlg.h"

#include "settings/messagesink.h"
#include "ui/folderpath.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QString Invalid(const QString& path)
{
    return QStringLiteral("您所指定的文件夹\n\n") + path + QStringLiteral("\n\n无效。请重新指定。");
}

QString CannotCreate(const QString& path)
{
    return QStringLiteral("您所指定的文件夹\n\n") + path +
           QStringLiteral("\n\n无法创建。请检查驱动器是否为光驱，或您是否具有足够的访问权限。");
}

QString CreateQuestion(const QString& path)
{
    return QStringLiteral("您所指定的文件夹\n\n") + path + QStringLiteral("\n\n不存在。您想创建它吗？");
}

TEST(ValidateFolderPath, ComponentRules)
{
    struct Case
    {
        const char* path;
        FolderPathResult expected;
    };
    const Case cases[] = {
        {"/", FolderPathResult::Valid},
        {"/books", FolderPathResult::Valid},
        {"/new shelf/a b", FolderPathResult::Valid},
        {"/书架/小说", FolderPathResult::Valid},
        {"", FolderPathResult::Invalid},
        {"books", FolderPathResult::Invalid},
        {"C:\\books", FolderPathResult::Invalid},
        {"/books/", FolderPathResult::Invalid},
        {"//books", FolderPathResult::Invalid},
        {"/a//b", FolderPathResult::Invalid},
        // Linux names: only NUL and an empty component are wrong.
        {"/a./b", FolderPathResult::Valid},
        {"/.hidden", FolderPathResult::Valid},
        {"/a/..", FolderPathResult::Valid},
        {"/ a", FolderPathResult::Valid},
        {"/a ", FolderPathResult::Valid},
        {"/a\t", FolderPathResult::Valid},
        {"/a?b", FolderPathResult::Valid},
        {"/a*b", FolderPathResult::Valid},
        {"/a:b", FolderPathResult::Valid},
        {"/a<b", FolderPathResult::Valid},
        {"/a|b", FolderPathResult::Valid},
        {"/a\\b", FolderPathResult::Valid},
        {"/a\"b", FolderPathResult::Valid},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ValidateFolderPath(QString::fromUtf8(c.path), true), c.expected) << c.path;
    EXPECT_EQ(ValidateFolderPath(QStringLiteral("/a") + QChar(0) + QStringLiteral("b"), true),
              FolderPathResult::Invalid);
    EXPECT_EQ(ValidateFolderPath(QStringLiteral("/") + QString(300, QLatin1Char('x')), true),
              FolderPathResult::Invalid);
    EXPECT_EQ(ValidateFolderPath(QStringLiteral("/"), false), FolderPathResult::Valid);
}

TEST(ValidateFolderPath, CreatesNestedMissingFoldersOnlyWhenAsked)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString deep = tmp.path() + QStringLiteral("/new shelf/a/b");
    EXPECT_EQ(ValidateFolderPath(deep, true), FolderPathResult::Valid);
    EXPECT_FALSE(QFileInfo::exists(tmp.path() + QStringLiteral("/new shelf")));
    EXPECT_EQ(ValidateFolderPath(deep, false), FolderPathResult::Valid);
    EXPECT_TRUE(QFileInfo(deep).isDir());
    EXPECT_EQ(ValidateFolderPath(deep, false), FolderPathResult::Valid); // already there
}

TEST(ValidateFolderPath, InvalidPathCreatesNothing)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    EXPECT_EQ(ValidateFolderPath(tmp.path() + QStringLiteral("/x//b"), false), FolderPathResult::Invalid);
    EXPECT_FALSE(QFileInfo::exists(tmp.path() + QStringLiteral("/x")));
}

TEST(ValidateFolderPath, FolderUnderAFileCannotBeCreated)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QFile file(tmp.filePath(QStringLiteral("file.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(ValidateFolderPath(file.fileName() + QStringLiteral("/shelf"), false),
              FolderPathResult::CannotCreate);
    EXPECT_EQ(ValidateFolderPath(file.fileName(), false), FolderPathResult::CannotCreate);
}

TEST(ValidateFolderPath, ReadOnlyParentCannotBeCreatedIn)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: a read-only folder is still writable";
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString locked = tmp.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_EQ(ValidateFolderPath(locked + QStringLiteral("/shelf"), false), FolderPathResult::CannotCreate);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class FolderPickerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        CFolderPickerDlg::AllowFolderCreation(true);
        m_dlg = std::make_unique<CFolderPickerDlg>(QStringLiteral("选择文件夹"),
                                                   QStringLiteral("请选择书架文件夹："), QString());
        m_dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
    }
    void TearDown() override { CFolderPickerDlg::AllowFolderCreation(true); }

    // Types `path` into the edit box and presses OK.
    void Submit(const QString& path)
    {
        m_dlg->PathEdit()->clear();
        // Key events carrying the text, so non-ASCII folder names are typed too.
        for (const QChar c : path) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(m_dlg->PathEdit(), &press);
        }
        auto* box = m_dlg->findChild<QDialogButtonBox*>();
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
    }

    QTemporaryDir m_tmp;
    RecordingMessageSink m_sink;
    ScopedMessageSink m_scoped{&m_sink};
    std::unique_ptr<CFolderPickerDlg> m_dlg;
};

TEST_F(FolderPickerTest, MissingFolderIsCreatedAfterYes)
{
    const QString path = m_tmp.path() + QStringLiteral("/new shelf/科幻");
    m_sink.QueueAnswer(MsgAnswer::No);
    Submit(path);
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_EQ(m_sink.Messages(), QStringList{CreateQuestion(path)});
    EXPECT_FALSE(QFileInfo::exists(m_tmp.path() + QStringLiteral("/new shelf")));
    EXPECT_TRUE(m_dlg->ChosenPath().isEmpty());

    m_sink.QueueAnswer(MsgAnswer::Yes);
    Submit(path);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg->ChosenPath(), path);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(m_sink.Messages().size(), 2);
}

TEST_F(FolderPickerTest, ExistingFolderIsAcceptedWithoutQuestions)
{
    Submit(m_tmp.path());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg->ChosenPath(), m_tmp.path());
    EXPECT_TRUE(m_sink.Messages().isEmpty());
}

TEST_F(FolderPickerTest, AnyExistingFolderIsAcceptedWhateverItsName)
{
    for (const char* name : {".books", "a:b", "ends.", "what?", "/trailing/"}) {
        const QString path = m_tmp.path() + u'/' + QString::fromUtf8(name);
        ASSERT_TRUE(QDir().mkpath(path)) << name;
        m_dlg->show();
        Submit(path);
        EXPECT_EQ(m_dlg->result(), QDialog::Accepted) << name;
        EXPECT_EQ(m_dlg->ChosenPath(), path) << name;
        m_dlg->setResult(QDialog::Rejected);
    }
    EXPECT_TRUE(m_sink.Messages().isEmpty());
}

TEST_F(FolderPickerTest, BadPathsKeepTheDialogOpenWithTheirMessage)
{
    const QString trailing = m_tmp.path() + QStringLiteral("/missing/");
    Submit(trailing);
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_EQ(m_sink.Last(), Invalid(trailing));
    EXPECT_EQ(m_dlg->PathEdit()->text(), trailing);

    QFile file(m_tmp.filePath(QStringLiteral("book.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    // A file is never accepted as a folder.
    Submit(file.fileName());
    EXPECT_EQ(m_sink.Last(), Invalid(file.fileName()));
    const QString under = file.fileName() + QStringLiteral("/shelf");
    m_sink.QueueAnswer(MsgAnswer::Yes);
    Submit(under);
    EXPECT_EQ(m_sink.Messages().mid(m_sink.Messages().size() - 2),
              (QStringList{CreateQuestion(under), CannotCreate(under)}));
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_TRUE(m_dlg->ChosenPath().isEmpty());
}

TEST_F(FolderPickerTest, MissingFolderIsInvalidWhenCreationIsNotAllowed)
{
    CFolderPickerDlg::AllowFolderCreation(false);
    const QString path = m_tmp.path() + QStringLiteral("/new");
    Submit(path);
    EXPECT_EQ(m_sink.Messages(), QStringList{Invalid(path)});
    EXPECT_FALSE(QFileInfo::exists(path));
    Submit(m_tmp.path());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
}

} // namespace
