// The library manager: its rows and buttons, drops, messages, saving and the row colours.
#include "library/bookshelflist.h"
#include "library/librarymanagerdialog.h"
#include "settings/messagesink.h"
#include "ui/folderpickerdlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace {

const QString kDuplicate = QStringLiteral("已在列表中，请重新选择。");

class LibraryManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("Leafturner.blb"));
        m_shelf = m_dir.filePath(QStringLiteral("shelf"));
        QDir().mkpath(m_shelf);
    }

    // Opens the dialog on a list saved with `rows`.
    void Open(const QStringList& rows)
    {
        if (!rows.isEmpty()) {
            ASSERT_TRUE(BookshelfList(m_file).Save(rows));
        }
        m_list.Load(m_file);
        m_dlg = std::make_unique<LibraryManagerDialog>(nullptr, &m_list);
        m_dlg->SetFolderOpener([this](const QString& folder) { m_opened.append(folder); });
        m_dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
    }
    void Click(const QString& button) { QTest::mouseClick(m_dlg->Button(button), Qt::LeftButton); }
    void Select(int row) { m_dlg->List()->selectRow(row); }
    QString Touch(const QString& name)
    {
        QFile f(QDir(m_shelf).filePath(name));
        f.open(QIODevice::WriteOnly);
        return f.fileName();
    }

    QTemporaryDir m_dir;
    QString m_file;
    QString m_shelf;
    BookshelfList m_list;
    QStringList m_opened;
    RecordingMessageSink m_sink;
    ScopedMessageSink m_scoped{&m_sink};
    std::unique_ptr<LibraryManagerDialog> m_dlg;
};

TEST_F(LibraryManagerTest, DefaultPathAddedAgainIsAcceptedButAnExactDuplicateIsNot)
{
    Open({QStringLiteral("*") + m_shelf, QStringLiteral("/other")});
    EXPECT_EQ(m_dlg->Rows(), (QStringList{QStringLiteral("*") + m_shelf, QStringLiteral("/other")}));
    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("书库管理"));
    EXPECT_EQ(m_dlg->List()->horizontalHeaderItem(0)->text(), QStringLiteral("书架文件夹"));

    EXPECT_TRUE(m_dlg->AddFolder(m_shelf));
    EXPECT_TRUE(m_sink.Messages().isEmpty());
    EXPECT_FALSE(m_dlg->AddFolder(m_shelf));
    EXPECT_EQ(m_sink.Messages(), QStringList{m_shelf + QStringLiteral("\n") + kDuplicate});
    // Compared as text: another case is another folder here.
    EXPECT_TRUE(m_dlg->AddFolder(QStringLiteral("/OTHER")));
    EXPECT_EQ(m_dlg->Rows().size(), 4);

    // Names the file cannot give back as they are.
    m_sink.Clear();
    EXPECT_FALSE(m_dlg->AddFolder(QStringLiteral("/books ")));
    EXPECT_FALSE(m_dlg->AddFolder(QStringLiteral("/a\nb")));
    EXPECT_EQ(m_sink.Messages().size(), 2);
    EXPECT_TRUE(m_sink.Last().endsWith(QStringLiteral("无效。请重新指定。")));
    EXPECT_EQ(m_dlg->Rows().size(), 4);
}

TEST_F(LibraryManagerTest, SetAsDefaultLeavesExactlyOneMark)
{
    // Two marks can only come from a hand-edited file; both must go when another row becomes default.
    Open({QStringLiteral("*/a"), QStringLiteral("/b"), QStringLiteral("*/c")});
    Select(0);
    Click(QStringLiteral("设为缺省书架"));
    EXPECT_EQ(m_dlg->Rows(),
              (QStringList{QStringLiteral("*/a"), QStringLiteral("/b"), QStringLiteral("/c")}));
    Select(1);
    Click(QStringLiteral("设为缺省书架"));
    EXPECT_EQ(m_dlg->Rows(),
              (QStringList{QStringLiteral("/a"), QStringLiteral("*/b"), QStringLiteral("/c")}));
    Click(QStringLiteral("设为缺省书架"));
    EXPECT_EQ(m_dlg->Rows(),
              (QStringList{QStringLiteral("/a"), QStringLiteral("*/b"), QStringLiteral("/c")}));

    m_dlg->List()->clearSelection();
    Click(QStringLiteral("设为缺省书架"));
    EXPECT_EQ(m_sink.Last(), QStringLiteral("请先选择需要设置的项。"));

    Click(QStringLiteral("确定"));
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_list.DefaultBookshelf(), QStringLiteral("/b"));
}

TEST_F(LibraryManagerTest, DroppedFilesAddTheirFolderOnceThenTheDuplicateMessage)
{
    Open({});
    const QString first = Touch(QStringLiteral("一.txt"));
    const QString second = Touch(QStringLiteral("二.txt"));
    const QString sub = QDir(m_shelf).filePath(QStringLiteral("sub"));
    QDir().mkdir(sub);

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second), QUrl::fromLocalFile(sub + u'/')});
    const QPoint at = m_dlg->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_dlg.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_dlg.get(), &drop);
    QTRY_COMPARE(m_dlg->Rows().size(), 2);
    EXPECT_EQ(m_dlg->Rows(), (QStringList{m_shelf, sub}));
    EXPECT_EQ(m_sink.Messages(), QStringList{m_shelf + QStringLiteral("\n") + kDuplicate});
}

TEST_F(LibraryManagerTest, DeleteClearAndOpenAskAndReport)
{
    Open({QStringLiteral("/gone/away"), QStringLiteral("*") + m_shelf, QStringLiteral("/c")});
    Click(QStringLiteral("删除"));
    Click(QStringLiteral("打开"));
    EXPECT_EQ(m_sink.Messages(), (QStringList{QStringLiteral("请先选择需要删除的项。"),
                                              QStringLiteral("请先选择需要打开的项。")}));

    Select(0);
    Click(QStringLiteral("打开"));
    EXPECT_EQ(m_sink.Last(), QStringLiteral("抱歉，所选文件夹无效，或已不存在。"));
    const QPoint row1 = m_dlg->List()->visualItemRect(m_dlg->List()->item(1, 0)).center();
    QTest::mouseClick(m_dlg->List()->viewport(), Qt::LeftButton, {}, row1);
    QTest::mouseDClick(m_dlg->List()->viewport(), Qt::LeftButton, {}, row1);
    EXPECT_EQ(m_opened, QStringList{m_shelf});
    EXPECT_TRUE(m_dlg->isVisible());

    m_sink.Clear();
    m_sink.QueueAnswer(MsgAnswer::No);
    Select(2);
    Click(QStringLiteral("删除"));
    EXPECT_EQ(m_sink.Messages(), QStringList{QStringLiteral("您真的想删除所选项吗？")});
    EXPECT_EQ(m_dlg->Rows().size(), 3);
    m_sink.QueueAnswer(MsgAnswer::Yes);
    Click(QStringLiteral("删除"));
    EXPECT_EQ(m_dlg->Rows(), (QStringList{QStringLiteral("/gone/away"), QStringLiteral("*") + m_shelf}));

    m_sink.QueueAnswer(MsgAnswer::No);
    Click(QStringLiteral("清空"));
    EXPECT_EQ(m_sink.Last(), QStringLiteral("您真的想清空列表吗？"));
    EXPECT_EQ(m_dlg->Rows().size(), 2);
    m_sink.QueueAnswer(MsgAnswer::Yes);
    Click(QStringLiteral("清空"));
    EXPECT_TRUE(m_dlg->Rows().isEmpty());

    // With nothing listed the buttons do nothing at all.
    m_sink.Clear();
    for (const char16_t* b : {u"删除", u"清空", u"设为缺省书架", u"打开"})
        Click(QString::fromUtf16(b));
    EXPECT_TRUE(m_sink.Messages().isEmpty());

    // Cancel keeps the file and the list in memory as they were.
    Click(QStringLiteral("放弃"));
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
    EXPECT_EQ(m_list.Entries().size(), 3);
    EXPECT_EQ(BookshelfList::ReadLines(m_file).size(), 3);
}

TEST_F(LibraryManagerTest, OkWithAnEmptyListDeletesTheFile)
{
    Open({QStringLiteral("*/a")});
    ASSERT_TRUE(QFile::exists(m_file));
    m_sink.QueueAnswer(MsgAnswer::Yes);
    Click(QStringLiteral("清空"));
    Click(QStringLiteral("确定"));
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(QFile::exists(m_file));
    EXPECT_TRUE(m_list.Entries().isEmpty());
    EXPECT_TRUE(m_list.DefaultBookshelf().isEmpty());
}

TEST_F(LibraryManagerTest, SaveFailureKeepsTheDialogOpenAndTheListUnchanged)
{
    // The bookshelf file's place is taken by a folder: it can be neither written nor removed.
    QDir().mkpath(m_file + QStringLiteral("/x"));
    Open({});
    EXPECT_TRUE(m_dlg->AddFolder(m_shelf));
    Click(QStringLiteral("确定"));
    EXPECT_EQ(m_sink.Messages(), QStringList{QStringLiteral("存盘失败。")});
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_TRUE(m_list.Entries().isEmpty());
    EXPECT_EQ(m_dlg->Rows(), QStringList{m_shelf});
}

TEST_F(LibraryManagerTest, AddRunsTheFolderPickerAndTakesItsFolder)
{
    Open({});
    const QString typed = m_dir.filePath(QStringLiteral("新书架"));
    m_sink.QueueAnswer(MsgAnswer::Yes); // create it
    QTimer::singleShot(50, [typed] {
        auto* picker = qobject_cast<CFolderPickerDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(picker->windowTitle(), QStringLiteral("选择文件夹"));
        picker->PathEdit()->setText(typed);
        picker->accept();
    });
    Click(QStringLiteral("添加"));
    EXPECT_EQ(m_dlg->Rows(), QStringList{typed});
    EXPECT_TRUE(QFileInfo(typed).isDir());
}

TEST_F(LibraryManagerTest, AFolderThatCannotBeMadeGivesTheCannotCreateMessage)
{
    // A read-only parent; as root only a file system that refuses folders will do.
    QString parent = m_dir.filePath(QStringLiteral("locked"));
    QDir().mkdir(parent);
    QFile::setPermissions(parent, QFile::ReadOwner | QFile::ExeOwner);
    if (geteuid() == 0) {
        if (!QFileInfo(QStringLiteral("/sys/kernel")).isDir())
            GTEST_SKIP() << "running as root without sysfs";
        parent = QStringLiteral("/sys");
    }
    const QString wanted = parent + QStringLiteral("/新书架");
    m_sink.QueueAnswer(MsgAnswer::Yes);
    EXPECT_FALSE(CFolderPickerDlg::ConfirmTypedFolder(wanted));
    EXPECT_EQ(
        m_sink.Messages(),
        (QStringList{
            QStringLiteral("您所指定的文件夹\n\n%1\n\n不存在。您想创建它吗？").arg(wanted),
            QStringLiteral(
                "您所指定的文件夹\n\n%1\n\n无法创建。请检查驱动器是否为光驱，或您是否具有足够的访问权限。")
                .arg(wanted)}));
    EXPECT_FALSE(QFileInfo::exists(wanted));
    QFile::setPermissions(m_dir.filePath(QStringLiteral("locked")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(LibraryManagerTest, SelectedRowIsPaintedInItsOwnColourWithoutTheSystemHighlight)
{
    Open({QStringLiteral("/a"), QStringLiteral("/b")});
    Select(1);
    m_dlg->List()->clearFocus();
    QTableWidget* list = m_dlg->List();
    const QImage shot = list->viewport()->grab().toImage();
    const QRect plain = list->visualItemRect(list->item(0, 0));
    const QRect selected = list->visualItemRect(list->item(1, 0));
    // Right of the text, inside the row.
    const QPoint probe(selected.right() - 20, selected.center().y());
    EXPECT_EQ(shot.pixelColor(probe).rgb(), LibraryManagerDialog::kSelectedRow);
    EXPECT_EQ(shot.pixelColor(QPoint(plain.right() - 20, plain.center().y())).rgb(), QColor(Qt::white).rgb());
}

} // namespace
